#pragma once

// Waiting with a deadline: how long a poll may sleep, and whether the caller gave up.

#include <algorithm>
#include <atomic>
#include <chrono>

namespace orvane {

using Steady = std::chrono::steady_clock;

// How often a wait looks at a caller's cancel flag.
constexpr int CancelSliceMs = 100;

inline bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load();
}

// Milliseconds until t, at most a minute; rounded up, since a poll that wakes a little early would
// only go round again at once.
inline int msUntil(Steady::time_point t)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(t - Steady::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

} // namespace orvane
