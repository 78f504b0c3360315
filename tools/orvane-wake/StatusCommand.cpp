#include "Cli.h"

#include "core/net/PcCheck.h"

namespace orvane::cli {

// One line per PC: number, name, host and whether it answers now (all checked at once), and its relay.
int statusCommand(const Options &options)
{
    SettingsValues values;
    OrvaneTable extras;
    std::string error;
    if (!readSettings(options, values, error, &extras))
        return refused(error);
    std::vector<PcProbe> pcs;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const WakeSettings s = pcSettings(values, extras, pc);
        pcs.push_back({s.host, settingsMac(s.mac), s.via});
    }
    const std::vector<PcAnswer> answers = checkPcs(pcs);
    std::string out;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const size_t i = static_cast<size_t>(pc - FirstPc);
        out += std::to_string(pc) + "\t" + escaped(settingsValue(values, pc, NameCell)) + "\t" +
               escaped(settingsValue(values, pc, HostCell)) + "\t" + answerText(answers[i], {}, pcs[i].mac) +
               (pcs[i].via.relay.empty() ? "" : "\t" + escaped(relayText(pcs[i].via.relay))) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Sent;
}

} // namespace orvane::cli
