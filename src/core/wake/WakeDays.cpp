#include "core/wake/WakeDays.h"

#include "core/record/Language.h"

#include <cstdio>
#include <cstdlib>

namespace orvane {

using namespace std::chrono;

WakeDays wakeDaysOf(const PcExtras &pc)
{
    WakeDays d;
    d.weekdays = parseWeekdays(pc.days).value_or(EveryDay);
    if (pc.days.empty())
        d.weekdays = EveryDay;
    d.skipHolidays = pc.holidays == "skip";
    d.off = parseDateRanges(pc.skip).value_or(std::vector<std::pair<Day, Day>>{});
    d.skipNext = parseIsoDate(pc.skipNext);
    return d;
}

bool wakesOn(const WakeDays &days, Day day)
{
    const sys_days at(day);
    if (!(days.weekdays & (1u << weekday(at).c_encoding())))
        return false;
    if (days.skipHolidays && japaneseHoliday(day))
        return false;
    for (const auto &[from, to] : days.off)
        if (sys_days(from) <= at && at <= sys_days(to))
            return false;
    return !(days.skipNext && *days.skipNext == day);
}

std::optional<Day> nextWakeDay(const WakeDays &days, Day today, bool laterToday)
{
    for (int i = laterToday ? 0 : 1; i <= 731; ++i)
        if (const Day day(sys_days(today) + std::chrono::days(i)); wakesOn(days, day))
            return day;
    return std::nullopt;
}

std::string nextWakeText(const std::optional<Day> &day, const std::string &time)
{
    return day ? textWith(T_("次の起動 %1 %2"), {dayText(*day), time}) : std::string(T_("次の起動 なし"));
}

std::string wakeTimeText(std::string_view stored)
{
    std::string text;
    for (size_t i = 0; i < stored.size(); ++i) {
        // Full-width 0 to 9 and ':' (U+FF10 to U+FF1A) are EF BC 90 to EF BC 9A.
        if (stored.substr(i, 2) == "\xEF\xBC" && i + 2 < stored.size() &&
            static_cast<unsigned char>(stored[i + 2]) >= 0x90 && static_cast<unsigned char>(stored[i + 2]) <= 0x9A) {
            text += static_cast<char>('0' + (static_cast<unsigned char>(stored[i + 2]) - 0x90));
            i += 2;
        } else {
            text += stored[i];
        }
    }
    const size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    int values[3] = {0, 0, 0}, n = 0;
    for (size_t at = 0; n < 3; ++n) {
        const size_t colon = text.find(':', at);
        const std::string part = text.substr(at, colon == std::string::npos ? std::string::npos : colon - at);
        if (part.empty() || part.size() > 2 || part.find_first_not_of("0123456789") != std::string::npos)
            return {};
        values[n] = std::stoi(part);
        if (colon == std::string::npos) {
            ++n;
            break;
        }
        at = colon + 1;
        if (n == 2)
            return {};
    }
    if (n < 2 || values[1] > 59 || values[2] > 59 || values[0] * 3600 + values[1] * 60 + values[2] > 86400)
        return {};
    char out[40];
    std::snprintf(out, sizeof out, "%02d:%02d:%02d", values[0], values[1], values[2]);
    return out;
}

bool timerOn(std::string_view flag)
{
    const std::string text(flag);
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::string_view(end).find_first_not_of(" \t") == std::string_view::npos &&
           value == 1.0;
}

std::string daysSummary(const PcExtras &pc)
{
    std::string text = pc.days.empty() ? T_("毎日") : pc.days;
    if (pc.holidays == "skip")
        text += T_("、祝日は休み");
    if (!pc.skip.empty())
        text += textWith(T_("、休み %1"), {pc.skip});
    if (!pc.skipNext.empty())
        text += textWith(T_("、%1 は休み"), {pc.skipNext});
    return text;
}

} // namespace orvane
