#pragma once

#include <cstdlib>

namespace orvane::test {

// The suites check the texts as the source has them, whatever the developer's locale; a test of
// another language sets its own environment for the program it starts.
inline void speakTheSourceLanguage()
{
    unsetenv("LANGUAGE");
    unsetenv("LC_MESSAGES");
    setenv("LC_ALL", "C.UTF-8", 1);
}

} // namespace orvane::test
