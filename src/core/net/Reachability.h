#pragma once

#include "core/io/Wait.h"
#include "core/net/Address.h"
#include "core/record/SourceText.h"

#include <atomic>
#include <string>
#include <vector>

#include <sys/socket.h>

// Plain C++, like the wake itself: orvane-wake checks PCs too.
namespace orvane {

// OtherMac: the address answered, but from another MAC than the PC's (another machine has the
// address now, or a range extender answers for the machines behind it).
// LinkOnly: an on-link PC whose own MAC answered ARP or neighbour discovery just now but that answered
// neither echo nor connection (a sleeping PC's network card may answer ARP for it).
// RelayUnreachable: a PC of another network whose relay couldn't be asked.
enum class Reach { NotChecked, Answered, NoAnswer, OtherMac, LinkOnly, RelayUnreachable };

// How long one check of a PC waits for its answer.
inline constexpr int ProbeTimeoutMs = 1500;

// Checks every host at once and says for each whether it answered within timeoutMs. An empty host,
// a name that doesn't resolve in that time, and an address that is no single machine's (see
// addressKind) are not checked: nothing is sent for them. A host answers an ICMP echo (through the
// unprivileged ICMP socket, where the system allows one) with the identifier, sequence number and
// payload that were sent, or a TCP connection attempt to a port PCs commonly have, where a refusal is
// an answer too when the PC sent it (not a router or firewall on the way, with an ICMP error of its
// own address). The attempts start at once without ICMP, and halfway through for a host that ignores
// echoes. A cancel ends the check early, with what is known.
// addresses gets the numeric address each host was checked at (empty where none). A TCP reset is the
// PC's answer only on this machine's links: from beyond a router it may be a firewall's, so a host
// that sent nothing else didn't answer, and resets says so for it.
std::vector<Reach> probeHosts(const std::vector<std::string> &hosts, int timeoutMs = ProbeTimeoutMs,
                              const Cancel *cancel = nullptr, std::vector<std::string> *addresses = nullptr,
                              std::vector<bool> *resets = nullptr);

Reach probeHost(const std::string &host, int timeoutMs = ProbeTimeoutMs);

// What orvane-wake --wait says for such an address: "10.200.8.255 はブロードキャストのアドレスなので、
// PC の応答は確かめられません". These texts are in the user's language.
std::string uncheckableText(const std::string &host, AddressKind kind);

// "応答あり", "応答なし", "未確認", "別の MAC から応答"; the source's word, which a program that reads
// another's output may meet too, and the user's.
const char *reachSourceWord(Reach reach);
const char *reachWord(Reach reach);

// What a watch after a wake ends with: "書斎 が応答しました（起動から 14 秒）" and
// "書斎 から 3 分間応答がありません" (whole minutes as minutes, anything else in seconds).
std::string answeredText(const std::string &name, int seconds);
std::string noAnswerText(const std::string &name, int seconds);
// The line that goes with a PC that didn't answer (NoAnswerAdvice as the source has it).
inline constexpr const char *NoAnswerAdvice =
    N_("ヘルプの「うまく起動しないとき」に、確かめることをまとめてあります。");
const char *noAnswerAdvice();

} // namespace orvane
