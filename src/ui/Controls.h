#pragma once

// The windows' controls: their places in twips, labels, marked boxes, tips that show text as it is,
// and a window's place on its screen.

#include <QRect>
#include <QString>
#include <Qt>

class QLabel;
class QLineEdit;
class QWidget;

namespace orvane {

// The windows' geometry is given in twips, at 15 to the pixel of the classic dialog font.
inline constexpr int TwipsPerPixel = 15;

// Twips to pixels, to the nearest pixel.
constexpr int twips(int value)
{
    return (value + TwipsPerPixel / 2) / TwipsPerPixel;
}

// A control's place given in twips: left, top, width, height.
constexpr QRect twips(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// A label named name at geometry, its text at the top. The text shows as it is: a host or a name
// typed as "<b>x</b>" is not markup.
QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry,
              Qt::Alignment alignment = Qt::AlignLeft);

// A box whose text the program can't use is stored as typed, but it is framed red and its tip says
// what is wrong; an empty problem takes the mark away.
void markBox(QLineEdit *box, const QString &problem);

// A tooltip that shows text as it is: Qt reads a tip that looks like markup as HTML, so a name typed
// or heard as "<b>x</b>" would show bold and an image tag would load. Plain-looking text stays as it is.
QString plainTip(const QString &text);

// Places a window at the centre of its whole screen (not the work area) by its outer size, as far
// as the window system knows it before the window is shown.
void centreOnScreen(QWidget *window);

} // namespace orvane
