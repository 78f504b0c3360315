// The wake: PCs of the settings or one given on the command line, and with --wait the watch of
// their answers.

#include "Cli.h"

#include "core/net/PcCheck.h"
#include "core/net/Reachability.h"
#include "core/net/WakeSender.h"
#include "core/record/PlainText.h"
#include "core/wake/MacText.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace orvane::cli {

namespace {

constexpr int WaitCheckMs = 2000;

// A PC that --wait checks.
struct Watch {
    std::string name;    // as the messages name it: a wake given on the command line by its host
    std::string address; // numeric, where its datagrams went
    PcProbe probe;
};

Watch watchOf(const WakeSettings &settings, const std::string &address)
{
    return {settings.pc > 0 ? pcName(settings) : settings.host,
            address,
            {settings.host, settingsMac(settings.mac), settings.via}};
}

// Another machine has the PC's address, or a range extender answers for it: the PC's own answer
// can't come from there, so waiting for it would only end in a "no answer" later.
std::string otherMacText(const Watch &watch, const std::string &mac)
{
    return watch.name == watch.address
               ? textWith(T_("%1 では別の MAC %2 が応答しています"), {watch.address, mac})
               : textWith(T_("%1 のアドレス %2 では別の MAC %3 が応答しています"), {watch.name, watch.address, mac});
}

// Checks the PCs every 2 s until each answered or the time is up.
int waitForAnswers(const Options &options, std::vector<Watch> watches)
{
    using Steady = std::chrono::steady_clock;
    const Steady::time_point start = Steady::now();
    const Steady::time_point deadline = start + std::chrono::seconds(options.waitSeconds);
    int status = Sent;
    for (Steady::time_point check = start; !watches.empty() && check < deadline; check = Steady::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - check).count();
        const int timeoutMs = static_cast<int>(std::min<long long>(ProbeTimeoutMs, left));
        std::vector<PcProbe> probes;
        for (const Watch &w : watches)
            probes.push_back(w.probe);
        const std::vector<PcAnswer> answers = checkPcs(probes, timeoutMs, nullptr, 0);
        std::vector<Watch> waiting;
        for (size_t i = 0; i < watches.size(); ++i) {
            if (answers[i].reach == Reach::Answered) {
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count();
                print(stdout, answeredText(watches[i].name, static_cast<int>((took + 500) / 1000)));
            } else if (answers[i].reach == Reach::OtherMac) {
                print(stdout, otherMacText(watches[i], answers[i].otherMac));
                status = NoAnswer;
            } else {
                waiting.push_back(std::move(watches[i]));
            }
        }
        watches = std::move(waiting);
        if (!watches.empty())
            std::this_thread::sleep_until(std::min(check + std::chrono::milliseconds(WaitCheckMs), deadline));
    }
    for (const Watch &w : watches)
        print(stdout, noAnswerText(w.name, options.waitSeconds) + CrLf + noAnswerAdvice());
    return watches.empty() ? status : NoAnswer;
}

// Sends one PC's packets; with --wait, what the check before them said decides whether it is
// watched. Returns its exit status so far.
int wakeAndReport(const Options &options, const WakeSettings &settings, const PcAnswer &before,
                  std::vector<Watch> &watches)
{
    const WakeResult result = wake(settings);
    if (!result)
        return refused(result.error);
    // Exit status 0 says that packets went out.
    if (result->sent == 0)
        return refused(textWith(T_("%1へは何も送信しませんでした！"), {wakeSubject(settings)}) + CrLf +
                       textWith(T_("マジックパケット送信回数が「%1」です。1 以上にしてください。"), {settings.count}));
    if (options.waitSeconds == 0)
        return Sent;
    // Many machines or none: no answer there speaks for the PC, and waiting for one would end in a
    // "no answer" that isn't true. Through a relay the far links aren't known here: only what a
    // numeric host says by itself.
    const std::optional<HostAddress> numeric = result->relayed ? numericHost(settings.host) : result->target;
    const AddressKind kind = !numeric          ? AddressKind::OneMachine
                             : result->relayed ? addressKind(numeric->address, {})
                                               : addressKind(numeric->address);
    if (kind != AddressKind::OneMachine) {
        print(stdout, uncheckableText(settings.host, kind));
        return Sent;
    }
    Watch watch = watchOf(settings, result->relayed ? settings.host : result->target.text);
    // An answer in the first check after the packets would read "0 seconds after the wake".
    if (before.reach == Reach::Answered) {
        print(stdout, textWith(T_("%1 は送信前から応答しています"), {watch.name}));
        return Sent;
    }
    if (before.reach == Reach::OtherMac) {
        print(stdout, otherMacText(watch, before.otherMac));
        return NoAnswer;
    }
    watches.push_back(std::move(watch));
    return Sent;
}

