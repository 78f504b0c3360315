#pragma once

#include <cstring>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane::test {

// Where it can (as root), the suite runs in a network of its own with only loopback up: a host a test
// types (a name the settings dialog looks up, a PC the status round checks) never reaches the
// machine's real links or its name server.
inline void enterPrivateNetwork()
{
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNET) != 0)
        return;
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq lo{};
    std::strncpy(lo.ifr_name, "lo", IFNAMSIZ - 1);
    if (s >= 0 && ::ioctl(s, SIOCGIFFLAGS, &lo) == 0) {
        lo.ifr_flags |= IFF_UP;
        ::ioctl(s, SIOCSIFFLAGS, &lo);
    }
    if (s >= 0)
        ::close(s);
}

} // namespace orvane::test
