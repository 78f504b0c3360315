#pragma once

#include <QString>

namespace orvane {

// The four operating-system texts of the common services object.
struct OsDescription {
    QString verId;        // " 5. 1"
    QString verName;      // "32s", "95", "98", "Me", "NT", "2000" or empty
    QString platformId;   // " 2"
    QString platformName; // "32s", "95", "NT" or empty
};

// Platform number reported on Linux: 4, the number .NET's PlatformID gives Unix. No Windows family
// uses it (they are 0 to 3), so both names stay empty and nothing that tests for the NT family (2)
// is misled.
inline constexpr int LinuxPlatformId = 4;

// This machine: the running kernel's major and minor version on the Linux platform number.
OsDescription describeThisSystem();

} // namespace orvane
