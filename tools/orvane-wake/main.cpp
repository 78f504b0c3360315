// orvane-wake: wakes PCs from the command line with the same checks and datagrams as Orvane.
// It doesn't load Qt: that alone would take longer than everything else it does.

#include "Cli.h"
#include "Version.h"

#include "core/record/RecordFormat.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <getopt.h>

using namespace orvane;
using namespace orvane::cli;

namespace {

enum Verb { List, Status, Scan, Help, Version };

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
    problem = "--wait の秒数は 1 から 86400 までです: " + text;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    enum Code {
        Selector = 1,
        Wait = 0x100,
        Dir,
        Mac,
        Host,
        Port,
        Count,
        All,
        ListCode,
        StatusCode,
        ScanCode,
        VersionCode
    };
    static const option longOptions[] = {{"wait", optional_argument, nullptr, Wait},
                                         {"dir", required_argument, nullptr, Dir},
                                         {"mac", required_argument, nullptr, Mac},
                                         {"host", required_argument, nullptr, Host},
                                         {"port", required_argument, nullptr, Port},
                                         {"count", required_argument, nullptr, Count},
                                         {"all", no_argument, nullptr, All},
                                         {"list", no_argument, nullptr, ListCode},
                                         {"status", no_argument, nullptr, StatusCode},
                                         {"scan", no_argument, nullptr, ScanCode},
                                         {"help", no_argument, nullptr, 'h'},
                                         {"version", no_argument, nullptr, VersionCode},
                                         {nullptr, 0, nullptr, 0}};
    Options options;
    std::vector<std::string> selectors; // numbers, names and --all, in the order given
    std::vector<std::pair<int, std::string>> verbs;
    std::string mac, host, port = "9", count = "3", problem;
    bool given = false, haveMac = false, haveHost = false, wait = false;
    opterr = 0; // the messages are ours, in the program's language
    // "-": every argument in its place, so that the PCs are woken in the order given.
    for (int c; (c = getopt_long(argc, argv, "-:h", longOptions, nullptr)) != -1;) {
        const std::string text = argv[optind - 1];
        switch (c) {
        case Selector:
        case All:
            selectors.push_back(c == All ? "--all" : optarg);
            break;
        case Wait:
            wait = true;
            if (!takeWait(optarg, options, problem))
                return usage(problem);
            break;
        case Dir:
            options.dir = optarg;
            break;
        case Mac:
        case Host:
        case Port:
        case Count:
            (c == Mac ? mac : c == Host ? host : c == Port ? port : count) = optarg;
            haveMac = haveMac || c == Mac;
            haveHost = haveHost || c == Host;
            given = true;
            break;
        case ':':
            for (const option &o : longOptions)
                if (o.name && o.val == optopt)
                    return usage(std::string("--") + o.name + " の値がありません");
            return usage(text + " の値がありません");
        case '?':
            return usage("不明な引数です: " + (optopt > 0 && optopt < 0x100 ? std::string("-") + char(optopt) : text));
        default:
            verbs.emplace_back(c == ListCode     ? List
                               : c == StatusCode ? Status
                               : c == ScanCode   ? Scan
                               : c == 'h'        ? Help
                                                 : Version,
                               text);
            break;
        }
    }
    for (int i = optind; i < argc; ++i) // after "--": names, even with a dash
        selectors.push_back(argv[i]);

    // A verb goes alone (with the settings' folder); only the list lets a --wait pass.
    if (verbs.size() > 1)
        return usage("不明な引数です: " + verbs[1].second);
    if (!verbs.empty()) {
        const auto [verb, text] = verbs.front();
        if (!selectors.empty() || given || (wait && verb != List))
            return usage("不明な引数です: " + text);
        switch (verb) {
        case List:
            return listCommand(options);
        case Status:
            return statusCommand(options);
        case Scan:
            return scanCommand(options);
        case Help:
            std::fputs(UsageText, stdout);
            std::fputs(HelpText, stdout);
            return Sent;
        default:
            std::printf("orvane-wake %s\n", VersionText);
            return Sent;
        }
    }
    if (given) {
        if (!selectors.empty())
            return usage("不明な引数です: " + selectors.front());
        if (!haveMac || !haveHost)
            return usage("--mac と --host の両方が必要です");
        return wakeGivenCommand(options, mac, host, port, count);
    }
    if (selectors.empty())
        return usage();
    for (const std::string &a : selectors) {
        const bool number = !a.empty() && std::all_of(a.begin(), a.end(), [](char d) { return d >= '0' && d <= '9'; });
        if (a.empty() || (number && (a.size() != 1 || a[0] < '0' + FirstPc || a[0] > '0' + LastPc)))
            return usage("PC の番号は 1 から 5 までです: " + a);
    }
    return wakeCommand(options, selectors);
}
