#pragma once

#include <cstdio>
#include <cstdlib>

// A property the harness checks: when it breaks, libFuzzer keeps the input as a crash.
inline void require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
