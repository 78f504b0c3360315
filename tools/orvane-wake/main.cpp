// orvane-wake: wakes PCs from the command line with the same checks and datagrams as Orvane.
// It doesn't load Qt: that alone would take longer than everything else it does.

#include "Cli.h"
#include "Version.h"

#include "core/io/Threads.h"
#include "core/record/RecordFormat.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <getopt.h>

using namespace orvane;
using namespace orvane::cli;

namespace {

enum Verb { List, Status, Scan, Next, Skip, Unskip, Help, Version };

// --wait=SECONDS; false for a wrong number of seconds.
bool takeWait(const char *value, Options &options, std::string &problem)
{
    options.waitSeconds = DefaultWaitSeconds;
    if (!value)
        return true;
    const std::string text(value);
    const bool digits = !text.empty() && text.size() <= 5 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    options.waitSeconds = digits ? std::stoi(text) : 0;
    if (options.waitSeconds >= 1 && options.waitSeconds <= 86400)
        return true;
    problem = textWith(T_("--wait の秒数は 1 から 86400 までです: %1"), {text});
    return false;
}

// What the command line asks for.
struct Command {
    Options options;
    std::vector<std::string> selectors; // numbers, names and --all, in the order given
    std::vector<std::pair<Verb, std::string>> verbs;
    std::string mac, host, port = "9", count = "3";
    bool given = false, haveMac = false, haveHost = false, wait = false, check = false, relay = false;
};

enum Code {
    Selector = 1,
    Wait = 0x100,
    Dir,
    Mac,
    Host,
    Port,
    Count,
    Relay,
    SecureOn,
    Check,
    All,
    ListCode,
    StatusCode,
    ScanCode,
    NextCode,
    SkipCode,
    UnskipCode,
    VersionCode
};

const option LongOptions[] = {{"wait", optional_argument, nullptr, Wait},
                              {"dir", required_argument, nullptr, Dir},
                              {"mac", required_argument, nullptr, Mac},
                              {"host", required_argument, nullptr, Host},
                              {"port", required_argument, nullptr, Port},
                              {"count", required_argument, nullptr, Count},
                              {"relay", required_argument, nullptr, Relay},
                              {"check", no_argument, nullptr, Check},
                              {"secureon", required_argument, nullptr, SecureOn},
                              {"all", no_argument, nullptr, All},
                              {"list", no_argument, nullptr, ListCode},
                              {"status", no_argument, nullptr, StatusCode},
                              {"scan", no_argument, nullptr, ScanCode},
                              {"next", no_argument, nullptr, NextCode},
                              {"skip", required_argument, nullptr, SkipCode},
                              {"unskip", required_argument, nullptr, UnskipCode},
                              {"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, VersionCode},
                              {nullptr, 0, nullptr, 0}};

// Reads the arguments into command; the usage failure's text, or nothing.
std::optional<std::string> parse(int argc, char **argv, Command &command)
{
    opterr = 0; // the messages are ours, in the program's language
    std::string problem;
    // "-": every argument in its place, so that the PCs are woken in the order given.
    for (int c; (c = getopt_long(argc, argv, "-:h", LongOptions, nullptr)) != -1;) {
        const std::string text = argv[optind - 1];
        switch (c) {
        case Selector:
        case All:
            command.selectors.push_back(c == All ? "--all" : optarg);
            break;
        case Wait:
            command.wait = true;
            if (!takeWait(optarg, command.options, problem))
                return problem;
            break;
        case Dir:
            command.options.dir = optarg;
            break;
        case Relay:
            command.options.relay = optarg;
            command.relay = true;
            break;
        case Check:
            command.check = true;
            break;
        case SecureOn:
            command.options.secureon = optarg;
            command.given = true;
            break;
        case Mac:
        case Host:
        case Port:
        case Count:
            (c == Mac ? command.mac : c == Host ? command.host : c == Port ? command.port : command.count) = optarg;
            command.haveMac = command.haveMac || c == Mac;
            command.haveHost = command.haveHost || c == Host;
            command.given = true;
            break;
        case ':':
            for (const option &o : LongOptions)
                if (o.name && o.val == optopt)
                    return textWith(T_("%1 の値がありません"), {std::string("--") + o.name});
            return textWith(T_("%1 の値がありません"), {text});
        case '?':
            return textWith(T_("不明な引数です: %1"),
                            {optopt > 0 && optopt < 0x100 ? std::string("-") + char(optopt) : text});
        default:
            command.verbs.emplace_back(c == ListCode     ? List
                                       : c == StatusCode ? Status
                                       : c == ScanCode   ? Scan
                                       : c == NextCode   ? Next
                                       : c == SkipCode   ? Skip
                                       : c == UnskipCode ? Unskip
                                       : c == 'h'        ? Help
                                                         : Version,
                                       c == SkipCode || c == UnskipCode ? std::string(optarg) : text);
        }
    }
    for (int i = optind; i < argc; ++i) // after "--": names, even with a dash
        command.selectors.push_back(argv[i]);
    return std::nullopt;
}

// A verb goes alone (with the settings' folder); only the list lets a --wait pass.
int runVerb(const Command &command)
{
    if (command.verbs.size() > 1)
        return usage(textWith(T_("不明な引数です: %1"), {command.verbs[1].second}));
    const auto &[verb, text] = command.verbs.front();
    if (!command.selectors.empty() || command.given || command.check || command.relay || (command.wait && verb != List))
        return usage(textWith(T_("不明な引数です: %1"), {text}));
    switch (verb) {
    case List:
        return listCommand(command.options);
    case Status:
        return statusCommand(command.options);
    case Scan:
        return scanCommand(command.options);
    case Next:
        return nextCommand(command.options);
    case Skip:
    case Unskip:
        return skipCommand(command.options, text, verb == Unskip);
    case Help:
        std::fputs(usageText(), stdout);
        std::fputs(helpText().c_str(), stdout);
        return Sent;
    case Version:
        break;
    }
    std::printf("orvane-wake %s\n", VersionText);
    return Sent;
}

int run(int argc, char **argv)
{
    Command command;
    if (const std::optional<std::string> problem = parse(argc, argv, command))
        return usage(*problem);
    if (!command.verbs.empty())
        return runVerb(command);
    // --relay goes with a wake or a check given on the command line.
    if (command.relay && !command.given)
        return usage(T_("--relay には --mac と --host が必要です"));
    if (command.check) {
        if (!command.selectors.empty() || command.wait)
            return usage(
                textWith(T_("不明な引数です: %1"), {command.wait ? std::string("--wait") : command.selectors.front()}));
        if (!command.haveHost)
            return usage(T_("--check には --host が必要です"));
        return checkCommand(command.options, command.host, command.haveMac ? command.mac : std::string());
    }
    if (command.given) {
        if (!command.selectors.empty())
            return usage(textWith(T_("不明な引数です: %1"), {command.selectors.front()}));
        if (!command.haveMac || !command.haveHost)
            return usage(T_("--mac と --host の両方が必要です"));
        return wakeGivenCommand(command.options, command.mac, command.host, command.port, command.count);
    }
    if (command.selectors.empty())
        return usage();
    for (const std::string &a : command.selectors) {
        const bool number = !a.empty() && std::all_of(a.begin(), a.end(), [](char d) { return d >= '0' && d <= '9'; });
        if (a.empty() || (number && (a.size() != 1 || a[0] < '0' + FirstPc || a[0] > '0' + LastPc)))
            return usage(textWith(T_("PC の番号は 1 から 5 までです: %1"), {a}));
    }
    return wakeCommand(command.options, command.selectors);
}

} // namespace

int main(int argc, char **argv)
{
    const int status = run(argc, argv);
    // Lookups that ran out of time end too (the resolver gives up soon after), not cut off mid-way.
    joinThreads();
    return status;
}
