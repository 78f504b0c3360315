#pragma once

#include <QtGlobal>

namespace orvane {

class QzCmn14;

// What a tray icon's mouse event asks of the main window.
enum class TrayCommand { Nothing, OpenMainMenu, OpenHelpMenu };

// The event code of a notification that arrives as a mouse move to X (in twips): X to the nearest
// integer, divided by the twips per pixel, truncated.
qint32 trayEventCode(float X, qint32 twipsPerPixel);

// Compares the code with the object's mouse codes in their published order; the first equal one
// decides. Only the presses open a menu: the left one the main menu, the right one the help menu.
TrayCommand trayCommand(const QzCmn14 &common, qint32 code);

} // namespace orvane
