#pragma once

#include <string>

// Plain C++: the wake rules and the command-line tool use these as well as the Qt side.
namespace orvane {

// CR LF, the line break of every message.
inline constexpr char CrLf[] = "\r\n";

// What the system says about an error number, in the locale's language (UTF-8).
std::string systemError(int err);

} // namespace orvane
