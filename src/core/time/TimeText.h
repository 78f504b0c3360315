#pragma once

#include <QString>

namespace orvane {

// "hh:mm:ss" for a count of seconds since midnight (0 ≤ t < 86,401); the fraction is dropped.
// 86,400 gives "24:00:00".
QString timeText(double seconds);

// Rounds to the nearest whole second, a value exactly halfway going to the even second.
double roundHalfEven(double seconds);

// The time text of the clock rounded halfway-to-even: "24:00:00" in the last half second before
// midnight, as the timed wake has always compared it.
QString roundedTimeText(double secondsSinceMidnight);

} // namespace orvane
