// orvane-wake: wakes PCs from the command line with the same checks and datagrams as Orvane.
// It doesn't load Qt: that alone would take longer than everything else it does.

#include "Version.h"
#include "core/net/MacText.h"
#include "core/net/PcCheck.h"
#include "core/net/Reachability.h"
#include "core/net/Sweep.h"
#include "core/net/WakeSender.h"
#include "core/record/PlainSettings.h"
#include "core/record/SettingsFolder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <locale.h>
#include <wctype.h>

using namespace orvane;

namespace {

enum Exit { Sent = 0, Refused = 1, Usage = 2, NoAnswer = 3 };

// --wait: how long to wait for the woken PC's answer; 0 doesn't wait.
int g_waitSeconds = 0;
constexpr int DefaultWaitSeconds = 180;
constexpr int WaitCheckMs = 2000;

// --dir: the folder of System.ini; without it the current directory's, else the desktop program's.
std::optional<std::string> g_dir;

const char UsageText[] = "使い方: orvane-wake N\n"
                         "        orvane-wake [--wait[=SECONDS]] [--dir DIR] N|NAME|--all ...\n"
                         "        orvane-wake [--wait[=SECONDS]] --mac MAC --host HOST [--port PORT] [--count COUNT]\n"
                         "        orvane-wake [--dir DIR] --list | --status | --scan\n"
                         "        orvane-wake --help | --version\n";

const char HelpText[] =
    "\n"
    "Wake-on-LAN のマジックパケットを Orvane と同じ確認、同じデータグラムで送ります。\n"
    "\n"
    "  N        System.ini の PC N (1～5) を起動します。いくつでも並べられ、順に送ります。\n"
    "  NAME     名前が NAME の PC を起動します (大文字と小文字は区別しません)。同じ名前の\n"
    "           PC が複数あるときは起動せず、番号での指定を求めます。\n"
    "  --all    Host と MACアドレスのある PC をすべて起動します。\n"
    "  --dir    System.ini のあるフォルダー。省略時はカレントディレクトリの System.ini、\n"
    "           なければメニューから起動した Orvane のもの\n"
    "           (${XDG_CONFIG_HOME:-~/.config}/orvane/System.ini) を読みます。\n"
    "  --list   System.ini の設定を表示します: ポート番号、送信回数、続いて PC ごとに\n"
    "           番号・名前・Host・MACアドレス・タイマー・起動時刻をタブ区切りで 1 行ずつ。\n"
    "  --mac    MACアドレス: 00:11:22:33:44:55、00-11-22-33-44-55、0011.2233.4455、\n"
    "           001122334455 のどれでも (大文字・小文字、前後の空白は問いません)\n"
    "  --host   ホスト名、IPv4/IPv6 アドレス、またはブロードキャストアドレス\n"
    "  --port   UDP ポート番号 (省略時 9)。送信元ポートはポート番号 + 1 です。\n"
    "  --count  送信回数 (省略時 3)\n"
    "           同じネットワークの IPv4 アドレスには、そのネットワークのブロードキャストにも送ります\n"
    "           (IPv6 では ff02::1)。眠っている PC はアドレスに応答しないためです。\n"
    "  --wait   送ったあと、PC が応答するまで待ちます (省略時 180 秒、--wait=秒数 で指定)。\n"
    "           2 秒ごとに確かめ、応答までの秒数を表示します。送る前から応答している PC、\n"
    "           アドレスに別の MAC が応答する PC はそう表示して待ちません。ブロードキャスト、\n"
    "           マルチキャスト、ネットワークのアドレスでは確かめられないため、そう表示します。\n"
    "  --status System.ini の PC ごとに 番号・名前・Host・状態 (応答あり / 応答なし / 未確認 /\n"
    "           別の MAC から応答 MACアドレス) をタブ区切りで 1 行ずつ表示します。PC の MAC が別の\n"
    "           アドレスで応答していれば「、MAC は アドレス で応答」を続けます。Host のない PC には\n"
    "           何も送りません。\n"
    "  --scan   このコンピューターのネットワークにある機器を探し、アドレス・MACアドレス・名前・\n"
    "           メーカー・(System.ini の PC と同じ MAC なら) PC の番号をタブ区切りで 1 行ずつ、\n"
    "           アドレス順に表示します。管理者の権限はいりません。\n"
    "\n"
    "終了コード: 0 送信した (--wait では応答があったか、送る前から応答していたか、\n"
    "              確かめられないアドレス)、\n"
    "            1 設定の誤り・送信の失敗・送信回数 0 以下・名前に合う PC がないか複数、\n"
    "            2 使い方の誤り (何も送りません)、\n"
    "            3 --wait の時間内に応答がなかった、またはアドレスに別の MAC が応答した\n"
    "            PC が複数なら、1、3、0 の順に重いものを返します。失敗は 1 件 1 行で標準エラーに。\n";

// Length of the UTF-8 sequence at text[i]; 0 when none starts there.
size_t sequenceLength(std::string_view text, size_t i)
{
    const auto b = static_cast<unsigned char>(text[i]);
    const size_t length = b < 0x80                 ? 1
                          : b >= 0xC2 && b <= 0xDF ? 2
                          : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

// The character of the UTF-8 sequence of length at text[i] (a byte alone for length 0).
char32_t codePoint(std::string_view text, size_t i, size_t length)
{
    const auto b = static_cast<unsigned char>(text[i]);
    char32_t c = length <= 1 ? b : b & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
        c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return c;
}

// Characters that reorder or hide what the terminal shows around them: line and paragraph
// separators, zero-width characters and the bidirectional controls.
bool reordering(char32_t c)
{
    return c == 0x061C || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

// Text from the arguments, System.ini or the network never reaches the terminal raw: control
// characters (C0, DEL, C1), the characters that reorder a line and bytes that aren't UTF-8 are
// written as \xNN, byte by byte.
std::string escaped(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = sequenceLength(text, i);
        const auto b = static_cast<unsigned char>(text[i]);
        const char32_t c = codePoint(text, i, length);
        const bool control = b < 0x20 || b == 0x7F || (length > 1 && c < 0xA0) || reordering(c);
        if (length > 0 && !control) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        for (const size_t end = i + std::max<size_t>(length, 1); i < end; ++i) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(text[i]));
            out += hex;
        }
    }
    return out;
}

