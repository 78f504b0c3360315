#pragma once

// Waking and checking a PC of another network through its relay: a machine there that the user
// reaches with ssh. The system's OpenSSH client runs with the user's keys, agent, config and known
// hosts, never asks (BatchMode), never takes a host key it doesn't know, and shares one connection
// per relay while it lives (a control master in the user's private runtime folder).

#include "core/io/Process.h"
#include "core/net/PcCheck.h"
#include "core/wake/RelayRules.h"
#include "core/wake/WakeRequest.h"

#include <string>
#include <vector>

namespace orvane {

// How long a wake or a check through a relay may take in all, the connection included.
inline constexpr int RelayWakeLimitMs = 20000;
inline constexpr int RelayCheckLimitMs = 15000;
inline constexpr int RelayConnectTimeoutS = 5;

// The command line that runs remote on relay: ssh's (or $ORVANE_SSH_COMMAND's, run by sh as git runs
// $GIT_SSH_COMMAND) with the options above.
std::vector<std::string> sshCommandLine(const std::string &relay, const std::string &remote);

// Sends the request's packets from the relay; the failure is the message for the user: the relay
// unreachable or silent, authentication refused, its host key unknown or changed, the command missing
// there or failing (with the first line it wrote).
Result<int> wakeThroughRelay(const RelayRoute &route, const WakeRequest &request, const Cancel *cancel = nullptr);

// Whether the PC answers its relay: Reach::RelayUnreachable when the relay can't be asked.
PcAnswer checkThroughRelay(const RelayRoute &route, const PcProbe &pc, const Cancel *cancel = nullptr);

} // namespace orvane
