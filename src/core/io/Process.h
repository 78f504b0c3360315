#pragma once

// Another program run to its end, its output kept, never waited on longer than its limit: what the
// wake through a relay runs ssh with.

#include "core/io/Result.h"
#include "core/io/Wait.h"

#include <string>
#include <vector>

namespace orvane {

struct ProcessOutcome {
    enum End { Exited, Signalled, TimedOut, Cancelled } end = Exited;
    int exitCode = -1; // Exited: its exit status
    std::string out;   // standard output and error, each up to MaxProcessOutput bytes
    std::string err;
};

inline constexpr size_t MaxProcessOutput = 65536;

// Runs argv[0] (looked up in PATH) with argv, standard input from /dev/null, in a process group of
// its own. Past the limit or on the cancel the group gets SIGTERM, and SIGKILL 0.5 s later; either
// way the program is reaped before this returns. A failure only when it couldn't be started.
Result<ProcessOutcome> runProcess(const std::vector<std::string> &argv, Steady::duration limit,
                                  const Cancel *cancel = nullptr);

} // namespace orvane
