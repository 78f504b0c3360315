#include "Cli.h"

#include "core/wake/WakeDays.h"

#include <ctime>

namespace orvane::cli {

// Each PC's next timed wake, by the same days and rules as the program's timer.
int nextCommand(const Options &options)
{
    SettingsValues values;
    OrvaneTable extras;
    std::string error;
    if (!readSettings(options, values, error, &extras))
        return refused(error);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    using namespace std::chrono;
    const Day today{year(local.tm_year + 1900), month(static_cast<unsigned>(local.tm_mon + 1)),
                    day(static_cast<unsigned>(local.tm_mday))};
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    std::string out;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const std::string time = wakeTimeText(settingsValue(values, pc, WakeTimeCell));
        const bool on = timerOn(settingsValue(values, pc, TimerCell)) && !time.empty();
        const std::optional<Day> next =
            on ? nextWakeDay(wakeDaysOf(extras[static_cast<size_t>(pc)]), today, time > clock) : std::nullopt;
        out += std::to_string(pc) + "\t" + escaped(settingsValue(values, pc, NameCell)) + "\t" +
               (on ? nextWakeText(next, time) : std::string("タイマー OFF")) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Sent;
}

} // namespace orvane::cli
