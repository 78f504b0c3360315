#pragma once

#include "core/time/Clock.h"

#include <cmath>

namespace orvane::test {

// A clock that stands still until a test moves it; installed while the object lives.
class FakeClock : public Clock {
public:
    explicit FakeClock(double secondsSinceMidnight = 0) : m_seconds(secondsSinceMidnight) { setClock(this); }
    ~FakeClock() override { setClock(nullptr); } // back to the system's
    double secondsSinceMidnight() const override { return m_seconds; }
    qint64 monotonicMs() const override { return m_monotonicMs; }
    QDate today() const override { return m_date; }
    void setDate(const QDate &date) { m_date = date; }
    int utcOffsetSeconds() const override { return m_offset; }
    void set(double secondsSinceMidnight) { m_seconds = secondsSinceMidnight; }
    // Moves both clocks forward; the time of day wraps at midnight.
    void advance(double seconds)
    {
        m_date = m_date.addDays(static_cast<qint64>((m_seconds + seconds) / 86400.0));
        m_seconds = std::fmod(m_seconds + seconds, 86400.0);
        m_monotonicMs += static_cast<qint64>(seconds * 1000.0);
    }

private:
    double m_seconds;
    qint64 m_monotonicMs = 0;
    QDate m_date{2026, 12, 8}; // a Tuesday
    int m_offset = 9 * 3600;
};

} // namespace orvane::test
