#include "core/net/NameLookups.h"

#include "core/io/Threads.h"

#include <cstdint>
#include <system_error>

#include <netdb.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace orvane {

namespace {

constexpr int NameThreads = 8;

// Whether a name resolves to this address (among others).
bool leadsBackTo(const char *name, const Address &a)
{
    addrinfo hints{};
    hints.ai_family = a.family;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0)
        return false;
    bool back = false;
    for (const addrinfo *i = found; i && !back; i = i->ai_next)
        back = addressOf(i->ai_addr).text() == a.text();
    ::freeaddrinfo(found);
    return back;
}

} // namespace

NameLookups::NameLookups() : m_shared(std::make_shared<Shared>())
{
    m_shared->wake.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

NameLookups::~NameLookups()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->stop = true;
    m_shared->queue.clear();
    m_shared->more.notify_all();
}

void NameLookups::lookUp(const Address &a)
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->queue.push_back(a);
    m_shared->more.notify_one();
    if (m_threads < NameThreads && m_threads < static_cast<int>(m_shared->queue.size()) + m_shared->busy) {
        try {
            startThread([shared = m_shared](std::stop_token stop) { work(shared, stop); });
            ++m_threads;
        } catch (const std::system_error &) {
        }
    }
}

std::vector<std::pair<Address, std::string>> NameLookups::take()
{
    std::uint64_t count;
    [[maybe_unused]] const ssize_t r = ::read(m_shared->wake.get(), &count, sizeof count);
    std::lock_guard lock(m_shared->mutex);
    return std::exchange(m_shared->done, {});
}

void NameLookups::work(const std::shared_ptr<Shared> &shared, std::stop_token stop)
{
    boundResolver();
    std::unique_lock lock(shared->mutex);
    for (;;) {
        if (!shared->more.wait(lock, stop, [&] { return shared->stop || !shared->queue.empty(); }) || shared->stop)
            return;
        const Address a = shared->queue.back();
        shared->queue.pop_back();
        ++shared->busy;
        lock.unlock();
        sockaddr_storage ss;
        const socklen_t length = a.socketAddress(ss);
        char host[NI_MAXHOST] = {};
        // A name is the machine's only when it leads back to it: a reverse name without a forward
        // record, or with another machine's address, would make a host that wakes or checks nothing
        // or someone else.
        if (::getnameinfo(reinterpret_cast<const sockaddr *>(&ss), length, host, sizeof host, nullptr, 0,
                          NI_NAMEREQD) != 0 ||
            !leadsBackTo(host, a))
            host[0] = '\0';
        lock.lock();
        --shared->busy;
        shared->done.emplace_back(a, host);
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t w = ::write(shared->wake.get(), &one, sizeof one);
    }
}

} // namespace orvane
