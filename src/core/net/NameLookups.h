#pragma once

// Reverse lookups for the sweep, on a few threads of their own; the sweep's poll wakes through an
// eventfd when a name is in. The state is shared, so a thread still waiting on the resolver outlives
// the sweep. A name counts only when it leads back to the address.

#include "core/io/Fd.h"
#include "core/net/Address.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

class NameLookups {
public:
    NameLookups();
    ~NameLookups();
    NameLookups(const NameLookups &) = delete;
    NameLookups &operator=(const NameLookups &) = delete;

    int wakeFd() const { return m_shared->wake.get(); }
    void lookUp(const Address &a);
    // Names found since the last call; an empty name where the address has none.
    std::vector<std::pair<Address, std::string>> take();

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable_any more;
        std::vector<Address> queue;
        std::vector<std::pair<Address, std::string>> done;
        int busy = 0;
        bool stop = false;
        Fd wake;
    };
    static void work(const std::shared_ptr<Shared> &shared, std::stop_token stop);

    std::shared_ptr<Shared> m_shared;
    int m_threads = 0;
};

} // namespace orvane
