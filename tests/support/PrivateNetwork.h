#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane::test {

// Where it can (as root), the suite's mounts are its own, so that a test can lay a file of its own over
// one of the system's (a hosts file, a resolver's configuration) without anyone else seeing it.
inline bool &inPrivateMounts()
{
    static bool in = false;
    return in;
}
inline void enterPrivateMounts()
{
    inPrivateMounts() = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

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

// In that network, a link where whatever is sent to 192.0.2.53 goes unanswered (to a MAC that nobody
// on it has: no answer, no error), the SilentNameServer's.
inline void addSilentLink()
{
    std::system("ip link add silent0 type veth peer name silent1 && ip link set silent1 up && "
                "ip addr add 192.0.2.1/24 dev silent0 && ip link set silent0 up && "
                "ip neigh add 192.0.2.53 lladdr 02:00:00:00:00:53 dev silent0 nud permanent");
}

// Lays text over the system's file at path while it lives (in private mounts only).
class Overlay {
public:
    Overlay(const char *path, const std::string &text) : m_path(path)
    {
        if (!inPrivateMounts()) // never over everyone's file
            return;
        if (::access(path, F_OK) != 0) // a bare root may have none
            std::fclose(std::fopen(path, "a"));
        FILE *f = std::fopen(m_file.c_str(), "w");
        m_mounted = f && std::fputs(text.c_str(), f) >= 0 && std::fclose(f) == 0 &&
                    ::mount(m_file.c_str(), path, nullptr, MS_BIND, nullptr) == 0;
    }
    ~Overlay()
    {
        if (m_mounted)
            ::umount(m_path);
        std::remove(m_file.c_str());
    }
    Overlay(const Overlay &) = delete;
    Overlay &operator=(const Overlay &) = delete;
    bool mounted() const { return m_mounted; }

private:
    const char *m_path;
    std::string m_file = "/tmp/orvane-overlay." + std::to_string(::getpid()) + "." + std::to_string(++count());
    bool m_mounted = false;
    static int &count()
    {
        static int n = 0;
        return n;
    }
};

// While it lives, the resolver asks a name server that never answers (patient: 5 s, twice).
class SilentNameServer : public Overlay {
public:
    SilentNameServer() : Overlay("/etc/resolv.conf", "nameserver 192.0.2.53\noptions timeout:5 attempts:2\n") {}
};

} // namespace orvane::test
