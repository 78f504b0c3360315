#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Plain C++: the wake rules and the command-line tool use these as well as the Qt side.
namespace orvane {

// CR LF, the line break of every message.
inline constexpr char CrLf[] = "\r\n";

// What the system says about an error number, in the locale's language (UTF-8).
std::string systemError(int err);

// Length of the UTF-8 sequence at text[i]; 0 when no whole, well-formed one starts there.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

} // namespace orvane