// Wakes the PCs one after the other, then waits for those that --wait watches.
int wakeAll(const Options &options, const std::vector<WakeSettings> &pcs, int status = Sent)
{
    // Checked before the packets go out, all at once: a PC that answers now was up already.
    std::vector<PcAnswer> before(pcs.size());
    if (options.waitSeconds > 0) {
        std::vector<PcProbe> probes;
        for (const WakeSettings &s : pcs)
            probes.push_back({s.host, settingsMac(s.mac), s.via});
        before = checkPcs(probes, ProbeTimeoutMs, nullptr, 0);
    }
    std::vector<Watch> watches;
    for (size_t i = 0; i < pcs.size(); ++i)
        status = worse(status, wakeAndReport(options, pcs[i], before[i], watches));
    return watches.empty() ? status : worse(status, waitForAnswers(options, std::move(watches)));
}

// Whether an argument (a number, a name or --all) picks the PC.
bool picks(const std::string &arg, const WakeSettings &pc)
{
    // --all: a host and any MAC field; a wrong MAC then says so rather than being left out.
    if (arg == "--all")
        return !pc.host.empty() && std::any_of(pc.mac.begin(), pc.mac.end(), [](auto &f) { return !f.empty(); });
    if (!arg.empty() && std::all_of(arg.begin(), arg.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return pc.pc == arg[0] - '0';
    return folded(pc.name) == folded(arg);
}

} // namespace

// A name that fits no PC or several is that argument's failure; the rest go on.
int wakeCommand(const Options &options, const std::vector<std::string> &selectors)
{
    SettingsValues values;
    OrvaneTable extras;
    std::string error;
    if (!readSettings(options, values, error, &extras))
        return refused(error);
    std::vector<WakeSettings> pcs;
    const auto add = [&](int pc) {
        if (std::none_of(pcs.begin(), pcs.end(), [pc](const WakeSettings &s) { return s.pc == pc; }))
            pcs.push_back(pcSettings(values, extras, pc));
    };
    int status = Sent;
    for (const std::string &arg : selectors) {
        std::vector<int> matches;
        for (int pc = FirstPc; pc <= LastPc; ++pc) {
            if (picks(arg, wakeSettingsOf(values, pc)))
                matches.push_back(pc);
        }
        if (arg == "--all" ? !matches.empty() : matches.size() == 1) {
            std::for_each(matches.begin(), matches.end(), add);
        } else if (matches.empty()) {
            status =
                worse(status, refused(arg == "--all" ? std::string(T_("Host と MACアドレスのある PC がありません！"))
                                                     : textWith(T_("名前が「%1」の PC がありません！"), {arg})));
        } else {
            std::string list;
            for (int pc : matches)
                list += (list.empty() ? "" : T_("、")) + wakeSubject(wakeSettingsOf(values, pc));
            status = worse(status, refused(textWith(T_("名前が「%1」の PC が複数あります: %2"), {arg, list}) + CrLf +
                                           T_("番号で指定してください。")));
        }
    }
    return wakeAll(options, pcs, status);
}

int wakeGivenCommand(const Options &options, const std::string &mac, const std::string &host, const std::string &port,
                     const std::string &count)
{
    if (!options.relay.empty())
        if (const std::string why = relayRefusal(options.relay); !why.empty())
            return refused(why);
    WakeSettings s;
    s.host = host;
    s.port = port;
    s.count = count;
    s.via.relay = options.relay;
    s.secureon = options.secureon;
    // A whole MAC in any form the settings dialog takes; anything else as six fields, which the
    // wake's checks take one by one (1 or 2 digits each) and name when one is wrong.
    const std::optional<MacAddress> whole = parseWholeMac(mac);
    const std::string text = whole ? macText(*whole) : mac;
    const char separator = text.find('-') != std::string::npos ? '-' : ':';
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == separator)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    if (fields.size() != MacBytes)
        return refused(textWith(T_("指定したPCのMACアドレス「%1」が正しくありません！"), {mac}) + CrLf +
                       T_("MACアドレスは 16進数 6 個を \":\" で区切って指定してください。"));
    for (size_t i = 0; i < MacBytes; ++i)
        s.mac[i] = fields[i];
    return wakeAll(options, {s});
}

int checkCommand(const Options &options, const std::string &host, const std::string &mac)
{
    if (!options.relay.empty())
        if (const std::string why = relayRefusal(options.relay); !why.empty())
            return refused(why);
    const std::optional<MacAddress> whole = parseWholeMac(mac);
    if (!mac.empty() && !whole)
        return refused(textWith(T_("MACアドレス「%1」が正しくありません！"), {mac}));
    const PcProbe probe{host, whole, {options.relay, {}}};
    const PcAnswer answer = checkPcs({probe}).front();
    print(stdout, answerText(answer, {}, whole));
    return answer.reach == Reach::Answered ? Sent : NoAnswer;
}

} // namespace orvane::cli
