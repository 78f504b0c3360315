#pragma once

#include "core/record/RecordFormat.h"
#include "core/wake/WakeRequest.h"

#include <array>
#include <string>
#include <string_view>

namespace orvane {

// The settings file's 60 fields as UTF-8 values (trailing blanks removed), for the command-line
// tool, which reads the file without Qt: the same rules as the program's, so the same values.
using SettingsValues = std::array<std::array<std::string, SettingsColumns>, SettingsRows>;

SettingsValues decodeSettingsValues(std::string_view bytes);

// The value of cell (row, column).
inline const std::string &settingsValue(const SettingsValues &values, int row, int column)
{
    return values[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

// A field's text in UTF-8 as the wake rules and a terminal take it: a lone surrogate, which UTF-8
// can't express, becomes '?', as it is in the field's record.
std::string fieldUtf8(std::u16string_view text);

// Row 0 and the PC's row, as the wake command reads them; value(row, column) is a field's UTF-8 value.
template <class Value> WakeSettings wakeSettingsFrom(int pc, const Value &value)
{
    WakeSettings s;
    s.pc = pc;
    s.port = value(GlobalRow, PortCell);
    s.count = value(GlobalRow, SendCountCell);
    if (pc < FirstPc || pc > LastPc)
        return s;
    s.name = value(pc, NameCell);
    s.host = value(pc, HostCell);
    for (int i = 0; i < MacBytes; ++i)
        s.mac[static_cast<size_t>(i)] = value(pc, MacCell + i);
    return s;
}

WakeSettings wakeSettingsOf(const SettingsValues &values, int pc);

} // namespace orvane
