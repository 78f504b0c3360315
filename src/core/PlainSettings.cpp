#include "core/PlainSettings.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace orvane {

namespace {

// The record file's layout (see SettingsFile.cpp): 60 records of 20 bytes in code page 932, then
// an optional trailer "ORVANE" 0x00 0x01, entries (record, length, UTF-8 text), 0x00.
constexpr std::size_t Rows = 6;
constexpr std::size_t Columns = 10;
constexpr std::size_t Record = 20;
constexpr std::size_t Records = Rows * Columns;
constexpr std::size_t RecordArea = Record * Records;
constexpr char Magic[] = {'O', 'R', 'V', 'A', 'N', 'E', '\0', '\1'};
constexpr std::size_t MagicBytes = sizeof Magic;
constexpr std::size_t TrailerMax = MagicBytes + Records * (2 + 60) + 1;
constexpr int FieldUnits = 20; // UTF-16 units per field

class Iconv {
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    // Converts all of `in`; false when some of it can't be converted.
    bool convert(std::string_view in, std::string &out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.assign(in.size() * 4 + 8, '\0');
        char *src = const_cast<char *>(in.data());
        size_t srcLeft = in.size();
        char *dst = out.data();
        size_t dstLeft = out.size();
        const bool ok = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0;
        out.resize(out.size() - dstLeft);
        return ok;
    }

private:
    iconv_t m_cd;
};

// Opened on first need only: a file of plain ASCII never pays for the converter modules.
Iconv &decoder()
{
    static Iconv c("UTF-8", "CP932");
    return c;
}

Iconv &encoder()
{
    static Iconv c("CP932", "UTF-8");
    return c;
}

const std::string Replacement = "\xEF\xBF\xBD";

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Strict UTF-8 to code points; nullopt for anything malformed.
std::optional<std::vector<char32_t>> codePoints(std::string_view s)
{
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        int extra;
        char32_t cp;
        if (b < 0x80) {
            extra = 0;
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<size_t>(extra) >= s.size())
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string trimTrailingBlanks(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// One record's bytes as text: invalid bytes each become U+FFFD.
std::string decodeRecord(std::string_view bytes)
{
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
    if (ascii)
        return std::string(bytes);
    std::string out;
    Iconv &c = decoder();
    size_t pos = 0;
    while (pos < bytes.size()) {
        // Grow the piece that converts cleanly, one character (one or two bytes) at a time.
        const unsigned char b = static_cast<unsigned char>(bytes[pos]);
        std::string piece;
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++pos;
            continue;
        }
        if (c.valid() && c.convert(bytes.substr(pos, 1), piece)) {
            out += piece;
            ++pos;
        } else if (c.valid() && pos + 1 < bytes.size() && c.convert(bytes.substr(pos, 2), piece)) {
            out += piece;
            pos += 2;
        } else {
            out += Replacement;
            ++pos;
        }
    }
    return out;
}

// The 20 record bytes that a field of this text is stored as, as SettingsFile writes them.
std::string encodeRecord(const std::vector<char32_t> &text)
{
    char bytes[Record];
    size_t used = 0;
    Iconv &c = encoder();
    const auto add = [&](std::string_view b) {
        if (used + b.size() > Record)
            return false;
        std::memcpy(bytes + used, b.data(), b.size());
        used += b.size();
        return true;
    };
    std::string one, out;
    for (char32_t cp : text) {
        if (cp >= 0x10000) {
            // Each half of a surrogate pair is a character code page 932 can't hold.
            if (!add("?") || !add("?"))
                break;
            continue;
        }
        one.clear();
        appendUtf8(one, cp);
        const bool mapped = cp < 0x80 || (c.valid() && c.convert(one, out));
        if (!add(cp < 0x80 ? std::string_view(one) : mapped ? std::string_view(out) : std::string_view("?")))
            break;
    }
    // The field's padding blanks, or the blanks after a cut.
    std::memset(bytes + used, ' ', Record - used);
    return std::string(bytes, Record);
}

size_t utf16Units(const std::vector<char32_t> &text)
{
    size_t n = 0;
    for (char32_t cp : text)
        n += cp >= 0x10000 ? 2 : 1;
    return n;
}

void applyTrailer(std::string_view bytes, SettingsValues &values)
{
    if (bytes.size() <= RecordArea + MagicBytes || bytes.size() > RecordArea + TrailerMax)
        return;
    if (bytes.substr(RecordArea, MagicBytes) != std::string_view(Magic, MagicBytes))
        return;
    struct Entry {
        size_t record;
        std::vector<char32_t> text;
        std::string utf8;
    };
    std::vector<Entry> entries;
    size_t pos = RecordArea + MagicBytes;
    size_t lastRecord = 0;
    for (;;) {
        if (pos >= bytes.size())
            return;
        const size_t record = static_cast<unsigned char>(bytes[pos]);
        if (record == 0) {
            if (pos + 1 != bytes.size())
                return;
            break;
        }
        if (record <= lastRecord || record > Records || pos + 2 > bytes.size())
            return;
        const size_t length = static_cast<unsigned char>(bytes[pos + 1]);
        if (pos + 2 + length > bytes.size())
            return;
        const std::string_view utf8 = bytes.substr(pos + 2, length);
        std::optional<std::vector<char32_t>> text = codePoints(utf8);
        if (!text || utf16Units(*text) > static_cast<size_t>(FieldUnits))
            return;
        entries.push_back({record, std::move(*text), std::string(utf8)});
        lastRecord = record;
        pos += 2 + length;
    }
    for (const Entry &e : entries) {
        const std::string_view stored = bytes.substr((e.record - 1) * Record, Record);
        if (encodeRecord(e.text) == stored)
            values[(e.record - 1) / Columns][(e.record - 1) % Columns] = trimTrailingBlanks(e.utf8);
    }
}

} // namespace

std::size_t settingsBytesToRead()
{
    return RecordArea + TrailerMax + 1;
}

SettingsValues decodeSettingsValues(std::string_view bytes)
{
    SettingsValues values;
    for (size_t r = 0; r < Rows; ++r) {
        for (size_t c = 0; c < Columns; ++c) {
            const size_t offset = (r * Columns + c) * Record;
            std::string record(offset < bytes.size() ? bytes.substr(offset, Record) : std::string_view());
            // Beyond the end of a short file a record reads as blanks: an unset field.
            record.resize(Record, ' ');
            values[r][c] = trimTrailingBlanks(decodeRecord(record));
        }
    }
    applyTrailer(bytes, values);
    return values;
}

WakeSettings wakeSettingsOf(const SettingsValues &values, int pc)
{
    WakeSettings s;
    s.pc = pc;
    s.port = values[0][0];
    s.count = values[0][1];
    if (pc < FirstPc || pc > LastPc)
        return s;
    const auto &row = values[static_cast<size_t>(pc)];
    s.name = row[0];
    s.host = row[1];
    for (size_t i = 0; i < MacBytes; ++i)
        s.mac[i] = row[2 + i];
    return s;
}

} // namespace orvane
