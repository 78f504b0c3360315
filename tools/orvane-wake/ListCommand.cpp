#include "Cli.h"

#include "core/wake/WakeDays.h"

namespace orvane::cli {

// The settings as they stand: port, send count, then one line per PC, its relay and days last.
int listCommand(const Options &options)
{
    SettingsValues values;
    OrvaneTable extras;
    std::string error;
    if (!readSettings(options, values, error, &extras))
        return refused(error);
    auto cell = [&values](int row, int column) { return escaped(settingsValue(values, row, column)); };
    std::string out = cell(GlobalRow, PortCell) + "\n" + cell(GlobalRow, SendCountCell) + "\n";
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        std::string mac = cell(pc, MacCell);
        for (int i = 1; i < MacCells; ++i) {
            mac += ':';
            mac += cell(pc, MacCell + i);
        }
        out += std::to_string(pc) + "\t" + cell(pc, NameCell) + "\t" + cell(pc, HostCell) + "\t" + mac + "\t" +
               cell(pc, TimerCell) + "\t" + cell(pc, WakeTimeCell) + "\t" +
               escaped(extras[static_cast<size_t>(pc)].relay) + "\t" +
               escaped(daysSummary(extras[static_cast<size_t>(pc)])) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Sent;
}

} // namespace orvane::cli
