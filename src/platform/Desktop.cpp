#include "platform/Desktop.h"

#include "platform/PlatformDesktop.h"

namespace orvane {

namespace {
Desktop *g_desktop = nullptr;
}

Desktop &desktop()
{
    if (!g_desktop) {
        static PlatformDesktop platform;
        g_desktop = &platform;
    }
    return *g_desktop;
}

void setDesktop(Desktop *d)
{
    g_desktop = d;
}

} // namespace orvane
