#pragma once

// MACs as text: what a user types or pastes, and how the program writes them.

#include "core/wake/MagicPacket.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// A whole MAC in one text: "00:11:22:33:44:55", "00-11-22-33-44-55", "0011.2233.4455" or
// "001122334455", either case, blanks around. Anything else is no MAC.
std::optional<MacAddress> parseWholeMac(std::string_view text);
// "00:11:22:33:44:55", upper case.
std::string macText(const MacAddress &mac);

} // namespace orvane
