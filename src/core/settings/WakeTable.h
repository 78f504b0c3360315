#pragma once

#include "core/settings/SettingsGrid.h"
#include "core/wake/OrvaneSettings.h"
#include "core/wake/WakeRequest.h"

#include <QString>

namespace orvane {

// Row 0 and the PC's row of a settings table, as the wake command reads them.
WakeSettings wakeSettingsOf(const SettingsGrid &table, int pc);
// The same with the PC's relay from Orvane.ini's table.
WakeSettings wakeSettingsOf(const SettingsGrid &table, const OrvaneTable &extras, int pc);

// A message of the wake rules for a message box.
inline QString wakeText(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace orvane
