#include "core/io/Threads.h"

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <netinet/in.h>
#include <resolv.h>

namespace orvane {

namespace {

struct Kept {
    std::jthread thread;
    std::shared_ptr<std::atomic<bool>> done;
};

struct Keeper {
    std::mutex mutex;
    std::list<Kept> threads;

    void joinAll()
    {
        for (;;) {
            std::list<Kept> all;
            {
                const std::lock_guard lock(mutex);
                all.swap(threads);
            }
            if (all.empty())
                return;
            for (Kept &t : all)
                t.thread.request_stop();
            all.clear(); // each jthread joins as it goes; threads they started are joined next time round
        }
    }
    ~Keeper() { joinAll(); }
};

Keeper &keeper()
{
    static Keeper k;
    return k;
}

} // namespace

void startThread(std::function<void(std::stop_token)> work)
{
    Keeper &k = keeper();
    std::list<Kept> finished;
    {
        const std::lock_guard lock(k.mutex);
        for (auto it = k.threads.begin(); it != k.threads.end();) {
            const auto next = std::next(it);
            if (it->done->load())
                finished.splice(finished.end(), k.threads, it);
            it = next;
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::jthread thread([work = std::move(work), done](std::stop_token stop) {
            work(stop);
            *done = true;
        });
        k.threads.push_back({std::move(thread), std::move(done)});
    }
    // The finished ones are joined here, outside the lock, as they go.
}

void joinThreads()
{
    keeper().joinAll();
}

std::size_t runningThreads()
{
    Keeper &k = keeper();
    const std::lock_guard lock(k.mutex);
    std::size_t n = 0;
    for (const Kept &t : k.threads)
        n += t.done->load() ? 0 : 1;
    return n;
}

void boundResolver()
{
    thread_local bool bound = false;
    if (bound || res_init() != 0)
        return;
    _res.retrans = 2;
    _res.retry = 1;
    bound = true;
}

} // namespace orvane
