#pragma once

// What the verbs of orvane-wake share: exit statuses, the options, the settings file, and text for the
// terminal. One unit per verb beside this one; main.cpp parses the command line.

#include "core/record/Language.h"
#include "core/wake/Calendar.h"
#include "core/wake/OrvaneSettings.h"
#include "core/wake/PlainSettings.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::cli {

enum Exit { Sent = 0, Refused = 1, Usage = 2, NoAnswer = 3 };

struct Options {
    int waitSeconds = 0;            // --wait: how long to wait for the woken PC's answer; 0 doesn't wait
    std::optional<std::string> dir; // --dir: the folder of System.ini
    std::string relay;              // --relay: the relay of a wake given on the command line
    std::string secureon;           // --secureon: its SecureOn password
};

constexpr int DefaultWaitSeconds = 180;

// The usage lines, and the help that --help prints after them.
const char *usageText();
std::string helpText();

// Text from the arguments, System.ini or the network never reaches the terminal raw: control
// characters (C0, DEL, C1), the characters that reorder a line and bytes that aren't UTF-8 are
// written as \xNN, byte by byte.
std::string escaped(std::string_view text);
// Names compare as the user reads them: case folded by the rules of C.UTF-8 (Ä is ä), byte for byte
// where a name isn't UTF-8.
std::u32string folded(std::string_view text);
// A message's lines (CR LF, for message boxes) as lines of the terminal.
void print(FILE *stream, const std::string &message);
int usage(const std::string &problem = std::string());
int refused(const std::string &message);
// Of two PCs' exit statuses, the one a script must hear: packets that didn't go out over a PC
// that didn't answer.
int worse(int a, int b);
// The settings file as the program reads it, but never created: a missing one most likely means
// the wrong folder, and saying which file was looked for beats reporting an empty host. extras, if
// given, gets Orvane.ini's from the same folder; its problems go to standard error, and the rest goes on.
bool readSettings(const Options &options, SettingsValues &values, std::string &error, OrvaneTable *extras = nullptr,
                  std::string *extrasPath = nullptr);
// A PC of the settings with its relay.
WakeSettings pcSettings(const SettingsValues &values, const OrvaneTable &extras, int pc);

// The verbs.
int listCommand(const Options &options);
int statusCommand(const Options &options);
int scanCommand(const Options &options);
int nextCommand(const Options &options);
// Skips PC pc's next timed wake once (stored in Orvane.ini), or with undo takes that back.
// PC pc's next timed wake and its time; nothing while its timer is off or no day comes.
std::optional<Day> nextWakeOfPc(const SettingsValues &values, const PcExtras &extras, int pc, std::string *time);
int skipCommand(const Options &options, const std::string &pc, bool undo);
// PCs of the settings by number, name or --all, each once in the order given.
int wakeCommand(const Options &options, const std::vector<std::string> &selectors);
// A wake given on the command line.
int wakeGivenCommand(const Options &options, const std::string &mac, const std::string &host, const std::string &port,
                     const std::string &count);
// One check of one address (through --relay where given): its state word on standard output.
int checkCommand(const Options &options, const std::string &host, const std::string &mac);

} // namespace orvane::cli