// A message's lines (CR LF, for message boxes) as lines of the terminal.
void print(FILE *stream, const std::string &message)
{
    std::string text;
    for (size_t from = 0;;) {
        const size_t at = message.find("\r\n", from);
        text += escaped(std::string_view(message).substr(from, at == std::string::npos ? at : at - from)) + "\n";
        if (at == std::string::npos)
            break;
        from = at + 2;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    // A script that reads a --wait as it goes hears each PC at once, not when the last one is done.
    std::fflush(stream);
}

int usage(const std::string &problem = std::string())
{
    if (!problem.empty())
        print(stderr, "orvane-wake: " + problem);
    std::fputs(UsageText, stderr);
    return Usage;
}

int refused(const std::string &message)
{
    print(stderr, message);
    return Refused;
}

// The settings file as the program reads it, but never created: a missing one most likely means
// the wrong folder, and saying which file was looked for beats reporting an empty host.
bool readSettings(SettingsValues &values, std::string &error)
{
    std::string path = g_dir ? settingsFileIn(*g_dir) : std::string(SettingsFileName);
    std::string bytes;
    RecordFileRead read = readRecordFile(path.c_str(), bytes);
    std::string missing = g_dir ? path + " がありません！" : "カレントディレクトリに System.ini がありません！";
    if (!g_dir && read == RecordFileRead::Missing) {
        if (const std::string folder = desktopSettingsFolder(); !folder.empty()) {
            path = settingsFileIn(folder);
            read = readRecordFile(path.c_str(), bytes);
            missing += CrLf + path + " もありません。";
        }
    }
    switch (read) {
    case RecordFileRead::Missing:
        error = missing;
        return false;
    case RecordFileRead::Failed:
        error = path + " を読み込めません！";
        return false;
    case RecordFileRead::Done:
        break;
    }
    values = decodeSettingsValues(bytes);
    return true;
}

// Of two PCs' exit statuses, the one a script must hear: packets that didn't go out over a PC
// that didn't answer.
int worse(int a, int b)
{
    const auto weight = [](int status) { return status == Refused ? 2 : status == NoAnswer ? 1 : 0; };
    return weight(b) > weight(a) ? b : a;
}

// A PC that --wait checks.
struct Watch {
    std::string name;    // as the messages name it: a wake given on the command line by its host
    std::string address; // numeric, where its datagrams went
    PcProbe probe;
};

Watch watchOf(const WakeSettings &settings, const std::string &address)
{
    return {settings.pc > 0 ? pcName(settings) : settings.host, address, {settings.host, settingsMac(settings.mac)}};
}

// Another machine has the PC's address, or a range extender answers for it: the PC's own answer
// can't come from there, so waiting for it would only end in a "no answer" later.
std::string otherMacText(const Watch &watch, const std::string &mac)
{
    const std::string where = watch.name == watch.address ? watch.address : watch.name + " のアドレス " + watch.address;
    return where + " では別の MAC " + mac + " が応答しています";
}

// Checks the PCs every 2 s until each answered or the time is up.
int waitForAnswers(std::vector<Watch> watches)
{
    using Steady = std::chrono::steady_clock;
    const Steady::time_point start = Steady::now();
    const Steady::time_point deadline = start + std::chrono::seconds(g_waitSeconds);
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
        print(stdout, noAnswerText(w.name, g_waitSeconds) + CrLf + NoAnswerAdvice);
    return watches.empty() ? status : NoAnswer;
}

// Sends one PC's packets; with --wait, what the check before them said decides whether it is
// watched. Returns its exit status so far.
int wakeAndReport(const WakeSettings &settings, const PcAnswer &before, std::vector<Watch> &watches)
{
    const WakeResult result = wake(settings);
    if (!result.ok)
        return refused(result.error);
    // Exit status 0 says that packets went out.
    if (result.sent == 0)
        return refused(wakeSubject(settings) + "へは何も送信しませんでした！" + CrLf + "マジックパケット送信回数が「" +
                       settings.count + "」です。1 以上にしてください。");
    if (g_waitSeconds == 0)
        return Sent;
    // Many machines or none: no answer there speaks for the PC, and waiting for one would end in a
    // "no answer" that isn't true.
    if (const AddressKind kind = addressKind(result.target.address); kind != AddressKind::OneMachine) {
        print(stdout, uncheckableText(settings.host, kind));
        return Sent;
    }
    Watch watch = watchOf(settings, result.target.text);
    // An answer in the first check after the packets would read "0 seconds after the wake".
    if (before.reach == Reach::Answered) {
        print(stdout, watch.name + " は送信前から応答しています");
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
int wakeAll(const std::vector<WakeSettings> &pcs, int status = Sent)
{
    // Checked before the packets go out, all at once: a PC that answers now was up already.
    std::vector<PcAnswer> before(pcs.size());
    if (g_waitSeconds > 0) {
        std::vector<PcProbe> probes;
        for (const WakeSettings &s : pcs)
            probes.push_back({s.host, settingsMac(s.mac)});
        before = checkPcs(probes, ProbeTimeoutMs, nullptr, 0);
    }
    std::vector<Watch> watches;
    for (size_t i = 0; i < pcs.size(); ++i)
        status = worse(status, wakeAndReport(pcs[i], before[i], watches));
    return watches.empty() ? status : worse(status, waitForAnswers(std::move(watches)));
}

// One line per PC: number, name, host and whether it answers now, all checked at once.
int status()
{
    SettingsValues values;
    std::string error;
    if (!readSettings(values, error))
        return refused(error);
    std::vector<PcProbe> pcs;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const WakeSettings s = wakeSettingsOf(values, pc);
        pcs.push_back({s.host, settingsMac(s.mac)});
    }
    const std::vector<PcAnswer> answers = checkPcs(pcs);
    std::string out;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const size_t i = static_cast<size_t>(pc - FirstPc);
        out += std::to_string(pc) + "\t" + escaped(settingsValue(values, pc, NameCell)) + "\t" +
               escaped(settingsValue(values, pc, HostCell)) + "\t" + answerText(answers[i], {}, pcs[i].mac) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Sent;
}

// The order of the list: IPv4 before IPv6, each by its numeric value.
std::pair<int, std::array<unsigned char, 16>> addressKey(const std::string &address)
{
    std::array<unsigned char, 16> bytes{};
    if (inet_pton(AF_INET, address.c_str(), bytes.data()) == 1)
        return {4, bytes};
    inet_pton(AF_INET6, address.substr(0, address.find('%')).c_str(), bytes.data()); // its link aside
    return {6, bytes};
}

// The machines on this machine's links, one line each: address, MAC, name, maker and the number
// of the PC that has this MAC (System.ini is optional here).
int scan()
{
    std::array<std::optional<MacAddress>, LastPc + 1> pcMacs;
    SettingsValues values;
    std::string error;
    if (readSettings(values, error)) {
        for (int pc = FirstPc; pc <= LastPc; ++pc)
            pcMacs[static_cast<size_t>(pc)] = settingsMac(wakeSettingsOf(values, pc).mac);
    }
    std::vector<FoundMachine> machines;
    std::vector<std::string> covered;
    sweepLinks([&](const FoundMachine &m) { machines.push_back(m); }, nullptr, nullptr, &covered);
    // What was looked at goes to standard error, so that the list stays one line per machine.
    for (const std::string &range : covered)
        print(stderr, "調べた範囲: " + range);
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

// Takes --wait and --wait=SECONDS out of the arguments; false for a wrong number of seconds.
bool takeWait(std::vector<std::string> &args, std::string &problem)
{
    for (auto a = args.begin(); a != args.end();) {
        if (*a != "--wait" && a->rfind("--wait=", 0) != 0) {
            ++a;
            continue;
        }
        g_waitSeconds = DefaultWaitSeconds;
        if (*a != "--wait") {
            const std::string value = a->substr(7);
            const bool digits = !value.empty() && value.size() <= 5 &&
                                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            g_waitSeconds = digits ? std::stoi(value) : 0;
            if (g_waitSeconds < 1 || g_waitSeconds > 86400) {
                problem = "--wait の秒数は 1 から 86400 までです: " + value;
                return false;
            }
        }
        a = args.erase(a);
    }
    return true;
}

int list()
{
    SettingsValues values;
    std::string error;
    if (!readSettings(values, error))
        return refused(error);
    auto cell = [&values](int row, int column) { return escaped(settingsValue(values, row, column)); };
    std::string out = cell(GlobalRow, PortCell) + "\n" + cell(GlobalRow, SendCountCell) + "\n";
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        std::string mac = cell(pc, MacCell);
        for (int i = 1; i < MacCells; ++i) {
            mac += ':';
            mac += cell(pc, MacCell + i);
        }
        out += std::to_string(pc) + "\t" + cell(pc, NameCell) + "\t" + cell(pc, HostCell) + "\t" + mac + "\t" +
               cell(pc, TimerCell) + "\t" + cell(pc, WakeTimeCell) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Sent;
}

// Names compare as the user reads them: case folded by the rules of C.UTF-8 (Ä is ä), byte for byte
// where a name isn't UTF-8.
std::u32string folded(std::string_view text)
{
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = sequenceLength(text, i);
        const auto b = static_cast<unsigned char>(text[i]);
        const char32_t c = codePoint(text, i, length);
        out += length == 0 ? 0xDC00 | b : utf8 ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), utf8)) : c;
        i += std::max<size_t>(length, 1);
    }
    return out;
}

