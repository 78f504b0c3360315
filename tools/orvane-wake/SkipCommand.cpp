#include "Cli.h"

#include "core/wake/WakeDays.h"

#include <ctime>

namespace orvane::cli {

namespace {

// Today's date and time of day here.
std::pair<Day, std::string> now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    using namespace std::chrono;
    char clock[40];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return {Day{year(local.tm_year + 1900), month(static_cast<unsigned>(local.tm_mon + 1)),
                day(static_cast<unsigned>(local.tm_mday))},
            clock};
}

} // namespace

std::optional<Day> nextWakeOfPc(const SettingsValues &values, const PcExtras &extras, int pc, std::string *time)
{
    const std::string at = wakeTimeText(settingsValue(values, pc, WakeTimeCell));
    if (time)
        *time = at;
    if (!timerOn(settingsValue(values, pc, TimerCell)) || at.empty())
        return std::nullopt;
    const auto [today, clock] = now();
    return nextWakeDay(wakeDaysOf(extras), today, at > clock);
}

int skipCommand(const Options &options, const std::string &pcText, bool undo)
{
    if (pcText.size() != 1 || pcText[0] < '0' + FirstPc || pcText[0] > '0' + LastPc)
        return usage(textWith(T_("PC の番号は 1 から 5 までです: %1"), {pcText}));
    const int pc = pcText[0] - '0';
    SettingsValues values;
    OrvaneTable extras;
    std::string error, path;
    if (!readSettings(options, values, error, &extras, &path))
        return refused(error);
    PcExtras &e = extras[static_cast<size_t>(pc)];
    const std::string subject = wakeSubject(wakeSettingsOf(values, pc));
    std::string said;
    if (undo) {
        e.skipNext.clear();
        said = textWith(T_("%1の次の起動を休むのをやめました"), {subject});
    } else {
        e.skipNext.clear();
        std::string time;
        const std::optional<Day> next = nextWakeOfPc(values, e, pc, &time);
        if (!next)
            return refused(textWith(T_("%1にはタイマーで起動する予定がありません！"), {subject}));
        e.skipNext = isoDate(*next);
        said = textWith(T_("%1の %2 %3 の起動を休みます"), {subject, dayText(*next), time});
    }
    if (!writeOrvaneSettings(path, extras, &error))
        return refused(textWith(T_("%1 を書き込めません！"), {path}) + CrLf + error);
    print(stdout, said);
    return Sent;
}

} // namespace orvane::cli
