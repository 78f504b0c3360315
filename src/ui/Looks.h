#pragma once

#include "core/Reachability.h"

#include <QFont>
#include <QIcon>
#include <QRect>

class QLabel;
class QWidget;

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

// A PC's mark (16 pixels): a green dot when it answered, a grey one when it didn't, nothing when it
// wasn't checked; the same size in every state, so the caption beside it never moves.
QIcon statusIcon(Reach reach);

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
