#include "core/services/OsDescription.h"

#include "core/settings/Text.h"

#include <sys/utsname.h>

#include <cstdio>

namespace orvane {

namespace {

// The Windows rules for a version record: platform 0 Win32s, 1 the 95 family, 2 the NT family.
OsDescription describeWindows(int major, int minor, int platform)
{
    OsDescription d;
    d.verId = signedText(major) + QLatin1Char('.') + signedText(minor);
    d.platformId = signedText(platform);
    switch (platform) {
    case 0:
        d.verName = QStringLiteral("32s");
        d.platformName = QStringLiteral("32s");
        break;
    case 1:
        if (minor < 10)
            d.verName = QStringLiteral("95");
        else if (minor == 10)
            d.verName = QStringLiteral("98");
        else if (minor == 90)
            d.verName = QStringLiteral("Me");
        d.platformName = QStringLiteral("95");
        break;
    case 2:
        if (major == 4)
            d.verName = QStringLiteral("NT");
        else if (major == 5)
            d.verName = QStringLiteral("2000");
        d.platformName = QStringLiteral("NT");
        break;
    default:
        break;
    }
    return d;
}

} // namespace

OsDescription describeThisSystem()
{
    int major = 0;
    int minor = 0;
    utsname name{};
    // Like the original's ignored version call: a failure describes version 0.0.
    if (uname(&name) == 0 && std::sscanf(name.release, "%d.%d", &major, &minor) != 2) {
        major = 0;
        minor = 0;
    }
    return describeWindows(major, minor, LinuxPlatformId);
}

} // namespace orvane
