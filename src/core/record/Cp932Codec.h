#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Plain C++ on purpose: the command-line tool reads the settings file without loading Qt.
namespace orvane {

// Code page 932 (Windows Shift-JIS) through glibc's "CP932", which maps exactly as Windows does.
// The converters are opened on first need only: ASCII text, which the code page holds as itself,
// never pays for loading them.

// Writes text's bytes to out, which has room for two bytes per UTF-16 unit; returns how many it
// wrote. A unit that code page 932 can't hold (unmappable, lone surrogate, each half of a pair)
// becomes '?' (0x3F), as Windows substitutes it; `lossless` (optional) then is set to false.
std::size_t encodeCp932Into(std::u16string_view text, char *out, bool *lossless = nullptr);

// Writes the text of bytes to out, which has room for one UTF-16 unit per byte; returns how many
// units it wrote. Bytes that are no valid sequence (a lone lead byte, an undefined code) each
// become U+FFFD, so a damaged file still yields a text of predictable length.
std::size_t decodeCp932Into(std::string_view bytes, char16_t *out);

std::string encodeCp932(std::u16string_view text, bool *lossless = nullptr);
std::u16string decodeCp932(std::string_view bytes);

} // namespace orvane
