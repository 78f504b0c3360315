#pragma once

#include <atomic>
#include <string>
#include <vector>

// Plain C++, like the wake itself: orvane-wake checks PCs too.
namespace orvane {

enum class Reach { NotChecked, Answered, NoAnswer };

// How long one check of a PC waits for its answer.
inline constexpr int ProbeTimeoutMs = 1500;

// Checks every host at once and says for each whether it answered within timeoutMs. An empty host,
// a name that doesn't resolve in that time, and a broadcast or multicast address are not checked:
// nothing is sent for them. A host answers
// an ICMP echo (through the unprivileged ICMP socket, where the system allows one) or a TCP
// connection attempt to a port PCs commonly have, where a refusal is an answer too; the attempts
// start at once without ICMP, and halfway through for a host that ignores echoes. A set `cancel`
// ends the check early, with what is known.
std::vector<Reach> probeHosts(const std::vector<std::string> &hosts, int timeoutMs = ProbeTimeoutMs,
                              const std::atomic<bool> *cancel = nullptr);

Reach probeHost(const std::string &host, int timeoutMs = ProbeTimeoutMs);

// "応答あり", "応答なし", "未確認".
const char *reachWord(Reach reach);

// What a watch after a wake ends with: "書斎 が応答しました（起動から 14 秒）" and
// "書斎 から 3 分間応答がありません" (whole minutes as minutes, anything else in seconds).
std::string answeredText(const std::string &name, int seconds);
std::string noAnswerText(const std::string &name, int seconds);
// The line that goes with a PC that didn't answer.
inline constexpr char NoAnswerAdvice[] = "ヘルプの「うまく起動しないとき」に、確かめることをまとめてあります。";

} // namespace orvane
