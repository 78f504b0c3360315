#include "core/settings/WakeTable.h"

#include "core/wake/PlainSettings.h"

namespace orvane {

WakeSettings wakeSettingsOf(const SettingsGrid &table, int pc)
{
    // The same values as the command-line tool reads from the file.
    return wakeSettingsFrom(pc, [&](int row, int column) { return fieldUtf8(utf16View(table.value(row, column))); });
}

} // namespace orvane
