#pragma once

#include "core/WakeRequest.h"

#include <array>
#include <string>
#include <string_view>

namespace orvane {

// The settings file's 60 fields as UTF-8 values (trailing blanks removed), decoded without Qt for
// the command-line tool, which must start fast. They are the values decodeSettings gives.
using SettingsValues = std::array<std::array<std::string, 10>, 6>;

SettingsValues decodeSettingsValues(std::string_view bytes);

// The most of a file that can matter: the records and the largest trailer.
std::size_t settingsBytesToRead();

// Row 0 and the PC's row, as the wake command reads them.
WakeSettings wakeSettingsOf(const SettingsValues &values, int pc);

} // namespace orvane
