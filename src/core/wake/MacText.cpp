#include "core/wake/MacText.h"

#include <cstdio>

namespace orvane {

namespace {
constexpr std::string_view Blanks = " \t\r\n\v\f";
}

std::optional<MacAddress> parseWholeMac(std::string_view text)
{
    const size_t from = text.find_first_not_of(Blanks);
    text = from == std::string_view::npos ? std::string_view()
                                          : text.substr(from, text.find_last_not_of(Blanks) - from + 1);
    std::string digits;
    if (text.size() == 17) {
        // Five separators, all the same: ':' or '-'.
        const char separator = text[2];
        if (separator != ':' && separator != '-')
            return std::nullopt;
        for (size_t i = 0; i < text.size(); ++i) {
            if (i % 3 == 2) {
                if (text[i] != separator)
                    return std::nullopt;
            } else {
                digits += text[i];
            }
        }
    } else if (text.size() == 14) {
        if (text[4] != '.' || text[9] != '.')
            return std::nullopt;
        digits = std::string(text.substr(0, 4)) + std::string(text.substr(5, 4)) + std::string(text.substr(10, 4));
    } else if (text.size() == 12) {
        digits = text;
    } else {
        return std::nullopt;
    }
    MacAddress mac{};
    for (size_t i = 0; i < MacBytes; ++i) {
        const int high = hexDigit(digits[2 * i]), low = hexDigit(digits[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return mac;
}

std::string macText(const MacAddress &mac)
{
    char buf[18];
    std::snprintf(buf, sizeof buf, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return buf;
}

} // namespace orvane
