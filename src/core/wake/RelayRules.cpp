#include "core/wake/RelayRules.h"

#include "core/record/Language.h"
#include "core/record/PlainText.h"

#include <algorithm>

namespace orvane {

namespace {

bool control(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

// How a refused text is shown: control characters as "?", since they can't be seen.
std::string shown(std::string_view text)
{
    std::string out(text.substr(0, 80));
    std::replace_if(
        out.begin(), out.end(), [](char c) { return control(static_cast<unsigned char>(c)); }, '?');
    return text.size() > 80 ? out + "…" : out;
}

// A host name or a numeric address (with an IPv6 zone): letters, digits, ".", "-", "_", ":", "%".
bool hostCharacters(std::string_view host)
{
    return !host.empty() && host.size() <= 253 && host.front() != '-' &&
           std::all_of(host.begin(), host.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                      c == '-' || c == '_' || c == ':' || c == '%';
           });
}

bool macCharacters(std::string_view mac)
{
    return mac.size() == 17 && std::all_of(mac.begin(), mac.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':';
           });
}

constexpr std::string_view Placeholders[] = {"mac", "host", "port", "count", "secureon"};

// Each {name} of command replaced by value(name, quoted); false at one that isn't a placeholder.
template <class Value> bool substitute(std::string_view command, std::string &out, std::string &bad, Value value)
{
    for (size_t i = 0; i < command.size();) {
        if (command[i] != '{') {
            out += command[i++];
            continue;
        }
        const size_t end = command.find('}', i);
        std::string_view name = command.substr(i + 1, end == std::string_view::npos ? 0 : end - i - 1);
        const bool raw = name.substr(0, 4) == "raw:";
        if (raw)
            name.remove_prefix(4);
        if (end == std::string_view::npos ||
            std::find(std::begin(Placeholders), std::end(Placeholders), name) == std::end(Placeholders)) {
            bad = std::string(command.substr(i, end == std::string_view::npos ? 1 : end - i + 1));
            return false;
        }
        out += value(name, !raw);
        i = end + 1;
    }
    return true;
}

} // namespace

std::string relayRefusal(std::string_view relay)
{
    const bool blank = std::any_of(relay.begin(), relay.end(), [](char c) {
        return c == ' ' || c == '\t' || control(static_cast<unsigned char>(c));
    });
    if (!relay.empty() && relay.front() != '-' && !blank && relay.size() <= 255)
        return {};
    return textWith(T_("経由先「%1」は使えません！"), {shown(relay)}) + CrLf +
           T_("ssh の接続先（user@host、host、~/.ssh/config の Host "
              "名）を、「-」で始めず空白を入れずに書いてください。");
}

std::string relayCommandRefusal(std::string_view command)
{
    if (command.empty())
        return {};
    if (std::any_of(command.begin(), command.end(), [](char c) { return control(static_cast<unsigned char>(c)); }))
        return textWith(T_("経由先のコマンド「%1」は使えません！"), {shown(command)}) + CrLf +
               T_("改行や制御文字は含められません。");
    std::string out, bad;
    bool mac = false;
    if (!substitute(command, out, bad, [&mac](std::string_view name, bool) {
            mac = mac || name == "mac";
            return std::string();
        }))
        return textWith(T_("経由先のコマンドの「%1」は使えません！"), {shown(bad)}) + CrLf +
               T_("使えるのは {mac} {host} {port} {count}（引用符なしで入れるなら {raw:mac} など）です。");
    if (!mac)
        return textWith(T_("経由先のコマンド「%1」に {mac} がありません！"), {shown(command)});
    return {};
}

std::string shellQuoted(std::string_view text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

Result<std::string> remoteWakeCommand(std::string_view relayCommand, const RelayValues &values)
{
    if (!macCharacters(values.mac))
        return Result<std::string>::failure(
            textWith(T_("MACアドレス「%1」は経由先へ渡せません！"), {shown(values.mac)}));
    if (!hostCharacters(values.host))
        return Result<std::string>::failure(textWith(T_("Host「%1」は経由先へ渡せません！"), {shown(values.host)}) +
                                            CrLf + T_("ホスト名か IP アドレスだけを書いてください。"));
    if (!values.secureon.empty() && !macCharacters(values.secureon))
        return Result<std::string>::failure(T_("SecureOn パスワードは経由先へ渡せません！"));
    const auto value = [&values](std::string_view name, bool quoted) {
        const std::string v = name == "mac"        ? values.mac
                              : name == "host"     ? values.host
                              : name == "port"     ? std::to_string(values.port)
                              : name == "secureon" ? values.secureon
                                                   : std::to_string(values.count);
        return quoted ? shellQuoted(v) : v;
    };
    if (relayCommand.empty())
        return {"orvane-wake --mac " + value("mac", true) + " --host " + value("host", true) + " --port " +
                    value("port", true) + " --count " + value("count", true) +
                    (values.secureon.empty() ? std::string() : " --secureon " + value("secureon", true)),
                {}};
    if (const std::string why = relayCommandRefusal(relayCommand); !why.empty())
        return Result<std::string>::failure(why);
    std::string out, bad;
    substitute(relayCommand, out, bad, value);
    return {out, {}};
}

Result<std::string> remoteCheckCommand(std::string_view relayCommand, const std::string &host, const std::string &mac)
{
    if (!hostCharacters(host))
        return Result<std::string>::failure(textWith(T_("Host「%1」は経由先へ渡せません！"), {shown(host)}));
    if (!relayCommand.empty())
        return {"ping -c 1 -W 2 " + shellQuoted(host), {}};
    std::string command = "orvane-wake --check --host " + shellQuoted(host);
    if (macCharacters(mac))
        command += " --mac " + shellQuoted(mac);
    return {command, {}};
}

const std::vector<RelayPreset> &relayPresets()
{
    static const std::vector<RelayPreset> presets{
        {"wakeonlan", "wakeonlan -i {host} -p {port} {mac}"},
        {"etherwake (OpenWrt)", "etherwake -i br-lan {mac}"},
        // RouterOS's shell isn't POSIX's: the values go unquoted, which their checks allow.
        {"RouterOS /tool wol", "/tool wol mac={raw:mac} interface=bridge"},
    };
    return presets;
}

std::string relayText(const std::string &relay)
{
    return textWith(T_("経由 %1"), {relay});
}

} // namespace orvane
