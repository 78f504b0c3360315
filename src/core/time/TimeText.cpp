#include "core/time/TimeText.h"

#include <cmath>

namespace orvane {

QString timeText(double seconds)
{
    const qint64 whole = static_cast<qint64>(std::trunc(seconds));
    const qint64 minutesTotal = whole / 60;
    const qint64 hours = minutesTotal / 60;
    const qint64 minutes = minutesTotal - 60 * hours;
    const qint64 secs = whole - 60 * minutesTotal;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(secs, 2, 10, QLatin1Char('0'));
}

double roundHalfEven(double seconds)
{
    // Spelled out rather than left to the floating-point rounding mode in force.
    const double down = std::floor(seconds);
    const double fraction = seconds - down;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(down, 2.0) != 0.0))
        return down + 1.0;
    return down;
}

QString roundedTimeText(double secondsSinceMidnight)
{
    return timeText(roundHalfEven(secondsSinceMidnight));
}

} // namespace orvane
