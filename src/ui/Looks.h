#pragma once

// The windows' font and the program's icons.

#include <QFont>
#include <QIcon>

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

} // namespace orvane
