#include "core/wake/WakeRequest.h"

#include "core/record/Language.h"
#include "core/wake/MacText.h"

#include <string_view>

namespace orvane {

namespace {

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A decimal number as the original's conversion read it: blanks around it and one sign allowed,
// nothing else. Magnitudes beyond `cap` come back as `cap`.
std::optional<long> decimalValue(std::string_view text, long cap)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    if (!allDigits(text))
        return std::nullopt;
    long value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value >= cap) {
            value = cap;
            break;
        }
    }
    return negative ? -value : value;
}

std::string portError(const std::string &subject, const std::string &port)
{
    const std::string head = port.empty() ? textWith(T_("%1のポート番号が設定されていません！"), {subject})
                                          : textWith(T_("%1のポート番号「%2」が正しくありません！"), {subject, port});
    return head + CrLf +
           textWith(T_("ポート番号は %1 から %2 までの数字で設定してください。"),
                    {std::to_string(MinPort), std::to_string(MaxPort)});
}

std::string countError(const std::string &subject, const std::string &count)
{
    const std::string head =
        count.empty() ? textWith(T_("%1のマジックパケット送信回数が設定されていません！"), {subject})
                      : textWith(T_("%1のマジックパケット送信回数「%2」が正しくありません！"), {subject, count});
    return head + CrLf + textWith(T_("送信回数は %1 以下の整数で設定してください。"), {std::to_string(MaxSendCount)});
}

std::string macError(const std::string &subject, int index, const std::string &field)
{
    return textWith(T_("%1のMACアドレス %2 番目の値「%3」が正しくありません！"),
                    {subject, std::to_string(index + 1), field}) +
           CrLf + T_("MACアドレスは 1 桁か 2 桁の16進数（0～9、A～F）で設定してください。");
}

} // namespace

std::string wakeSubject(const WakeSettings &settings)
{
    if (settings.pc <= 0)
        return T_("指定したPC");
    const std::string pc = pcNumberName(settings.pc);
    return settings.name.empty() ? pc : textWith(T_("%1「%2」"), {pc, settings.name});
}

std::string pcNumberName(int pc)
{
    return "PC" + std::to_string(pc);
}

std::string pcName(const WakeSettings &settings)
{
    return settings.name.empty() ? pcNumberName(settings.pc) : settings.name;
}

WakeCheck checkWake(const WakeSettings &s)
{
    if (s.host.empty())
        return WakeCheck::failure(T_("Host or IPアドレスが設定されていません！"));
    for (const std::string &field : s.mac)
        if (field.empty())
            return WakeCheck::failure(T_("MACアドレスが正しく設定されていません！"));
    const std::string subject = wakeSubject(s);

    // Every value is checked before the socket is touched: a PC gets its packet whole or not at all.
    const std::optional<long> port = decimalValue(s.port, MaxPort + 1);
    if (!port || *port < MinPort || *port > MaxPort)
        return WakeCheck::failure(portError(subject, s.port));

    const std::optional<long> count = decimalValue(s.count, MaxSendCount + 1);
    if (!count || *count > MaxSendCount)
        return WakeCheck::failure(countError(subject, s.count));

    MacAddress mac{};
    for (size_t i = 0; i < MacBytes; ++i) {
        const std::optional<std::uint8_t> byte = macFieldByte(s.mac[i]);
        if (!byte)
            return WakeCheck::failure(macError(subject, static_cast<int>(i), s.mac[i]));
        mac[i] = *byte;
    }

    WakeRequest r;
    r.subject = subject;
    r.host = s.host;
    r.port = static_cast<std::uint16_t>(*port);
    r.localPort = static_cast<std::uint16_t>(*port + 1);
    r.count = *count < 0 ? 0 : static_cast<int>(*count);
    r.packet = buildMagicPacket(mac);
    if (!s.secureon.empty()) {
        const std::optional<MacAddress> password = parseWholeMac(s.secureon);
        if (!password)
            return WakeCheck::failure(
                textWith(T_("%1の SecureOn パスワード「%2」が正しくありません！"), {subject, s.secureon}) + CrLf +
                T_("MAC アドレスと同じ形の 6 バイト（01-23-45-67-89-ab など）で設定してください。"));
        r.packet.append(password->begin(), password->end());
    }
    return WakeCheck{std::move(r), {}};
}

} // namespace orvane
