#include "core/record/PlainText.h"

#include <cstring>

namespace orvane {

std::string systemError(int err)
{
    return std::strerror(err);
}

std::size_t utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto b = static_cast<unsigned char>(text[i]);
    const std::size_t length = b < 0x80                 ? 1
                               : b >= 0xC2 && b <= 0xDF ? 2
                               : b >= 0xE0 && b <= 0xEF ? 3
                               : b >= 0xF0 && b <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace orvane
