#include "core/settings/WakeTable.h"

#include "core/wake/PlainSettings.h"

namespace orvane {

WakeSettings wakeSettingsOf(const SettingsGrid &table, int pc)
{
    // The same values as the command-line tool reads from the file.
    return wakeSettingsFrom(pc, [&](int row, int column) { return fieldUtf8(utf16View(table.value(row, column))); });
}

WakeSettings wakeSettingsOf(const SettingsGrid &table, const OrvaneTable &extras, int pc)
{
    WakeSettings s = wakeSettingsOf(table, pc);
    if (pc >= FirstPc && pc <= LastPc) {
        const PcExtras &e = extras[static_cast<size_t>(pc)];
        s.via = {e.relay, e.relayCommand};
        s.secureon = e.secureon;
    }
    return s;
}

} // namespace orvane
