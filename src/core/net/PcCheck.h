#pragma once

#include "core/net/Reachability.h"
#include "core/wake/MagicPacket.h"
#include "core/wake/RelayRules.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// Whether each PC answered, known by its MAC where it is on one of this machine's links. Plain C++:
// orvane-wake --status uses it too.
namespace orvane {

// A PC to check: its host, and its MAC where the settings hold a whole one.
struct PcProbe {
    std::string host;
    std::optional<MacAddress> mac;
    RelayRoute via; // a PC of another network is checked from its relay

    bool operator==(const PcProbe &) const = default;
};

struct PcAnswer {
    Reach reach = Reach::NotChecked;
    std::string otherMac;   // with OtherMac: the MAC that answered, "00:11:22:33:44:55"
    std::string seenAt;     // where the neighbour table has the PC's MAC instead, when it didn't answer itself
    bool resetOnly = false; // NoAnswer: only TCP resets came, from beyond a router (perhaps a firewall's)
};

// How long a check waits for an on-link PC that answered nothing else to answer ARP anew.
inline constexpr int LinkConfirmMs = 7000;

// probeHosts for PCs, which for an on-link PC with a MAC also looks at whose MAC answered: only the
// PC's own is an answer (the neighbour table's entry for the address after the check), another is
// OtherMac; one whose MAC answers ARP at its address now but nothing else is LinkOnly. A PC that
// didn't answer at its IPv4 address gets the address at which the table has its MAC. PCs behind a
// router are checked by address alone. An old entry is asked again for up to linkConfirmMs; with 0
// only what the kernel heard lately counts (for checks every few seconds, which a wait would slow).
std::vector<PcAnswer> checkPcs(const std::vector<PcProbe> &pcs, int timeoutMs = ProbeTimeoutMs,
                               const Cancel *cancel = nullptr, int linkConfirmMs = LinkConfirmMs);

// What follows a mark whose PC's MAC answers elsewhere: "、00:11:22:33:44:55 は 10.200.8.9 で応答".
std::string seenAtText(const MacAddress &mac, const std::string &address);

// A state as orvane-wake --status and the marks show it: "応答なし", "別の MAC から応答
// 00:11:22:33:44:55", with time (when not empty) after it, then where the PC's MAC answers instead:
// "応答なし 12:03:10、00:11:22:33:44:55 は 10.200.8.9 で応答". "未確認" alone.
std::string answerText(const PcAnswer &answer, const std::string &time, const std::optional<MacAddress> &mac);

// The MAC of the settings' six fields; nothing unless all six are hexadecimal bytes.
std::optional<MacAddress> settingsMac(const std::array<std::string, MacBytes> &fields);

} // namespace orvane
