#pragma once

#include "core/io/Result.h"
#include "core/record/PlainText.h"
#include "core/record/RecordFormat.h"
#include "core/wake/MagicPacket.h"
#include "core/wake/RelayRules.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Plain C++ on purpose: the command-line tool runs these rules without loading Qt, which alone
// takes several times longer to start than the whole wake.
namespace orvane {

inline constexpr int MinPort = 1;
// The local port is the port + 1, so this is the highest port that leaves a local one.
inline constexpr int MaxPort = 65534;
inline constexpr int MaxSendCount = 32767;

// What the wake command reads for one PC: UTF-8, every field with its trailing blanks removed.
struct WakeSettings {
    int pc = 0; // 1 to 5; 0 for a wake given on the command line
    std::string name;
    std::string host;
    std::array<std::string, MacBytes> mac;
    std::string port;
    std::string count;
    RelayRoute via;       // Orvane.ini's: a PC of another network is woken from its relay
    std::string secureon; // Orvane.ini's: the SecureOn password, six bytes in a MAC's forms
};

// Everything checked; ready to go on the wire.
struct WakeRequest {
    std::string subject; // how messages name the PC
    std::string host;
    std::uint16_t port = 0;
    std::uint16_t localPort = 0;
    int count = 0;      // 0 or less sends nothing
    std::string packet; // 102 bytes; 108 with a SecureOn password at its end
};

// The request, or the message for the user.
using WakeCheck = Result<WakeRequest>;

// The checks of the wake command, in its order: host set, six MAC fields set, then the port,
// the send count and the MAC digits. Nothing here touches the network.
WakeCheck checkWake(const WakeSettings &settings);

// "PC2「書斎」", "PC2" without a name, "指定したPC" for a command-line wake.
std::string wakeSubject(const WakeSettings &settings);

// "PC2": PC n where its own name is missing.
std::string pcNumberName(int pc);
// The PC's name, or "PC2" when it has none.
std::string pcName(const WakeSettings &settings);

} // namespace orvane
