#include "core/wake/Calendar.h"

#include "core/record/Language.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace orvane {

using namespace std::chrono;

namespace {

constexpr std::array<std::string_view, 7> WeekdayNames{"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> split(std::string_view s, char by)
{
    std::vector<std::string_view> parts;
    for (size_t at = 0;;) {
        const size_t end = s.find(by, at);
        parts.push_back(trimmed(s.substr(at, end == std::string_view::npos ? end : end - at)));
        if (end == std::string_view::npos)
            return parts;
        at = end + 1;
    }
}

std::optional<unsigned> weekdayNamed(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto at = std::find(WeekdayNames.begin(), WeekdayNames.end(), lower);
    if (at == WeekdayNames.end())
        return std::nullopt;
    return static_cast<unsigned>(at - WeekdayNames.begin());
}

// The n-th Monday of a month.
Day nthMonday(int y, unsigned m, unsigned n)
{
    return Day(sys_days(year(y) / month(m) / weekday_indexed(Monday, n)));
}

// The equinox days of the calendar's formula (valid 1980 to 2099).
unsigned springEquinox(int y)
{
    return static_cast<unsigned>(std::floor(20.8431 + 0.242194 * (y - 1980) - std::floor((y - 1980) / 4.0)));
}
unsigned autumnEquinox(int y)
{
    return static_cast<unsigned>(std::floor(23.2488 + 0.242194 * (y - 1980) - std::floor((y - 1980) / 4.0)));
}

// The 国民の祝日 themselves, before the days they bring along.
bool namedHoliday(Day day)
{
    const int y = static_cast<int>(day.year());
    const unsigned m = static_cast<unsigned>(day.month()), d = static_cast<unsigned>(day.day());
    const auto is = [&](unsigned mm, unsigned dd) { return m == mm && d == dd; };
    const auto monday = [&](unsigned mm, unsigned n) { return day == nthMonday(y, mm, n); };
    if (is(1, 1) || monday(1, 2) || is(2, 11) || is(3, springEquinox(y)) || is(4, 29) || is(5, 3) || is(5, 4) ||
        is(5, 5) || monday(9, 3) || is(9, autumnEquinox(y)) || is(11, 3) || is(11, 23))
        return true;
    if (y >= 2020 ? is(2, 23) : y <= 2018 && is(12, 23)) // the Emperor's birthday
        return true;
    if (y == 2019 && (is(5, 1) || is(10, 22))) // the accession and its ceremony
        return true;
    // Marine, Mountain and Sports Day moved for the Olympic Games of 2020, held in 2021.
    if (y == 2020)
        return is(7, 23) || is(7, 24) || is(8, 10);
    if (y == 2021)
        return is(7, 22) || is(7, 23) || is(8, 8);
    return monday(7, 3) || (y >= 2016 && is(8, 11)) || monday(10, 2);
}

} // namespace

std::optional<unsigned> parseWeekdays(std::string_view text)
{
    unsigned days = 0;
    for (std::string_view part : split(text, ',')) {
        const size_t dash = part.find('-');
        const std::optional<unsigned> from = weekdayNamed(trimmed(part.substr(0, dash)));
        const std::optional<unsigned> to =
            dash == std::string_view::npos ? from : weekdayNamed(trimmed(part.substr(dash + 1)));
        if (!from || !to)
            return std::nullopt;
        for (unsigned d = *from;; d = (d + 1) % 7) {
            days |= 1u << d;
            if (d == *to)
                break;
        }
    }
    return days;
}

std::string weekdaysText(unsigned days)
{
    if ((days & EveryDay) == EveryDay)
        return {};
    std::string text;
    for (unsigned i = 0; i < 7;) { // Monday (1) first, Sunday (0) last
        const auto bit = [&](unsigned k) { return (days >> ((k + 1) % 7)) & 1u; };
        if (!bit(i)) {
            ++i;
            continue;
        }
        unsigned end = i;
        while (end + 1 < 7 && bit(end + 1))
            ++end;
        text += (text.empty() ? "" : ",") + std::string(WeekdayNames[(i + 1) % 7]);
        if (end >= i + 2)
            text += "-" + std::string(WeekdayNames[(end + 1) % 7]);
        else if (end == i + 1)
            text += "," + std::string(WeekdayNames[(end + 1) % 7]);
        i = end + 1;
    }
    return text;
}

std::optional<Day> parseIsoDate(std::string_view text)
{
    text = trimmed(text);
    int y = 0;
    unsigned m = 0, d = 0;
    char tail = 0;
    const std::string s(text);
    if (s.size() != 10 || s[4] != '-' || s[7] != '-' || std::sscanf(s.c_str(), "%4d-%2u-%2u%c", &y, &m, &d, &tail) != 3)
        return std::nullopt;
    const Day day{year(y), month(m), std::chrono::day(d)};
    return day.ok() ? std::optional<Day>(day) : std::nullopt;
}

std::optional<std::vector<std::pair<Day, Day>>> parseDateRanges(std::string_view text)
{
    std::vector<std::pair<Day, Day>> ranges;
    if (trimmed(text).empty())
        return ranges;
    for (std::string_view part : split(text, ',')) {
        const size_t dots = part.find("..");
        const std::optional<Day> from = parseIsoDate(part.substr(0, dots));
        const std::optional<Day> to = dots == std::string_view::npos ? from : parseIsoDate(part.substr(dots + 2));
        if (!from || !to || sys_days(*to) < sys_days(*from))
            return std::nullopt;
        ranges.emplace_back(*from, *to);
    }
    return ranges;
}

bool japaneseHoliday(Day day)
{
    if (namedHoliday(day))
        return true;
    const sys_days today(day);
    // 国民の休日: a day between two 祝日.
    if (namedHoliday(Day(today - days(1))) && namedHoliday(Day(today + days(1))))
        return true;
    // 振替休日: the first day after a 祝日 on a Sunday that isn't a 祝日 itself.
    for (sys_days back = today - days(1); namedHoliday(Day(back)); back -= days(1))
        if (weekday(back) == Sunday)
            return true;
    return false;
}

std::string dayText(Day day)
{
    const char *const names[] = {T_("日"), T_("月"), T_("火"), T_("水"), T_("木"), T_("金"), T_("土")};
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%02u(", static_cast<unsigned>(day.month()),
                  static_cast<unsigned>(day.day()));
    return text + std::string(names[weekday(sys_days(day)).c_encoding()]) + ")";
}

std::string isoDate(Day day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()), static_cast<unsigned>(day.month()),
                  static_cast<unsigned>(day.day()));
    return text;
}

} // namespace orvane
