#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

inline constexpr int MagicPacketBytes = 102;
inline constexpr int MacBytes = 6;

using MacAddress = std::array<std::uint8_t, MacBytes>;

// A hexadecimal digit's value (either case), or -1.
int hexDigit(char c);

// A MAC field as the settings hold it: a hexadecimal number from 0 to FF, digits of either case,
// leading zeros allowed ("A", "0a", "FF", "00FF").
std::optional<std::uint8_t> macFieldByte(std::string_view field);

// Six bytes 0xFF, then the MAC address sixteen times: 102 bytes.
std::string buildMagicPacket(const MacAddress &mac);

} // namespace orvane
