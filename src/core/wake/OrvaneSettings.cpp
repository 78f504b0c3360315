#include "core/wake/OrvaneSettings.h"

#include "core/io/Fd.h"
#include "core/record/Language.h"
#include "core/record/PlainText.h"
#include "core/record/SafeWrite.h"
#include "core/wake/Calendar.h"
#include "core/wake/MacText.h"
#include "core/wake/RelayRules.h"

#include <ini.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

struct Key {
    const char *name;
    std::string PcExtras::*member;
    std::string (*refusal)(std::string_view);
};

std::string daysRefusal(std::string_view v)
{
    return parseWeekdays(v) ? std::string()
                            : textWith(T_("days「%1」が読めません（mon,wed,fri や mon-fri の形）"), {v});
}
std::string holidaysRefusal(std::string_view v)
{
    return v == "skip" || v == "wake" ? std::string() : textWith(T_("holidays は skip か wake です: %1"), {v});
}
std::string skipRefusal(std::string_view v)
{
    return parseDateRanges(v) ? std::string()
                              : textWith(T_("skip「%1」が読めません（2026-12-29..2027-01-03, 2027-05-06 の形）"), {v});
}
std::string skipNextRefusal(std::string_view v)
{
    return parseIsoDate(v) ? std::string()
                           : textWith(T_("skip_next「%1」が日付（2026-12-09 の形）ではありません"), {v});
}
std::string secureonRefusal(std::string_view v)
{
    return parseWholeMac(v) ? std::string()
                            : T_("secureon は MAC アドレスと同じ形の 6 バイト（01-23-45-67-89-ab など）です");
}

const Key Keys[] = {
    {"relay", &PcExtras::relay, relayRefusal},
    {"relay_command", &PcExtras::relayCommand, relayCommandRefusal},
    {"days", &PcExtras::days, daysRefusal},
    {"holidays", &PcExtras::holidays, holidaysRefusal},
    {"skip", &PcExtras::skip, skipRefusal},
    {"skip_next", &PcExtras::skipNext, skipNextRefusal},
    {"secureon", &PcExtras::secureon, secureonRefusal},
};

const Key *keyNamed(std::string_view name)
{
    const auto k = std::find_if(std::begin(Keys), std::end(Keys), [name](const Key &key) { return name == key.name; });
    return k == std::end(Keys) ? nullptr : k;
}

std::string_view trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// "PC1" … "PC5" as 1 … 5; 0 for any other section.
int pcOfSection(std::string_view section)
{
    return section.size() == 3 && section.substr(0, 2) == "PC" && section[2] >= '0' + FirstPc &&
                   section[2] <= '0' + LastPc
               ? section[2] - '0'
               : 0;
}

bool validUtf8(std::string_view s)
{
    for (size_t i = 0, n = 0; i < s.size(); i += n)
        if ((n = utf8SequenceLength(s, i)) == 0)
            return false;
    return true;
}

// The text and where inih is in it: inih asks for one line at a time, so the line of each call of
// the handler is the one handed out last.
struct Parse {
    std::string_view text;
    size_t at = 0;
    std::vector<std::string_view> lines;
    std::vector<bool> handled;
    std::vector<std::pair<size_t, std::string>> problems; // by line
    OrvaneSettings settings;

    void problem(std::string why) { problems.emplace_back(lines.size(), std::move(why)); }
};

char *readLine(char *str, int num, void *stream)
{
    Parse &p = *static_cast<Parse *>(stream);
    if (p.at >= p.text.size())
        return nullptr;
    const size_t end = std::min(p.text.find('\n', p.at), p.text.size());
    std::string_view line = p.text.substr(p.at, end - p.at);
    p.at = end + 1;
    if (p.lines.empty() && line.substr(0, 3) == "\xEF\xBB\xBF")
        line.remove_prefix(3);
    p.lines.push_back(line);
    p.handled.push_back(false);
    // inih's buffer holds num - 1 characters with the line break: a longer line would come in pieces.
    const bool tooLong = line.size() + 2 > static_cast<size_t>(num);
    if (tooLong || !validUtf8(line)) {
        p.problem(tooLong ? T_("行が長すぎます") : T_("UTF-8 の文字ではありません"));
        p.handled.back() = true;
        line = ";";
    }
    std::memcpy(str, line.data(), line.size());
    str[line.size()] = '\n';
    str[line.size() + 1] = '\0';
    return str;
}