bool isNumber(const std::string &arg)
{
    return !arg.empty() && std::all_of(arg.begin(), arg.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether an argument (a number, a name or --all) picks the PC.
bool picks(const std::string &arg, const WakeSettings &pc)
{
    // --all: a host and any MAC field; a wrong MAC then says so rather than being left out.
    if (arg == "--all")
        return !pc.host.empty() && std::any_of(pc.mac.begin(), pc.mac.end(), [](auto &f) { return !f.empty(); });
    if (isNumber(arg))
        return pc.pc == arg[0] - '0';
    return folded(pc.name) == folded(arg);
}

// The PCs of the arguments (numbers, names and --all, the numbers checked already), each once in
// the order given. A name that fits no PC or several is that argument's failure; the rest go on.
int wakePcs(const std::vector<std::string> &selectors)
{
    SettingsValues values;
    std::string error;
    if (!readSettings(values, error))
        return refused(error);
    std::vector<WakeSettings> pcs;
    const auto add = [&](int pc) {
        if (std::none_of(pcs.begin(), pcs.end(), [pc](const WakeSettings &s) { return s.pc == pc; }))
            pcs.push_back(wakeSettingsOf(values, pc));
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
            status = worse(status, refused(arg == "--all" ? "Host と MACアドレスのある PC がありません！"
                                                          : "名前が「" + arg + "」の PC がありません！"));
        } else {
            std::string list;
            for (int pc : matches)
                list += (list.empty() ? "" : "、") + wakeSubject(wakeSettingsOf(values, pc));
            status = worse(status, refused("名前が「" + arg + "」の PC が複数あります: " + list + CrLf +
                                           "番号で指定してください。"));
        }
    }
    return wakeAll(pcs, status);
}

int wakeAdHoc(const std::string &mac, const std::string &host, const std::string &port, const std::string &count)
{
    WakeSettings s;
    s.host = host;
    s.port = port;
    s.count = count;
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
        return refused("指定したPCのMACアドレス「" + mac + "」が正しくありません！" + CrLf +
                       "MACアドレスは 16進数 6 個を \":\" で区切って指定してください。");
    for (size_t i = 0; i < MacBytes; ++i)
        s.mac[i] = fields[i];
    return wakeAll({s});
}

// Takes --dir DIR and --dir=DIR out of the arguments; false when DIR is missing.
bool takeDir(std::vector<std::string> &args, std::string &problem)
{
    for (auto a = args.begin(); a != args.end();) {
        if (*a == "--dir" && a + 1 == args.end()) {
            problem = "--dir の値がありません";
            return false;
        }
        if (*a == "--dir") {
            g_dir = *(a + 1);
            a = args.erase(a, a + 2);
        } else if (a->rfind("--dir=", 0) == 0) {
            g_dir = a->substr(6);
            a = args.erase(a);
        } else {
            ++a;
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (std::string problem; !takeDir(args, problem))
        return usage(problem);
    if (args.size() == 1 && args.front() == "--status")
        return status();
    if (args.size() == 1 && args.front() == "--scan")
        return scan();
    if (std::string problem; !takeWait(args, problem))
        return usage(problem);
    if (args.empty())
        return usage();

    if (args.size() == 1) {
        const std::string &a = args.front();
        if (a == "--help" || a == "-h") {
            std::fputs(UsageText, stdout);
            std::fputs(HelpText, stdout);
            return Sent;
        }
        if (a == "--version") {
            std::printf("orvane-wake %s\n", VersionText);
            return Sent;
        }
        if (a == "--list")
            return list();
    }
    // PCs of the settings, by number, name or --all; options are the wake given on the command line.
    if (std::all_of(args.begin(), args.end(),
                    [](const std::string &a) { return a == "--all" || a.rfind('-', 0) != 0; })) {
        for (const std::string &a : args)
            if (a.empty() || (isNumber(a) && (a.size() != 1 || a[0] < '0' + FirstPc || a[0] > '0' + LastPc)))
                return usage("PC の番号は 1 から 5 までです: " + a);
        return wakePcs(args);
    }

    std::string mac, host, port = "9", count = "3";
    bool haveMac = false, haveHost = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        if (name != "--mac" && name != "--host" && name != "--port" && name != "--count")
            return usage("不明な引数です: " + args[i]);
        if (!inlineValue) {
            if (i + 1 >= args.size())
                return usage(name + " の値がありません");
            value = args[++i];
        }
        if (name == "--mac") {
            mac = value;
            haveMac = true;
        } else if (name == "--host") {
            host = value;
            haveHost = true;
        } else if (name == "--port") {
            port = value;
        } else {
            count = value;
        }
    }
    if (!haveMac || !haveHost)
        return usage("--mac と --host の両方が必要です");
    return wakeAdHoc(mac, host, port, count);
}
