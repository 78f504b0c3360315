#pragma once

// On which days a PC's timed wake fires, from its settings in Orvane.ini.

#include "core/wake/Calendar.h"
#include "core/wake/OrvaneSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

struct WakeDays {
    unsigned weekdays = EveryDay;
    bool skipHolidays = false;
    std::vector<std::pair<Day, Day>> off;
    std::optional<Day> skipNext;
};

// A value that fails its check counts as not given (Orvane.ini's reading said so already).
WakeDays wakeDaysOf(const PcExtras &pc);

// Whether the timed wake fires on day.
bool wakesOn(const WakeDays &days, Day day);

// The day of the next timed wake: today if its time is still to come there, else the first day
// after; nothing when none comes within two years.
std::optional<Day> nextWakeDay(const WakeDays &days, Day today, bool laterToday);

// "次の起動 12/08(火) 07:30:00", or "次の起動 なし".
std::string nextWakeText(const std::optional<Day> &day, const std::string &time);

// The command line's reading of a stored wake time and timer flag, as the windows read them: the
// "hh:mm:ss" a wake time stands for ("7:05" is "07:05:00", full-width digits read as plain ones),
// empty when it names no time; and whether the flag is the number 1.
std::string wakeTimeText(std::string_view stored);
bool timerOn(std::string_view flag);

// How orvane-wake --list and the details name the days: "mon-fri", "祝日は休み", "休み 2026-12-29..".
std::string daysSummary(const PcExtras &pc);

} // namespace orvane