int takeValue(void *user, const char *section, const char *name, const char *value)
{
    Parse &p = *static_cast<Parse *>(user);
    p.handled.back() = true;
    const int pc = pcOfSection(section);
    if (pc == 0)
        return 1; // its section's line says so
    const Key *key = keyNamed(name);
    if (!key) {
        p.problem(textWith(T_("「%1」は Orvane の知らないキーです"), {name}));
        return 1;
    }
    if (const std::string why = key->refusal(value); !why.empty()) {
        p.problem(why.substr(0, why.find(CrLf)));
        return 1;
    }
    p.settings.pcs[static_cast<size_t>(pc)].*(key->member) = value;
    return 1;
}

// Lines inih took no value from: blank, comments and sections are fine, anything else says why not.
void checkOtherLines(Parse &p)
{
    for (size_t i = 0; i < p.lines.size(); ++i) {
        if (p.handled[i])
            continue;
        const std::string_view line = trimmed(p.lines[i]);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() != '[') {
            p.problems.emplace_back(i + 1, T_("「=」がありません"));
        } else if (const size_t close = line.find(']'); close == std::string_view::npos) {
            p.problems.emplace_back(i + 1, T_("「]」がありません"));
        } else if (pcOfSection(trimmed(line.substr(1, close - 1))) == 0) {
            p.problems.emplace_back(
                i + 1, textWith(T_("[%1] は PC1 から PC5 のどれでもありません"), {trimmed(line.substr(1, close - 1))}));
        }
    }
    std::stable_sort(p.problems.begin(), p.problems.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
}

} // namespace

OrvaneSettings parseOrvaneSettings(std::string_view text)
{
    static std::once_flag configured;
    std::call_once(configured, [] {
        // A value is the whole rest of its line: a relay command may hold ";", and a line that
        // begins with blanks is a line of its own, as the writer sees it.
        ini_allow_inline_comments = false;
        ini_allow_multiline = false;
    });
    Parse p;
    if (text.find('\0') != std::string_view::npos) {
        p.settings.problems.push_back(textWith(T_("%1 はテキストのファイルではありません"), {OrvaneFileName}));
        return p.settings;
    }
    p.text = text;
    ini_parse_stream(readLine, &p, takeValue, &p);
    checkOtherLines(p);
    for (const auto &[line, why] : p.problems)
        p.settings.problems.push_back(textWith(T_("%1 の %2 行目: %3"), {OrvaneFileName, std::to_string(line), why}));
    return p.settings;
}

Result<std::string> readOrvaneText(const std::string &path)
{
    const Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd && errno == ENOENT)
        return {std::string(), {}};
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Result<std::string>::failure(
            textWith(T_("%1 を読み込めません: %2"),
                     {path, fd ? std::string(T_("普通のファイルではありません")) : systemError(errno)}));
    std::string bytes(OrvaneFileMaxBytes + 1, '\0');
    size_t got = 0;
    for (ssize_t n; got < bytes.size() && (n = ::read(fd.get(), bytes.data() + got, bytes.size() - got)) != 0;) {
        if (n < 0 && errno != EINTR)
            return Result<std::string>::failure(textWith(T_("%1 を読み込めません: %2"), {path, systemError(errno)}));
        got += static_cast<size_t>(std::max<ssize_t>(n, 0));
    }
    if (got > OrvaneFileMaxBytes)
        return Result<std::string>::failure(textWith(T_("%1 は大きすぎるので読みません（64 KiB まで）"), {path}));
    bytes.resize(got);
    return {bytes, {}};
}

OrvaneSettings readOrvaneSettings(const std::string &path)
{
    const Result<std::string> text = readOrvaneText(path);
    if (text)
        return parseOrvaneSettings(*text);
    OrvaneSettings none;
    none.problems.push_back(text.error);
    return none;
}

std::string orvaneProblemsText(const OrvaneSettings &settings)
{
    std::string text;
    for (const std::string &p : settings.problems)
        text += (text.empty() ? "" : CrLf) + p;
    return text.empty() ? text : text + CrLf + T_("これらの行は使わずに続けます。");
}

