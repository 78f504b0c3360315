#include "core/net/Relay.h"

#include "core/record/Language.h"
#include "core/record/PlainText.h"
#include "core/wake/MacText.h"

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// The folder of the control sockets: the user's own under the runtime folder, or none at all (no
// shared connection then) where that can't be trusted.
std::string controlFolder()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/')
        return {};
    const std::string folder = std::string(runtime) + "/orvane";
    ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077))
        return {};
    return folder;
}

// The first line of what a program wrote, without its line break or control characters.
std::string firstLine(const std::string &text)
{
    std::string line;
    for (char c : text) {
        if (c == '\n' && !line.empty())
            break;
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            line += c;
    }
    return line.size() > 200 ? line.substr(0, 200) + "…" : line;
}

bool says(const std::string &text, const char *what)
{
    return text.find(what) != std::string::npos;
}

// What went wrong on the way to the relay (ssh's own exit status 255), for the user.
std::string connectionFailure(const std::string &relay, const std::string &err)
{
    if (says(err, "Host key verification failed") || says(err, "IDENTIFICATION HAS CHANGED") ||
        says(err, "host key is known"))
        return textWith(T_("経由先 %1 のホスト鍵が known_hosts にないか、変わっています！"), {relay}) + CrLf +
               textWith(T_("端末で「ssh %1」を実行して、鍵を確かめてください。Orvane は鍵を自分では受け入れません。"),
                        {relay});
    if (says(err, "Permission denied") || says(err, "Too many authentication failures"))
        return textWith(T_("経由先 %1 で認証を拒まれました！"), {relay}) + CrLf +
               textWith(T_("端末で一度「ssh %1」を実行して、鍵で入れるようにしてください（Orvane "
                           "はパスワードを尋ねません）。"),
                        {relay});
    const std::string line = firstLine(err);
    return textWith(T_("経由先 %1 に接続できません！"), {relay}) + (line.empty() ? std::string() : CrLf + line);
}

// The length of reach's word where the line is that word (or, with prefix, begins with it); 0 where
// not. The relay's orvane-wake speaks the source's language or, where ssh passes the locale on, the
// user's.
std::size_t stateWordLength(const std::string &line, Reach reach, bool prefix)
{
    for (const std::string_view word : {reachSourceWord(reach), reachWord(reach)})
        if (prefix ? line.rfind(word, 0) == 0 : line == word)
            return word.size();
    return 0;
}

// Runs remote on the route's relay; the outcome, or the failure to start ssh.
Result<ProcessOutcome> runOnRelay(const RelayRoute &route, const std::string &remote, int limitMs, const Cancel *cancel)
{
    return runProcess(sshCommandLine(route.relay, remote), std::chrono::milliseconds(limitMs), cancel);
}

} // namespace

std::vector<std::string> sshCommandLine(const std::string &relay, const std::string &remote)
{
    std::vector<std::string> line;
    const char *custom = std::getenv("ORVANE_SSH_COMMAND");
    if (custom && *custom)
        line = {"/bin/sh", "-c", std::string(custom) + " \"$@\"", "orvane-ssh"};
    else
        line = {"ssh"};
    const std::string folder = controlFolder();
    for (const std::string &o :
         {std::string("BatchMode=yes"), "ConnectTimeout=" + std::to_string(RelayConnectTimeoutS),
          std::string("StrictHostKeyChecking=yes"), std::string("ServerAliveInterval=5"),
          std::string("ServerAliveCountMax=2"), std::string(folder.empty() ? "ControlMaster=no" : "ControlMaster=auto"),
          std::string("ControlPersist=120"),
          folder.empty() ? std::string("ControlPath=none") : "ControlPath=" + folder + "/ssh-%C"}) {
        line.push_back("-o");
        line.push_back(o);
    }
    // No terminal, and nothing after "--" is an option, whatever it holds.
    for (const std::string &a : {std::string("-T"), std::string("--"), relay, remote})
        line.push_back(a);
    return line;
}

