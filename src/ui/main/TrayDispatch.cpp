#include "ui/main/TrayDispatch.h"

#include "core/services/Conversions.h"
#include "platform/QzCmn14.h"

#include <array>
#include <utility>

namespace orvane {

qint32 trayEventCode(float X, qint32 twipsPerPixel)
{
    if (twipsPerPixel == 0)
        return 0;
    return nearestInt32(X) / twipsPerPixel;
}

TrayCommand trayCommand(const QzCmn14 &common, qint32 code)
{
    static constexpr std::array<std::pair<qint32 QzCmn14::*, TrayCommand>, 7> table{{
        {&QzCmn14::WM_MOUSEMOVE, TrayCommand::Nothing},
        {&QzCmn14::WM_LBUTTONDOWN, TrayCommand::OpenMainMenu},
        {&QzCmn14::WM_LBUTTONUP, TrayCommand::Nothing},
        {&QzCmn14::WM_LBUTTONDBLCLK, TrayCommand::Nothing},
        {&QzCmn14::WM_RBUTTONDOWN, TrayCommand::OpenHelpMenu},
        {&QzCmn14::WM_RBUTTONUP, TrayCommand::Nothing},
        {&QzCmn14::WM_RBUTTONDBLCLK, TrayCommand::Nothing},
    }};
    for (const auto &[field, command] : table) {
        if (common.*field == code)
            return command;
    }
    return TrayCommand::Nothing;
}

} // namespace orvane
