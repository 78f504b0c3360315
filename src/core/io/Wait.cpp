#include "core/io/Wait.h"

#include <cerrno>
#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace orvane {

Cancel::Cancel() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void Cancel::cancel()
{
    m_cancelled = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_fd.get(), &one, sizeof one);
}

bool sleepOn(std::vector<pollfd> &fds, Steady::time_point until, const Cancel *cancel)
{
    if (cancel)
        fds.push_back({cancel->fd(), POLLIN, 0});
    const int rc = ::poll(fds.data(), fds.size(), msUntil(until));
    if (cancel)
        fds.pop_back();
    return rc >= 0 || errno == EINTR;
}

} // namespace orvane
