#pragma once

#include "core/io/Threads.h"
#include "core/io/Wait.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace orvane {

// Network work for a window, off the GUI thread: the work runs on a thread of its own (started from
// the calling thread, so it shares its network namespace) and hands its results back to the window's
// thread. Once the window cuts it, nothing more reaches the window and the work is told to stop; the
// window never waits for the thread, so a slow lookup can't hold it up (the program's end does).
class BackgroundJob {
public:
    explicit BackgroundJob(QObject *window) : m_window(window) {}

    // Runs fn on the GUI thread of the window, unless cut meanwhile.
    template <class F> void post(F &&fn)
    {
        const std::lock_guard lock(m_mutex);
        if (m_window)
            QMetaObject::invokeMethod(m_window, std::forward<F>(fn), Qt::QueuedConnection);
    }

    // Nothing more is handed back, and the work is asked to stop.
    void cut()
    {
        const std::lock_guard lock(m_mutex);
        m_window = nullptr;
        cancel.cancel();
    }

    // Starts work(job) on a thread of its own.
    template <class F> static std::shared_ptr<BackgroundJob> start(QObject *window, F &&work)
    {
        auto job = std::make_shared<BackgroundJob>(window);
        startThread([job, work = std::forward<F>(work)](std::stop_token stop) mutable {
            // The program's end stops the work as a window's cut does.
            const std::stop_callback atEnd(stop, [&job] { job->cancel.cancel(); });
            work(*job);
        });
        return job;
    }

    Cancel cancel;

private:
    std::mutex m_mutex;
    QObject *m_window;
};

} // namespace orvane
