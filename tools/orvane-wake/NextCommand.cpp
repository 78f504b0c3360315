#include "Cli.h"

#include "core/wake/WakeDays.h"

namespace orvane::cli {

// Each PC's next timed wake, by the same days and rules as the program's timer.
int nextCommand(const Options &options)
{
    SettingsValues values;
    OrvaneTable extras;
    std::string error;
    if (!readSettings(options, values, error, &extras))
        return refused(error);
    std::string out;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        std::string time;
        const std::optional<Day> next = nextWakeOfPc(values, extras[static_cast<size_t>(pc)], pc, &time);
        const bool on = timerOn(settingsValue(values, pc, TimerCell)) && !time.empty();
        out += std::to_string(pc) + "\t" + escaped(settingsValue(values, pc, NameCell)) + "\t" +
               (on ? nextWakeText(next, time) : std::string(T_("タイマー OFF"))) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Sent;
}

} // namespace orvane::cli
