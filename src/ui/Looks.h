#pragma once

// The windows' font and the program's icons.

#include <QFont>
#include <QIcon>

#include <functional>

class QPainter;

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
// An icon of size drawn by paint at 100 % and at 200 %, for each rather than scaled.
QIcon drawnIcon(QSize size, const std::function<void(QPainter &)> &paint);

} // namespace orvane
