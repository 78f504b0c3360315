#pragma once

// Who made a network card, from the first three bytes of its MAC.

#include "core/wake/MagicPacket.h"

#include <string>

namespace orvane {

// The maker for a MAC from the IEEE OUI list (/usr/share/ieee-data/oui.txt), or empty.
std::string makerOf(const MacAddress &mac);
// The same from another copy of the list, read each time.
std::string makerOf(const MacAddress &mac, const std::string &ouiFile);

} // namespace orvane
