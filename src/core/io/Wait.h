#pragma once

// Waiting in poll() with a deadline, and ending such a wait from another thread at once.

#include "core/io/Fd.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include <poll.h>

namespace orvane {

using Steady = std::chrono::steady_clock;

// Asked for from any thread; every wait given it wakes at once, as on its own descriptors.
class Cancel {
public:
    Cancel();
    Cancel(const Cancel &) = delete;
    Cancel &operator=(const Cancel &) = delete;
    void cancel();
    bool cancelled() const { return m_cancelled.load(); }
    int fd() const { return m_fd.get(); } // readable once cancelled

private:
    std::atomic<bool> m_cancelled = false;
    Fd m_fd;
};

inline bool cancelled(const Cancel *cancel)
{
    return cancel && cancel->cancelled();
}

// Milliseconds until t, at most a minute; rounded up, since a poll that wakes a little early would
// only go round again at once.
inline int msUntil(Steady::time_point t)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(t - Steady::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

// Sleeps until one of fds is ready, the time comes or the cancel is set; false on a failed poll.
bool sleepOn(std::vector<pollfd> &fds, Steady::time_point until, const Cancel *cancel);

} // namespace orvane
