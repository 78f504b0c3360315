#include "core/WakeTable.h"

namespace orvane {

WakeSettings wakeSettingsOf(const SettingsGrid &table, int pc)
{
    WakeSettings s;
    s.pc = pc;
    s.port = table.value(0, 0).toStdString();
    s.count = table.value(0, 1).toStdString();
    if (pc < FirstPc || pc > LastPc)
        return s;
    s.name = table.value(pc, 0).toStdString();
    s.host = table.value(pc, 1).toStdString();
    for (int i = 0; i < MacBytes; ++i)
        s.mac[static_cast<size_t>(i)] = table.value(pc, 2 + i).toStdString();
    return s;
}

} // namespace orvane
