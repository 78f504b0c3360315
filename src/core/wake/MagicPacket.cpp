#include "core/wake/MagicPacket.h"

namespace orvane {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::uint8_t> macFieldByte(std::string_view field)
{
    if (field.empty())
        return std::nullopt;
    int value = 0;
    for (char c : field) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + d;
        if (value > 0xFF)
            return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

std::string buildMagicPacket(const MacAddress &mac)
{
    std::string packet(MagicPacketBytes, '\xFF');
    for (int pos = MacBytes; pos < MagicPacketBytes; ++pos)
        packet[static_cast<size_t>(pos)] = static_cast<char>(mac[static_cast<size_t>(pos % MacBytes)]);
    return packet;
}

} // namespace orvane
