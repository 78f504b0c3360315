#pragma once

// The one place that picks this build's desktop adapter.
#if defined(Q_OS_LINUX) || defined(__linux__)
#include "platform/linux/LinuxDesktop.h"
namespace orvane {
using PlatformDesktop = LinuxDesktop;
}
#else
#error "No desktop adapter for this platform yet"
#endif
