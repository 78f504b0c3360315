#pragma once

// The one owner of a file descriptor (a socket, a file, a netlink socket, an eventfd): closed when
// its owner goes, moved but never copied, as systemd's _cleanup_close_ does it.

#include <cerrno>
#include <utility>

#include <unistd.h>

namespace orvane {

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) noexcept : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    // Closes what it held, keeping errno: a failure's reason is read after its descriptor is gone.
    void reset(int fd = -1) noexcept
    {
        if (m_fd >= 0 && m_fd != fd) {
            const int saved = errno;
            ::close(m_fd);
            errno = saved;
        }
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

} // namespace orvane
