#pragma once

#include "core/Reachability.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRect>
#include <QWidget>

class QLabel;

namespace orvane {

// The windows' font: a Japanese proportional Gothic at 12 pixels, the size of the classic dialog font,
// with which every caption fits the windows' fixed geometry (15 twips to the pixel).
QFont uiFont();
// The same families at another pixel size and weight.
QFont uiFont(int pixelSize, bool bold);

// The program's icon (16, 32 and 48 pixels): a small computer showing the power mark.
QIcon programIcon();
// The about box's and the settings dialog's own window icons.
QIcon aboutIcon();
QIcon settingsIcon();

// A PC's state as the colours of its dot: fill and rim; invalid colours (no dot) when it wasn't
// checked. The one place that chooses them, for the buttons and the tray menu alike.
struct StatusColours {
    QColor fill;
    QColor rim;
};
StatusColours statusColours(Reach reach);

// A PC's mark for a menu entry (16 pixels): its dot, or nothing; the same size in every state, so the
// entry's text never moves.
QIcon statusIcon(Reach reach);

// A PC button's mark: its dot in the button's top left corner, in the margin beside the centred
// caption, painted over the button without taking room from it (an icon would take its width from
// the caption). The button owns it.
class StatusMark : public QWidget {
public:
    explicit StatusMark(QWidget *button);
    void setReach(Reach reach);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Reach m_reach = Reach::NotChecked;
};

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

// Places a window at the centre of its whole screen (not the work area) by its outer size, as far
// as the window system knows it before the window is shown.
void centreOnScreen(QWidget *window);

} // namespace orvane
