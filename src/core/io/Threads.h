#pragma once

// Every thread started off a program's main thread is kept here, so that none is left running alone:
// one that has finished is joined when the next starts, and at the end all are asked to stop and
// joined. Work that can wait long watches its stop token (or the Cancel it is handed).

#include <cstddef>
#include <functional>
#include <stop_token>

namespace orvane {

// Runs work on a kept thread of its own; std::system_error when the system gives no thread.
void startThread(std::function<void(std::stop_token)> work);

// Asks every kept thread to stop and joins it. The end of each program's main calls this, before
// anything static goes away.
void joinThreads();

// Kept threads that haven't ended yet.
std::size_t runningThreads();

// The resolver of this thread (getaddrinfo, getnameinfo) made to give up on a silent name server
// after 2 s (the lookups' callers wait 3 s at the most): a thread in a lookup is joined within 2 s
// of being asked to stop.
void boundResolver();

} // namespace orvane
