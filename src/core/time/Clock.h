#pragma once

#include <QDate>
#include <QtGlobal>

namespace orvane {

// The local clock, behind an interface so that time-of-day rules can be tested at any hour.
class Clock {
public:
    virtual ~Clock() = default;
    // Local time of day in seconds since midnight, with a fractional part.
    virtual double secondsSinceMidnight() const = 0;
    // A monotonic count of milliseconds that doesn't jump at midnight or with clock changes.
    virtual qint64 monotonicMs() const = 0;
    // Today's local date.
    virtual QDate today() const = 0;
    // The local time's offset from UTC now, in seconds (it changes with daylight saving).
    virtual int utcOffsetSeconds() const = 0;
};

// The clock in use: the system's, unless a test installed another.
Clock &clock();
void setClock(Clock *clock);

} // namespace orvane
