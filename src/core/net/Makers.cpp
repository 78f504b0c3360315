#include "core/net/Makers.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <unordered_map>

namespace orvane {

namespace {

std::string trimmed(const std::string &s)
{
    const size_t from = s.find_first_not_of(" \t\r\n\v\f");
    return from == std::string::npos ? std::string() : s.substr(from, s.find_last_not_of(" \t\r\n\v\f") - from + 1);
}

std::unordered_map<std::uint32_t, std::string> readOui(const std::string &file)
{
    std::unordered_map<std::uint32_t, std::string> makers;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        // "00-1B-21   (hex)\t\tIntel Corporate"
        const size_t hex = line.find("(hex)");
        if (hex == std::string::npos)
            continue;
        const std::string prefix = trimmed(line.substr(0, hex));
        if (prefix.size() != 8 || prefix[2] != '-' || prefix[5] != '-')
            continue;
        std::uint32_t oui = 0;
        bool ok = true;
        for (const size_t i : {0, 1, 3, 4, 6, 7}) {
            const int v = hexDigit(prefix[i]);
            ok = ok && v >= 0;
            oui = oui << 4 | static_cast<std::uint32_t>(std::max(v, 0));
        }
        if (ok)
            makers.emplace(oui, trimmed(line.substr(hex + 5)));
    }
    return makers;
}

std::uint32_t ouiOf(const MacAddress &mac)
{
    return std::uint32_t{mac[0]} << 16 | std::uint32_t{mac[1]} << 8 | mac[2];
}

} // namespace

std::string makerOf(const MacAddress &mac, const std::string &ouiFile)
{
    const auto makers = readOui(ouiFile);
    const auto it = makers.find(ouiOf(mac));
    return it == makers.end() ? std::string() : it->second;
}

std::string makerOf(const MacAddress &mac)
{
    static std::once_flag once;
    static std::unordered_map<std::uint32_t, std::string> makers;
    std::call_once(once, [] { makers = readOui("/usr/share/ieee-data/oui.txt"); });
    const auto it = makers.find(ouiOf(mac));
    return it == makers.end() ? std::string() : it->second;
}

} // namespace orvane
