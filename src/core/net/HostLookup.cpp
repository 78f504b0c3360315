#include "core/net/HostLookup.h"

#include "core/io/Threads.h"
#include "core/record/Language.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>

#include <charconv>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>

namespace orvane {

namespace {

const char *noSuchHost()
{
    return T_("この名前のホストはありません。");
}

std::string numericText(const sockaddr_storage &ss)
{
    char buf[INET6_ADDRSTRLEN] = {};
    if (ss.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(&ss)->sin_addr, buf, sizeof buf);
    else if (ss.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(&ss)->sin6_addr, buf, sizeof buf);
    return buf;
}

// An IPv4 address written as IPv6 (::ffff:a.b.c.d) goes out as plain IPv4.
void unmapV4(HostAddress &h)
{
    if (h.address.ss_family != AF_INET6)
        return;
    const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(&h.address);
    if (!IN6_IS_ADDR_V4MAPPED(&in6->sin6_addr))
        return;
    sockaddr_in in{};
    in.sin_family = AF_INET;
    std::memcpy(&in.sin_addr, in6->sin6_addr.s6_addr + 12, 4);
    h.address = {};
    std::memcpy(&h.address, &in, sizeof in);
    h.length = sizeof in;
}

bool numericAddress(const std::string &text, HostAddress &out)
{
    sockaddr_in in{};
    if (inet_pton(AF_INET, text.c_str(), &in.sin_addr) == 1) {
        in.sin_family = AF_INET;
        std::memcpy(&out.address, &in, sizeof in);
        out.length = sizeof in;
        return true;
    }
    std::string addr = text;
    std::string scope;
    if (const size_t pct = text.find('%'); pct != std::string::npos) {
        addr = text.substr(0, pct);
        scope = text.substr(pct + 1);
    }
    sockaddr_in6 in6{};
    if (inet_pton(AF_INET6, addr.c_str(), &in6.sin6_addr) != 1)
        return false;
    in6.sin6_family = AF_INET6;
    if (!scope.empty()) {
        // An interface number beyond 32 bits is no interface: it must not wrap onto another one.
        const char *end = scope.data() + scope.size();
        const bool number = scope.find_first_not_of("0123456789") == std::string::npos;
        if (!number)
            in6.sin6_scope_id = if_nametoindex(scope.c_str());
        else if (std::from_chars(scope.data(), end, in6.sin6_scope_id).ptr != end)
            return false;
        if (in6.sin6_scope_id == 0)
            return false;
    }
    std::memcpy(&out.address, &in6, sizeof in6);
    out.length = sizeof in6;
    return true;
}

std::string lookupFailure(int rc)
{
    switch (rc) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
        return noSuchHost();
    case EAI_AGAIN:
        return T_("名前解決サーバーから答えがありませんでした。");
    case EAI_ADDRFAMILY:
    case EAI_FAMILY:
        return T_("このホストには使えるアドレスがありません。");
    default:
        return textWith(T_("名前を解決できませんでした（%1）。"), {gai_strerror(rc)});
    }
}

// Shared with the resolving thread, which may outlive the caller's wait.
struct Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int rc = 0;
    HostAddress host;
};

// The system resolver on this thread: 0 and the address, or getaddrinfo's failure.
int resolveName(const std::string &name, HostAddress &found)
{
    boundResolver();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    // International names go to the resolver in their ASCII form.
    for (unsigned char c : name)
        if (c >= 0x80)
            hints.ai_flags |= AI_IDN;
    // The names are UTF-8 whatever the process's locale (a program that never set one has ASCII):
    // the resolver converts them in this thread's character type.
    const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    if (utf8)
        uselocale(utf8);
    addrinfo *list = nullptr;
    int rc = getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (rc == 0) {
        rc = EAI_NONAME;
        // IPv4 first, as the original used it and what a sleeping PC's subnet reaches; IPv6 only for
        // names without one.
        for (const int family : {AF_INET, AF_INET6}) {
            for (const addrinfo *ai = list; ai && rc != 0; ai = ai->ai_next) {
                if (ai->ai_family == family && ai->ai_addrlen <= sizeof(sockaddr_storage)) {
                    std::memcpy(&found.address, ai->ai_addr, ai->ai_addrlen);
                    found.length = ai->ai_addrlen;
                    rc = 0;
                }
            }
        }
        freeaddrinfo(list);
    }
    if (utf8) {
        uselocale(LC_GLOBAL_LOCALE);
        freelocale(utf8);
    }
    return rc;
}

std::string withoutBrackets(const std::string &host)
{
    return host.size() > 2 && host.front() == '[' && host.back() == ']' ? host.substr(1, host.size() - 2) : host;
}

} // namespace

std::optional<HostAddress> numericHost(const std::string &hostText)
{
    HostAddress found;
    if (!numericAddress(withoutBrackets(hostText), found))
        return std::nullopt;
    unmapV4(found);
    found.text = numericText(found.address);
    return found;
}

namespace {

// The checks and a numeric address, which need no resolver; nothing when a name must be resolved.
std::optional<HostLookup> withoutResolver(const std::string &host)
{
    // Blanks and control characters never belong to a host; a NUL would even cut the name short
    // (and an empty name means this machine).
    for (unsigned char c : host)
        if (c <= 0x20 || c == 0x7F)
            return HostLookup::failure(noSuchHost());
    if (std::optional<HostAddress> numeric = numericHost(host))
        return HostLookup{std::move(numeric), {}};
    return std::nullopt;
}

HostLookup resolved(int rc, HostAddress host)
{
    if (rc != 0)
        return HostLookup::failure(lookupFailure(rc));
    unmapV4(host);
    host.text = numericText(host.address);
    return HostLookup{std::move(host), {}};
}

} // namespace

HostLookup lookupHostHere(const std::string &hostText)
{
    const std::string host = withoutBrackets(hostText);
    if (std::optional<HostLookup> done = withoutResolver(host))
        return *done;
    HostAddress found;
    const int rc = resolveName(host, found);
    return resolved(rc, found);
}

HostLookup lookupHost(const std::string &hostText, int timeoutMs)
{
    const std::string host = withoutBrackets(hostText);
    if (std::optional<HostLookup> done = withoutResolver(host))
        return *done;
    auto pending = std::make_shared<Pending>();
    try {
        startThread([pending, host](std::stop_token) {
            HostAddress found;
            const int rc = resolveName(host, found);
            const std::lock_guard lock(pending->mutex);
            pending->rc = rc;
            pending->host = found;
            pending->finished = true;
            pending->done.notify_all();
        });
    } catch (const std::system_error &) {
        return HostLookup::failure(T_("名前解決を始められませんでした。"));
    }
    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return pending->finished; }))
        return HostLookup::failure(
            textWith(T_("名前解決が %1 秒以内に終わりませんでした。"), {std::to_string((timeoutMs + 999) / 1000)}));
    return resolved(pending->rc, pending->host);
}

} // namespace orvane
