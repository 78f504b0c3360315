#include "Cli.h"

#include "core/record/PlainText.h"
#include "core/record/SettingsFolder.h"

#include <algorithm>
#include <cstring>

#include <locale.h>
#include <wctype.h>

namespace orvane::cli {

const char *usageText()
{
    return T_("使い方: orvane-wake N\n"
              "        orvane-wake [--wait[=SECONDS]] [--dir DIR] N|NAME|--all ...\n"
              "        orvane-wake [--wait[=SECONDS]] [--relay DEST] --mac MAC --host HOST [--port PORT]\n"
              "                    [--count COUNT] [--secureon PASSWORD]\n"
              "        orvane-wake [--relay DEST] --check --host HOST [--mac MAC]\n"
              "        orvane-wake [--dir DIR] --list | --status | --scan | --next\n"
              "        orvane-wake [--dir DIR] --skip N | --unskip N\n"
              "        orvane-wake --help | --version\n");
}

std::string helpText()
{
    // A block of its own for each option, so that a translator has one at a time.
    std::string text = std::string("\n") +
                       T_("Wake-on-LAN のマジックパケットを Orvane と同じ確認、同じデータグラムで送ります。\n") + "\n";
    for (const char *block :
         {T_("  N        System.ini の PC N (1～5) を起動します。いくつでも並べられ、順に送ります。\n"),
          T_("  NAME     名前が NAME の PC を起動します (大文字と小文字は区別しません)。同じ名前の\n"
             "           PC が複数あるときは起動せず、番号での指定を求めます。\n"),
          T_("  --all    Host と MACアドレスのある PC をすべて起動します。\n"),
          T_("  --dir    System.ini のあるフォルダー。省略時はカレントディレクトリの System.ini、\n"
             "           なければメニューから起動した Orvane のもの\n"
             "           (${XDG_CONFIG_HOME:-~/.config}/orvane/System.ini) を読みます。\n"),
          T_("  --list   System.ini の設定を表示します: ポート番号、送信回数、続いて PC ごとに\n"
             "           番号・名前・Host・MACアドレス・タイマー・起動時刻・経由先・起動する日を\n"
             "           タブ区切りで 1 行ずつ。\n"),
          T_("  --next   PC ごとに 番号・名前・次のタイマー起動 (「次の起動 12/08(火) 07:30:00」) を表示します。\n"
             "           Orvane.ini の days・holidays・skip・skip_next を数えます。\n"),
          T_("  --skip   PC N の次のタイマー起動を 1 回だけ休みます (Orvane.ini の skip_next)。\n"
             "           その次の起動からはまた起動します。--unskip N で取り消します。\n"),
          T_("  --mac    MACアドレス: 00:11:22:33:44:55、00-11-22-33-44-55、0011.2233.4455、\n"
             "           001122334455 のどれでも (大文字・小文字、前後の空白は問いません)\n"),
          T_("  --host   ホスト名、IPv4/IPv6 アドレス、またはブロードキャストアドレス\n"),
          T_("  --port   UDP ポート番号 (省略時 9)。送信元ポートはポート番号 + 1 です。\n"),
          T_("  --count  送信回数 (省略時 3)\n"),
          T_("  --secureon  SecureOn パスワード (MAC アドレスと同じ形の 6 バイト)。パケットの最後に\n"
             "           付けて 108 バイトで送ります。Orvane.ini の secureon がある PC も同じです。\n"
             "           同じネットワークの IPv4 アドレスには、そのネットワークのブロードキャストにも送ります\n"
             "           (IPv6 では ff02::1)。眠っている PC はアドレスに応答しないためです。\n"),
          T_("  --relay  ssh の接続先 DEST (user@host、host、~/.ssh/config の Host 名) から送ります。\n"
             "           ルーターの向こうのネットワークの PC を起動するためです。DEST で orvane-wake を\n"
             "           実行します。Orvane.ini で経由先が設定された PC は、番号や名前で指定しても\n"
             "           経由先から送ります。ssh は BatchMode で動き、パスワードを尋ねず、知らないホスト鍵を\n"
             "           受け入れません。$ORVANE_SSH_COMMAND があれば ssh の代わりに使います。\n"),
          T_("  --check  HOST が応答するか 1 回だけ確かめ、状態を表示します (--mac があれば、同じネット\n"
             "           ワークではその MAC の応答だけを数えます)。応答ありなら 0、ほかは 3 で終わります。\n"),
          T_("  --wait   送ったあと、PC が応答するまで待ちます (省略時 180 秒、--wait=秒数 で指定)。\n"
             "           2 秒ごとに確かめ、応答までの秒数を表示します。送る前から応答している PC、\n"
             "           アドレスに別の MAC が応答する PC はそう表示して待ちません。ブロードキャスト、\n"
             "           マルチキャスト、ネットワークのアドレスでは確かめられないため、そう表示します。\n"),
          T_("  --status System.ini の PC ごとに 番号・名前・Host・状態 (応答あり / 応答なし / 未確認 /\n"
             "           別の MAC から応答 MACアドレス) をタブ区切りで 1 行ずつ表示します。PC の MAC が別の\n"
             "           アドレスで応答していれば「、MAC は アドレス で応答」を続けます。経由先のある PC は\n"
             "           経由先から確かめ (つながらなければ「経由先に接続できません」)、「経由 DEST」を\n"
             "           最後に足します。Host のない PC には何も送りません。\n"),
          T_("  --scan   このコンピューターのネットワークにある機器を探し、アドレス・MACアドレス・名前・\n"
             "           メーカー・(System.ini の PC と同じ MAC なら) PC の番号をタブ区切りで 1 行ずつ、\n"
             "           アドレス順に表示します。管理者の権限はいりません。\n")})
        text += block;
    return text + "\n" +
           T_("終了コード: 0 送信した (--wait では応答があったか、送る前から応答していたか、\n"
              "              確かめられないアドレス)、\n"
              "            1 設定の誤り・送信の失敗・送信回数 0 以下・名前に合う PC がないか複数、\n"
              "            2 使い方の誤り (何も送りません)、\n"
              "            3 --wait の時間内に応答がなかった、またはアドレスに別の MAC が応答した\n"
              "            PC が複数なら、1、3、0 の順に重いものを返します。失敗は 1 件 1 行で標準エラーに。\n");
}

namespace {

const auto sequenceLength = utf8SequenceLength;

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

} // namespace

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

int usage(const std::string &problem)
{
    if (!problem.empty())
        print(stderr, "orvane-wake: " + problem);
    std::fputs(usageText(), stderr);
    return Usage;
}

int refused(const std::string &message)
{
    print(stderr, message);
    return Refused;
}

bool readSettings(const Options &options, SettingsValues &values, std::string &error, OrvaneTable *extras,
                  std::string *extrasPath)
{
    std::string path = options.dir ? settingsFileIn(*options.dir) : std::string(SettingsFileName);
    std::string bytes;
    RecordFileRead read = readRecordFile(path.c_str(), bytes);
    std::string missing = options.dir ? textWith(T_("%1 がありません！"), {path})
                                      : std::string(T_("カレントディレクトリに System.ini がありません！"));
    if (!options.dir && read == RecordFileRead::Missing) {
        if (const std::string folder = desktopSettingsFolder(); !folder.empty()) {
            path = settingsFileIn(folder);
            read = readRecordFile(path.c_str(), bytes);
            missing += CrLf + textWith(T_("%1 もありません。"), {path});
        }
    }
    switch (read) {
    case RecordFileRead::Missing:
        error = missing;
        return false;
    case RecordFileRead::Failed:
        error = textWith(T_("%1 を読み込めません！"), {path});
        return false;
    case RecordFileRead::Done:
        break;
    }
    values = decodeSettingsValues(bytes);
    if (extras) {
        const std::string ini = path.substr(0, path.size() - std::strlen(SettingsFileName)) + OrvaneFileName;
        if (extrasPath)
            *extrasPath = ini;
        const OrvaneSettings read = readOrvaneSettings(ini);
        *extras = read.pcs;
        if (!read.problems.empty())
            print(stderr, orvaneProblemsText(read));
    }
    return true;
}

WakeSettings pcSettings(const SettingsValues &values, const OrvaneTable &extras, int pc)
{
    WakeSettings s = wakeSettingsOf(values, pc);
    s.via = {extras[static_cast<size_t>(pc)].relay, extras[static_cast<size_t>(pc)].relayCommand};
    s.secureon = extras[static_cast<size_t>(pc)].secureon;
    return s;
}

int worse(int a, int b)
{
    const auto weight = [](int status) { return status == Refused ? 2 : status == NoAnswer ? 1 : 0; };
    return weight(b) > weight(a) ? b : a;
}

} // namespace orvane::cli
