#include "core/time/WakeSchedule.h"

#include "core/time/Clock.h"
#include "core/time/TimeText.h"
#include "core/wake/WakeDays.h"
#include "core/wake/WakeRequest.h"

#include <QLocale>

#include <algorithm>
#include <cstdlib>

namespace orvane {

namespace {

// 24:00:00 (the last half second before midnight) and 00:00:00 are both texts of the day.
constexpr int Positions = 86401;

int twoDigits(const QString &text, int at)
{
    const QChar a = text.at(at), b = text.at(at + 1);
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
        return -1;
    return (a.unicode() - u'0') * 10 + (b.unicode() - u'0');
}

// "hh:mm:ss" as a position in the day's sequence of texts: 00:00:00 is 0, 24:00:00 is 86400;
// -1 for anything else.
int timeTextPosition(const QString &text)
{
    if (text.size() != 8 || text.at(2) != u':' || text.at(5) != u':')
        return -1;
    const int h = twoDigits(text, 0), m = twoDigits(text, 3), s = twoDigits(text, 6);
    if (h < 0 || m < 0 || s < 0 || m > 59 || s > 59)
        return -1;
    const int pos = (h * 60 + m) * 60 + s;
    return pos < Positions ? pos : -1;
}

} // namespace

QStringList WakeSchedule::timesToCheck(const QString &now, qint64 monotonicMs, int utcOffsetSeconds)
{
    const int pos = timeTextPosition(now);
    if (pos < 0)
        return {now};
    int last = m_last;
    const qint64 elapsedMs = monotonicMs - m_lastMs;
    m_lastMs = monotonicMs;
    const int shift = last >= 0 ? utcOffsetSeconds - m_offset : 0;
    m_offset = utcOffsetSeconds;
    // Slack for a tick that is late by most of a second on top of the minute.
    const bool shortGap = last >= 0 && elapsedMs >= 0 && elapsedMs <= (MaxCatchUpSeconds + 2) * 1000LL;
    const int ahead = last >= 0 ? (pos - last + Positions) % Positions : 0;
    // Daylight saving moved the clock by shift: forward, the texts it skipped are due now, once;
    // back, the texts up to the last one checked come again and are passed over.
    if (shortGap && shift > 0 && std::abs(ahead - shift) <= MaxCatchUpSeconds + 1) {
        QStringList texts;
        for (int i = 1; i <= ahead; ++i)
            texts.append(timeText((last + i) % Positions));
        m_last = pos;
        return texts;
    }
    if (shortGap && shift < 0 && std::abs(Positions - ahead + shift) <= MaxCatchUpSeconds + 1) {
        m_repeatUntil = last;
        m_last = pos;
        return {};
    }
    if (m_repeatUntil >= 0) {
        if (shortGap && pos <= m_repeatUntil && pos >= m_last) {
            m_last = pos;
            return {};
        }
        if (shortGap && pos > m_repeatUntil)
            last = m_repeatUntil;
        m_repeatUntil = -1;
    }

    if (pos == last)
        return {};
    if (shortGap) {
        const int ahead = (pos - last + Positions) % Positions;
        if (ahead <= MaxCatchUpSeconds + 1) {
            QStringList texts;
            for (int i = 1; i <= ahead; ++i)
                texts.append(timeText((last + i) % Positions));
            m_last = pos;
            return texts;
        }
        // The clock went back a little (an adjustment): those texts were checked already.
        if (Positions - ahead <= MaxCatchUpSeconds)
            return {};
    }
    m_last = pos;
    return {now};
}

QString wakeTimeOf(const QString &stored)
{
    if (timeTextPosition(stored) >= 0)
        return stored;
    QString text = stored;
    for (QChar &c : text) {
        if (c >= u'\uFF10' && c <= u'\uFF1A') // full-width 0 to 9 and ':'
            c = QChar(c.unicode() - 0xFF10 + u'0');
    }
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return QString();
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        if (part.isEmpty() || part.size() > 2 ||
            !std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return QString();
        values[i] = part.toInt();
    }
    const QString meant = QStringLiteral("%1:%2:%3")
                              .arg(values[0], 2, 10, QLatin1Char('0'))
                              .arg(values[1], 2, 10, QLatin1Char('0'))
                              .arg(values[2], 2, 10, QLatin1Char('0'));
    return timeTextPosition(meant) >= 0 ? meant : QString();
}

std::optional<Day> nextWakeDayOf(const SettingsGrid &table, const OrvaneTable &extras, int pc)
{
    const QString time = wakeTimeOf(table.value(pc, WakeTimeCell));
    if (!timerFlagOn(table.value(pc, TimerCell)) || time.isEmpty())
        return std::nullopt;
    const bool laterToday = timeTextPosition(time) > static_cast<int>(clock().secondsSinceMidnight());
    return nextWakeDay(wakeDaysOf(extras[static_cast<size_t>(pc)]), dayOf(clock().today()), laterToday);
}

QString nextWakeOf(const SettingsGrid &table, const OrvaneTable &extras, int pc)
{
    const QString time = wakeTimeOf(table.value(pc, WakeTimeCell));
    if (!timerFlagOn(table.value(pc, TimerCell)) || time.isEmpty())
        return QString();
    return QString::fromStdString(nextWakeText(nextWakeDayOf(table, extras, pc), time.toStdString()));
}

bool wakesToday(const OrvaneTable &extras, int pc)
{
    return wakesOn(wakeDaysOf(extras[static_cast<size_t>(pc)]), dayOf(clock().today()));
}

TimerFlag timerFlagOf(const QString &flag)
{
    bool isNumber = false;
    const double value = QLocale::c().toDouble(flag.trimmed(), &isNumber);
    if (!isNumber)
        return TimerFlag::Other;
    return value == 1.0   ? TimerFlag::On
           : value == 0.0 ? TimerFlag::Off
           : value == 2.0 ? TimerFlag::Grey
                          : TimerFlag::Other;
}

} // namespace orvane