std::string orvaneSettingsText(std::string_view old, const OrvaneTable &pcs)
{
    const OrvaneTable before = parseOrvaneSettings(old).pcs;
    if (before == pcs)
        return std::string(old);
    const size_t firstBreak = old.find('\n');
    const std::string eol =
        firstBreak != std::string_view::npos && firstBreak > 0 && old[firstBreak - 1] == '\r' ? "\r\n" : "\n";
    std::string src(old);
    if (!src.empty() && src.back() != '\n')
        src += eol;
    const auto value = [&pcs](int pc, const Key &key) -> const std::string & {
        return pcs[static_cast<size_t>(pc)].*(key.member);
    };
    const auto changed = [&](int pc, const Key &key) {
        return before[static_cast<size_t>(pc)].*(key.member) != value(pc, key);
    };
    // "relay = nas"; a line break can't be in a value (its check refuses it), nor come out of one.
    const auto keyLine = [&](int pc, const Key &key) {
        std::string v = value(pc, key);
        std::replace_if(
            v.begin(), v.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        return std::string(key.name) + " = " + v + eol;
    };
    std::array<std::array<bool, std::size(Keys)>, LastPc + 1> done{}; // written, or not to be written
    std::string out;
    int pc = 0;
    size_t sectionEnd = 0; // where the section's missing keys go: after its last line that isn't a comment
    const auto closeSection = [&] {
        std::string added;
        for (size_t k = 0; pc != 0 && k < std::size(Keys); ++k) {
            if (!done[pc][k] && changed(pc, Keys[k]) && !value(pc, Keys[k]).empty())
                added += keyLine(pc, Keys[k]);
            done[pc][k] = true;
        }
        out.insert(sectionEnd, added);
    };
    for (size_t at = 0; at < src.size();) {
        const size_t end = src.find('\n', at) + 1;
        const std::string_view raw = std::string_view(src).substr(at, end - at);
        at = end;
        std::string_view line = trimmed(raw);
        if (out.empty() && line.substr(0, 3) == "\xEF\xBB\xBF")
            line = trimmed(line.substr(3));
        const bool comment = line.empty() || line.front() == ';' || line.front() == '#';
        if (!comment && line.front() == '[' && line.find(']') != std::string_view::npos) {
            closeSection();
            pc = pcOfSection(trimmed(line.substr(1, line.find(']') - 1)));
            out += raw;
            sectionEnd = out.size();
            continue;
        }
        const size_t equals = line.find_first_of("=:");
        const Key *key = pc == 0 || comment || equals == std::string_view::npos
                             ? nullptr
                             : keyNamed(trimmed(line.substr(0, equals)));
        if (key && changed(pc, *key)) {
            const size_t k = static_cast<size_t>(key - Keys);
            // A value emptied loses its line; a later line of the same key goes too.
            if (!done[pc][k] && !value(pc, *key).empty())
                out += keyLine(pc, *key);
            done[pc][k] = true;
        } else {
            out += raw;
        }
        if (!comment)
            sectionEnd = out.size();
    }
    closeSection();
    for (int n = FirstPc; n <= LastPc; ++n) {
        std::string added;
        for (size_t k = 0; k < std::size(Keys); ++k)
            if (!done[n][k] && changed(n, Keys[k]) && !value(n, Keys[k]).empty())
                added += keyLine(n, Keys[k]);
        if (!added.empty())
            out += (out.empty() ? "" : eol) + "[PC" + std::to_string(n) + "]" + eol + added;
    }
    return out;
}

bool writeOrvaneSettings(const std::string &path, const OrvaneTable &pcs, std::string *error)
{
    const Result<std::string> old = readOrvaneText(path);
    if (!old) {
        // What can't be read can't be kept: it stays as it is.
        if (error)
            *error = old.error;
        return false;
    }
    const std::string text = orvaneSettingsText(*old, pcs);
    if (text == *old)
        return true;
    if (const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600); fd >= 0)
        ::close(fd);
    return writeFileSafely(path, text, error);
}

std::string orvaneValueRefusal(std::string_view key, std::string_view value)
{
    const Key *k = keyNamed(key);
    return !k || value.empty() ? std::string() : k->refusal(value);
}

std::string orvaneFileIn(const std::string &folder)
{
    if (folder.empty())
        return OrvaneFileName;
    return folder + (folder.back() == '/' ? "" : "/") + OrvaneFileName;
}

} // namespace orvane
