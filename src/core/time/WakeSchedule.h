#pragma once

#include "core/settings/SettingsGrid.h"
#include "core/wake/Calendar.h"
#include "core/wake/OrvaneSettings.h"

#include <QDate>

#include <QList>
#include <QString>
#include <QStringList>

namespace orvane {

// Which time texts each tick of the timed wake checks. A tick that comes late checks the texts it
// skipped, in order; a text is never checked twice in a row; after a gap of more than a minute
// (suspend, a clock change) only the current text is checked, so old wake times aren't caught up.
// A daylight-saving change is no such gap: the texts the clock skips are checked once at the change,
// and those it repeats aren't checked again.
class WakeSchedule {
public:
    static constexpr int MaxCatchUpSeconds = 60;

    // `now` is the tick's time text ("hh:mm:ss", 00:00:00 to 24:00:00); monotonicMs a clock that
    // doesn't jump. Returns the texts to check, oldest first (often just `now`, sometimes none).
    // utcOffsetSeconds: the local time's offset from UTC at the tick.
    QStringList timesToCheck(const QString &now, qint64 monotonicMs, int utcOffsetSeconds = 0);

private:
    int m_last = -1; // position of the last text checked
    qint64 m_lastMs = 0;
    int m_offset = 0;
    int m_repeatUntil = -1; // after the clock went back for daylight saving: texts checked already
};

// The time text a stored wake time stands for: an exact "hh:mm:ss" as it is; else, with the blanks
// around it dropped and full-width digits and colons read as plain ones, hours and minutes with or
// without seconds, one or two digits each ("7:05" is "07:05:00"). Empty for a text that names no
// time of the day: such a wake time never comes.
QString wakeTimeOf(const QString &stored);

// What a stored timer flag says, read as a number (" 1", "1.0" and "1e0" are 1): 1 on, 0 off, 2 the
// grey state, which only a stored 2 gives the settings dialog's check box. Anything else, a number
// or not, is none of these.
enum class TimerFlag { Off, On, Grey, Other };
TimerFlag timerFlagOf(const QString &flag);

// A timer flag counts as on when it is the number 1; anything that isn't a number is off.
inline bool timerFlagOn(const QString &flag)
{
    return timerFlagOf(flag) == TimerFlag::On;
}

inline Day dayOf(const QDate &date)
{
    return Day(std::chrono::year(date.year()), std::chrono::month(static_cast<unsigned>(date.month())),
               std::chrono::day(static_cast<unsigned>(date.day())));
}

// PC pc's next timed wake as its tips say it ("次の起動 12/08(火) 07:30:00", "次の起動 なし"); empty while
// its timer is off or its wake time names no time.
QString nextWakeOf(const SettingsGrid &table, const OrvaneTable &extras, int pc);
// Its day alone; nothing as above or when no day comes.
std::optional<Day> nextWakeDayOf(const SettingsGrid &table, const OrvaneTable &extras, int pc);

// Whether PC pc's timed wake fires today (its days, holidays and days off).
bool wakesToday(const OrvaneTable &extras, int pc);

} // namespace orvane
