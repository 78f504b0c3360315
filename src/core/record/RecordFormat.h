#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The settings record file in plain C++: the program and the command-line tool, which must start
// without loading Qt, read it with this one set of rules.
namespace orvane {

// The settings file lies in the current directory, as it always has.
inline constexpr char SettingsFileName[] = "System.ini";

// Every settings field is exactly this many UTF-16 code units long.
inline constexpr int FieldChars = 20;
inline constexpr int SettingsRows = 6;
inline constexpr int SettingsColumns = 10;

inline constexpr int RecordBytes = 20;
inline constexpr int RecordCount = SettingsRows * SettingsColumns;
inline constexpr int RecordAreaBytes = RecordBytes * RecordCount; // 1,200

// The cells by name: row 0 holds the two global cells, rows FirstPc to LastPc one PC each. These are
// the only places the column numbers appear; the record layout depends on them.
inline constexpr int GlobalRow = 0;
inline constexpr int FirstPc = 1;
inline constexpr int LastPc = 5;
inline constexpr int PortCell = 0;      // global: the UDP port
inline constexpr int SendCountCell = 1; // global: how many times each packet is sent
inline constexpr int NameCell = 0;
inline constexpr int HostCell = 1;
inline constexpr int MacCell = 2; // the first of six cells, one per MAC byte: MacCell + i
inline constexpr int MacCells = 6;
inline constexpr int TimerCell = 8;
inline constexpr int WakeTimeCell = 9;
static_assert(MacCell + MacCells == TimerCell && WakeTimeCell + 1 == SettingsColumns);

// Field (row, column) is record 10·row + column + 1.
constexpr int recordNumber(int row, int column)
{
    return SettingsColumns * row + column + 1;
}

// The fixed-field assignment: left-aligned, cut to 20 units (never through a surrogate pair) or
// padded with blanks.
std::u16string fixedField(std::u16string_view text);

// How every reader uses a field: trailing blanks (U+0020 only) removed, nothing else touched.
std::u16string_view fieldValue(std::u16string_view field);

// One field per record: record k holds fields[k − 1].
using RecordFields = std::array<std::u16string, RecordCount>;

// The whole file for 60 fields (each made a fixed field first): 60 records of 20 bytes in code
// page 932, then, only when some field doesn't fit its record exactly, a trailer that carries
// those fields' whole text.
std::string encodeRecordFile(const RecordFields &fields);

// Every field (a fixed field) from file bytes; records beyond the end read as 20 blanks. Any bytes
// at all are accepted: a broken sequence reads as U+FFFD per bad byte, a bad trailer is ignored.
RecordFields decodeRecordFile(std::string_view bytes);

enum class RecordFileRead { Done, Missing, Failed };

// Reads as much of a file as can matter into bytes. Never blocks and never opens anything but a
// regular file: a FIFO, a folder or a device is Failed, as is any read error; bytes is empty then.
RecordFileRead readRecordFile(const char *path, std::string &bytes);

constexpr bool isHighSurrogate(char32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

constexpr bool isLowSurrogate(char32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// UTF-16 to UTF-8 as the trailer stores text: a lone surrogate in its 3-byte form.
std::string trailerText(std::u16string_view text);

} // namespace orvane
