#include "Cli.h"

#include "core/net/PcCheck.h"
#include "core/net/Sweep.h"
#include "core/wake/MacText.h"

#include <algorithm>
#include <array>
#include <utility>

#include <arpa/inet.h>

namespace orvane::cli {

namespace {

// The order of the list: IPv4 before IPv6, each by its numeric value.
std::pair<int, std::array<unsigned char, 16>> addressKey(const std::string &address)
{
    std::array<unsigned char, 16> bytes{};
    if (inet_pton(AF_INET, address.c_str(), bytes.data()) == 1)
        return {4, bytes};
    inet_pton(AF_INET6, address.substr(0, address.find('%')).c_str(), bytes.data()); // its link aside
    return {6, bytes};
}

} // namespace

// The machines on this machine's links, one line each: address, MAC, name, maker and the number
// of the PC that has this MAC (System.ini is optional here).
int scanCommand(const Options &options)
{
    std::array<std::optional<MacAddress>, LastPc + 1> pcMacs;
    SettingsValues values;
    std::string error;
    if (readSettings(options, values, error)) {
        for (int pc = FirstPc; pc <= LastPc; ++pc)
            pcMacs[static_cast<size_t>(pc)] = settingsMac(wakeSettingsOf(values, pc).mac);
    }
    std::vector<FoundMachine> machines;
    std::vector<std::string> covered;
    sweepLinks([&](const FoundMachine &m) { machines.push_back(m); }, nullptr, nullptr, &covered);
    // What was looked at goes to standard error, so that the list stays one line per machine.
    for (const std::string &range : covered)
        print(stderr, textWith(T_("調べた範囲: %1"), {range}));
    std::sort(machines.begin(), machines.end(), [](const FoundMachine &x, const FoundMachine &y) {
        return addressKey(x.address) < addressKey(y.address);
    });
    std::string out;
    for (const FoundMachine &m : machines) {
        std::string pcNumber;
        for (int pc = FirstPc; pc <= LastPc && pcNumber.empty(); ++pc)
            if (pcMacs[static_cast<size_t>(pc)] == m.mac)
                pcNumber = std::to_string(pc);
        out += m.address + "\t" + macText(m.mac) + "\t" + escaped(m.name) + "\t" + escaped(m.maker) + "\t" + pcNumber +
               "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Sent;
}

} // namespace orvane::cli