Result<int> wakeThroughRelay(const RelayRoute &route, const WakeRequest &request, const Cancel *cancel)
{
    MacAddress mac{};
    for (size_t i = 0; i < MacBytes; ++i)
        mac[i] = static_cast<std::uint8_t>(request.packet[6 + i]);
    std::string secureon;
    if (request.packet.size() == MagicPacketBytes + MacBytes) {
        MacAddress password{};
        std::copy(request.packet.end() - MacBytes, request.packet.end(), password.begin());
        secureon = macText(password);
    }
    const Result<std::string> remote =
        remoteWakeCommand(route.command, {macText(mac), request.host, request.port, request.count, secureon});
    if (!remote)
        return Result<int>::failure(remote.error);
    const Result<ProcessOutcome> run = runOnRelay(route, *remote, RelayWakeLimitMs, cancel);
    if (!run)
        return Result<int>::failure(run.error);
    const ProcessOutcome &o = *run;
    const std::string &relay = route.relay;
    switch (o.end) {
    case ProcessOutcome::TimedOut:
        return Result<int>::failure(textWith(T_("経由先 %1 から %2 秒たっても送信の結果が返りません！"),
                                             {relay, std::to_string(RelayWakeLimitMs / 1000)}));
    case ProcessOutcome::Cancelled:
        return Result<int>::failure(textWith(T_("経由先 %1 での起動を取りやめました。"), {relay}));
    case ProcessOutcome::Signalled:
        return Result<int>::failure(textWith(T_("経由先 %1 への ssh が途中で終わりました！"), {relay}));
    case ProcessOutcome::Exited:
        break;
    }
    if (o.exitCode == 0)
        return {request.count, {}};
    if (o.exitCode == 255)
        return Result<int>::failure(connectionFailure(relay, o.err));
    const std::string line = firstLine(o.err.empty() ? o.out : o.err);
    if (o.exitCode == 127 || o.exitCode == 126) {
        const std::string program =
            route.command.empty() ? "orvane-wake" : route.command.substr(0, route.command.find(' '));
        return Result<int>::failure(
            textWith(T_("経由先 %1 に「%2」がありません！"), {relay, program}) + CrLf +
            (route.command.empty() ? T_("経由先に Orvane を入れるか、PC の詳細で経由先のコマンドを設定してください。")
                                   : T_("経由先のコマンドを確かめてください。")));
    }
    return Result<int>::failure(
        textWith(T_("経由先 %1 でのコマンドが失敗しました（終了コード %2）！"), {relay, std::to_string(o.exitCode)}) +
        (line.empty() ? std::string() : CrLf + line));
}

PcAnswer checkThroughRelay(const RelayRoute &route, const PcProbe &pc, const Cancel *cancel)
{
    PcAnswer answer;
    const Result<std::string> remote =
        remoteCheckCommand(route.command, pc.host, pc.mac ? macText(*pc.mac) : std::string());
    if (!remote)
        return answer;
    const Result<ProcessOutcome> run = runOnRelay(route, *remote, RelayCheckLimitMs, cancel);
    if (!run || run->end == ProcessOutcome::Cancelled)
        return answer;
    if (run->end != ProcessOutcome::Exited || run->exitCode == 255) {
        answer.reach = Reach::RelayUnreachable;
        return answer;
    }
    const int code = run->exitCode;
    if (code == 0) {
        answer.reach = Reach::Answered;
    } else if (!route.command.empty()) {
        answer.reach = code == 1 ? Reach::NoAnswer : Reach::NotChecked; // ping's: 1 no reply, 2 an error
    } else if (code == 3) {
        // orvane-wake --check's state word, and another MAC's after it.
        const std::string line = firstLine(run->out);
        const std::size_t other = stateWordLength(line, Reach::OtherMac, true);
        answer.reach = other != 0                                        ? Reach::OtherMac
                       : stateWordLength(line, Reach::LinkOnly, false)   ? Reach::LinkOnly
                       : stateWordLength(line, Reach::NotChecked, false) ? Reach::NotChecked
                                                                         : Reach::NoAnswer;
        if (answer.reach == Reach::OtherMac)
            if (const std::optional<MacAddress> mac = parseWholeMac(line.substr(other, 18)))
                answer.otherMac = macText(*mac);
    }
    return answer;
}

} // namespace orvane
