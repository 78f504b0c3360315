#pragma once

// What may go to a relay: the relay's name as ssh's destination, and the command that runs there
// with the PC's values in it. Nothing typed or read from a file reaches ssh or the relay's shell
// without these checks.

#include "core/io/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// A PC's way through another network: its relay (an ssh destination) and the command it runs there
// (empty: orvane-wake). No relay: the PC is on this machine's networks.
struct RelayRoute {
    std::string relay;
    std::string command;

    bool operator==(const RelayRoute &) const = default;
};

// Why relay can't be an ssh destination (a leading "-" would be an option of ssh's, such as
// -oProxyCommand=…; blanks and control characters split or hide it); empty when it can.
std::string relayRefusal(std::string_view relay);

// Why command can't be a relay command (a placeholder that doesn't exist, no MAC in it, control
// characters); empty when it can. An empty command is fine: the relay runs orvane-wake.
std::string relayCommandRefusal(std::string_view command);

// text as one word of a POSIX shell: in single quotes, each ' as '\''.
std::string shellQuoted(std::string_view text);

// The values that go to the relay, each checked to hold only its own characters.
struct RelayValues {
    std::string mac; // "00:11:22:33:44:55"
    std::string host;
    int port = 0;
    int count = 0;
    std::string secureon; // "01:23:45:67:89:AB", or empty
};

// The command the relay's shell runs for a wake: orvane-wake's, or relayCommand with {mac},
// {host}, {port}, {count}, {secureon} quoted for a POSIX shell and {raw:mac} (and so on) as they are, for relays
// whose shell isn't POSIX. The failure names the value that can't go.
Result<std::string> remoteWakeCommand(std::string_view relayCommand, const RelayValues &values);

// What the relay's shell runs to check host: orvane-wake --check where the relay has Orvane (no
// relay command), otherwise one ping. mac may be empty.
Result<std::string> remoteCheckCommand(std::string_view relayCommand, const std::string &host, const std::string &mac);

// Relay commands for relays without Orvane, as the details dialog offers them.
struct RelayPreset {
    const char *name;
    const char *command;
};
const std::vector<RelayPreset> &relayPresets();

// "経由 nas": how the windows and the command line name a PC's relay.
std::string relayText(const std::string &relay);

} // namespace orvane
