#pragma once

// Orvane's own settings per PC, in "Orvane.ini" beside System.ini, which stays the Windows program's
// file byte for byte. UTF-8, a section per PC ([PC1] … [PC5]), "key = value" lines, comments with
// ";" or "#" at the start of a line. Read with inih; written line by line, so that keys, sections and
// comments this program doesn't know stay as they are.

#include "core/io/Result.h"
#include "core/record/RecordFormat.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

inline constexpr char OrvaneFileName[] = "Orvane.ini";
// Larger than any hand-written file of five sections; a bigger one isn't read at all.
inline constexpr size_t OrvaneFileMaxBytes = 65536;

// One PC's settings of Orvane's own. Empty values are the defaults.
struct PcExtras {
    std::string relay;        // relay: the ssh destination the PC is woken and checked through
    std::string relayCommand; // relay_command: what the relay runs instead of orvane-wake
    std::string days;         // days: the weekdays the timed wake fires on ("mon-fri"); every day when empty
    std::string holidays;     // holidays: "skip" keeps the timed wake off on Japan's public holidays
    std::string skip;         // skip: days off, "2026-12-29..2027-01-03, 2027-05-06"
    std::string skipNext;     // skip_next: the date of one timed wake that is skipped ("2026-12-09")
    std::string secureon;     // secureon: the network card's SecureOn password, six bytes as a MAC

    bool operator==(const PcExtras &) const = default;
};

using OrvaneTable = std::array<PcExtras, LastPc + 1>; // PC FirstPc to LastPc

struct OrvaneSettings {
    OrvaneTable pcs{};
    // What was left out, a line each: "Orvane.ini の 3 行目: …".
    std::vector<std::string> problems;
};

// The settings of a file's text. A line that isn't "key = value", a section that is no PC, a key
// this program doesn't know and a value that fails its check are each a problem, and ignored.
OrvaneSettings parseOrvaneSettings(std::string_view text);

// The file's text; empty for a missing file. A failure for one that can't be read, isn't a regular
// file or is larger than OrvaneFileMaxBytes.
Result<std::string> readOrvaneText(const std::string &path);

// The file read from path; a missing file is no problem (every value its default), one that can't
// be read, isn't a regular file or is too large is one.
OrvaneSettings readOrvaneSettings(const std::string &path);

// The problems as one message, for a message box or standard error; empty without any.
std::string orvaneProblemsText(const OrvaneSettings &settings);

// The text that holds pcs, made from the file's text old: only keys whose values differ from what
// old says are rewritten (a value emptied loses its lines, a new one goes at its section's end, a new
// section at the file's end); every other line stays byte for byte. old itself when nothing differs.
std::string orvaneSettingsText(std::string_view old, const OrvaneTable &pcs);

// Makes path hold pcs by orvaneSettingsText, through the safe write: not at all when nothing
// differs, and a new file readable by its owner alone (it may hold a SecureOn password). False with
// a reason when it couldn't be read or written; the file is then as it was.
bool writeOrvaneSettings(const std::string &path, const OrvaneTable &pcs, std::string *error);

// Why value can't be key's (a value of the details dialog before it is taken); empty when it can.
std::string orvaneValueRefusal(std::string_view key, std::string_view value);

// "Orvane.ini" in a folder; in the current directory for an empty one.
std::string orvaneFileIn(const std::string &folder);

} // namespace orvane
