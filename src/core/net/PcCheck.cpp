#include "core/net/PcCheck.h"

#include "core/net/Neighbours.h"
#include "core/net/Relay.h"
#include "core/record/Language.h"
#include "core/wake/MacText.h"

#include <algorithm>
#include <thread>

namespace orvane {

namespace {

// The PCs on this machine's networks.
std::vector<PcAnswer> checkHere(const std::vector<PcProbe> &pcs, int timeoutMs, const Cancel *cancel, int linkConfirmMs)
{
    std::vector<std::string> hosts;
    for (const PcProbe &pc : pcs)
        hosts.push_back(pc.host);
    std::vector<std::string> addresses;
    std::vector<bool> resets;
    const std::vector<Reach> reach = probeHosts(hosts, timeoutMs, cancel, &addresses, &resets);
    std::vector<PcAnswer> answers(pcs.size());
    for (size_t i = 0; i < pcs.size(); ++i)
        answers[i].reach = reach[i], answers[i].resetOnly = resets[i];
    if (std::none_of(pcs.begin(), pcs.end(), [](const PcProbe &pc) { return pc.mac.has_value(); }))
        return answers;
    // What the kernel learned while the checks ran: on a link, the MAC behind each address.
    const std::vector<Neighbour> table = readNeighbours();
    // Entries that speak for a PC only once the kernel has heard from them now: the PC's own MAC at its
    // address (it may answer ARP alone), or at another address (where it went).
    struct Asked {
        size_t pc;
        std::string address;
        bool linkOnly;
    };
    std::vector<Asked> asked;
    for (size_t i = 0; i < pcs.size(); ++i) {
        const std::string &address = addresses[i];
        if (!pcs[i].mac || address.empty())
            continue;
        PcAnswer &answer = answers[i];
        if (answer.reach == Reach::Answered && onLinkInterface(address)) {
            for (const Neighbour &n : table)
                if (n.address == address && n.mac != *pcs[i].mac) {
                    answer.reach = Reach::OtherMac;
                    answer.otherMac = macText(n.mac);
                }
        }
        for (const Neighbour &n : table) {
            if (n.mac != *pcs[i].mac)
                continue;
            if (answer.reach == Reach::NoAnswer && n.address == address && onLinkInterface(address))
                asked.push_back({i, address, true});
            // Only IPv4: a machine has several IPv6 addresses.
            else if (answer.reach != Reach::Answered && n.address != address &&
                     address.find('.') != std::string::npos && n.address.find('.') != std::string::npos)
                asked.push_back({i, n.address, false});
        }
    }
    std::vector<std::string> addressesAsked;
    for (const Asked &a : asked)
        addressesAsked.push_back(a.address);
    const std::vector<std::optional<MacAddress>> confirmed = confirmedMacs(addressesAsked, linkConfirmMs, cancel);
    for (size_t j = 0; j < asked.size(); ++j) {
        if (confirmed[j] != pcs[asked[j].pc].mac)
            continue;
        PcAnswer &answer = answers[asked[j].pc];
        if (asked[j].linkOnly)
            answer.reach = Reach::LinkOnly;
        else
            answer.seenAt = asked[j].address;
    }
    return answers;
}

} // namespace

std::vector<PcAnswer> checkPcs(const std::vector<PcProbe> &pcs, int timeoutMs, const Cancel *cancel, int linkConfirmMs)
{
    std::vector<PcProbe> here = pcs;
    std::vector<size_t> relayed;
    for (size_t i = 0; i < pcs.size(); ++i) {
        if (!pcs[i].via.relay.empty() && !pcs[i].host.empty()) {
            relayed.push_back(i);
            here[i].host.clear();
        }
    }
    std::vector<PcAnswer> answers(pcs.size());
    // The relays are asked meanwhile, one PC after the other: each relay's first check opens the
    // connection that the others then share.
    std::thread far;
    if (!relayed.empty())
        far = std::thread([&] {
            // A relay that couldn't be reached isn't tried again for its other PCs this time.
            std::vector<std::string> unreachable;
            for (size_t i : relayed) {
                if (std::find(unreachable.begin(), unreachable.end(), pcs[i].via.relay) != unreachable.end())
                    answers[i].reach = Reach::RelayUnreachable;
                else
                    answers[i] = checkThroughRelay(pcs[i].via, pcs[i], cancel);
                if (answers[i].reach == Reach::RelayUnreachable)
                    unreachable.push_back(pcs[i].via.relay);
            }
        });
    std::vector<PcAnswer> near = checkHere(here, timeoutMs, cancel, linkConfirmMs);
    if (far.joinable())
        far.join();
    for (size_t i = 0; i < pcs.size(); ++i)
        if (pcs[i].via.relay.empty() || pcs[i].host.empty())
            answers[i] = near[i];
    return answers;
}

std::string seenAtText(const MacAddress &mac, const std::string &address)
{
    return textWith(T_("、%1 は %2 で応答"), {macText(mac), address});
}

std::string answerText(const PcAnswer &answer, const std::string &time, const std::optional<MacAddress> &mac)
{
    std::string text = reachWord(answer.reach);
    if (answer.reach == Reach::NotChecked)
        return text;
    if (answer.reach == Reach::OtherMac)
        text += " " + answer.otherMac;
    if (!time.empty())
        text += " " + time;
    if (answer.reach == Reach::NoAnswer && answer.resetOnly)
        text += T_("（ルーターの向こうから TCP のリセットだけが返りました。ファイアウォールの応答かもしれません）");
    if (mac && !answer.seenAt.empty())
        text += seenAtText(*mac, answer.seenAt);
    return text;
}

std::optional<MacAddress> settingsMac(const std::array<std::string, MacBytes> &fields)
{
    MacAddress mac{};
    for (size_t i = 0; i < MacBytes; ++i) {
        const std::optional<std::uint8_t> b = macFieldByte(fields[i]);
        if (!b)
            return std::nullopt;
        mac[i] = *b;
    }
    return mac;
}

} // namespace orvane
