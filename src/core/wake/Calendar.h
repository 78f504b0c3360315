#pragma once

// The days a timed wake fires on: weekdays, Japan's public holidays, days off. Plain C++: the
// command line tells the next wake too.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

using Day = std::chrono::year_month_day;

// Bit d (0 Sunday … 6 Saturday) set for each weekday of a "days" text: "mon,tue,wed", "mon-fri",
// ranges that wrap ("fri-mon"), either case, blanks around. Nothing for text that names none.
std::optional<unsigned> parseWeekdays(std::string_view text);
inline constexpr unsigned EveryDay = 0x7F;
// The days of such bits as a "days" text, Monday first, runs of three or more as ranges: "mon-fri",
// "mon,wed,sat-sun"; empty for every day.
std::string weekdaysText(unsigned days);

// The dates and ranges of a "skip" text: "2026-12-29..2027-01-03, 2027-05-06". Nothing for a text
// with anything else in it (a date that doesn't exist, a range that ends before it starts).
std::optional<std::vector<std::pair<Day, Day>>> parseDateRanges(std::string_view text);

// Whether day is a public holiday of Japan by the national holidays law as it stands since 2016
// (with its one-year exceptions of 2019 to 2021): the fixed and Monday holidays, the equinox days by
// the astronomical formula the calendar uses, 振替休日 and 国民の休日. Computed, for any year from 1980
// to 2099 by today's rules.
bool japaneseHoliday(Day day);

// "12/08(火)".
std::string dayText(Day day);
// "2026-12-08", and back; nothing for a text that isn't such a date.
std::string isoDate(Day day);
std::optional<Day> parseIsoDate(std::string_view text);

} // namespace orvane
