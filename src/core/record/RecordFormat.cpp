#include "core/record/RecordFormat.h"

#include "core/io/Fd.h"
#include "core/record/Cp932Codec.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvane {

// Layout. The first 1,200 bytes are the 60 records of 20 bytes each, exactly as the original
// program wrote them when every field is single-byte: such a file has no trailer and is read back
// byte for byte the same way. A field of 20 NUL characters (never loaded) is single-byte too.
//
// Every record is 20 bytes, whatever its field holds: the field's code page 932 bytes, cut on a
// character boundary (a double-byte character that would straddle byte 20 is left out), padded
// with blanks. Double-byte text of up to 20 bytes (ten kanji) therefore fits its record whole; only
// the padding blanks behind it, which every reader restores, don't. That keeps the record layout
// intact for every other reader, the original program included.
//
// Some fields can't be read back from their record alone: double-byte text longer than 20 bytes;
// characters that code page 932 maps one way only (U+301C and U+FF5E both become 0x8160, U+00A5
// becomes 0x5C); and characters that code page 932 can't hold at all (emoji, most accented Latin
// letters, lone surrogates), which become '?' per UTF-16 unit in the record, as Windows substitutes
// them. Such a field's exact text follows after byte 1,200 in a trailer, so nothing typed is lost:
//
//   "ORVANE" 0x00 0x01, then per field in record order: record number (1 byte), length n (1 byte),
//   n bytes of the field's text without trailing blanks in UTF-8 (a lone surrogate, which UTF-8
//   can't express, in its 3-byte form so that it too comes back); then a 0x00 byte.
//
// A trailer entry is only used when its text still produces the record in front of it, so a record
// changed by another tool wins over a stale trailer; a malformed trailer is ignored whole.

namespace {

constexpr char TrailerMagic[] = {'O', 'R', 'V', 'A', 'N', 'E', '\0', '\1'};
constexpr std::size_t TrailerMagicBytes = sizeof(TrailerMagic);
// 20 UTF-16 units take at most 60 bytes (3 per unit, 4 per surrogate pair).
constexpr std::size_t TrailerTextMaxBytes = 3 * FieldChars;
// 60 entries of at most 2 + 60 bytes, the magic and the end byte.
constexpr std::size_t TrailerMaxBytes = TrailerMagicBytes + RecordCount * (2 + TrailerTextMaxBytes) + 1;

// Nothing behind this can matter, so a huge file costs no more than this.
constexpr std::size_t FileMaxBytes = RecordAreaBytes + TrailerMaxBytes;

// The inverse of trailerText: shortest-form UTF-8 up to U+10FFFF, surrogates allowed in 3 bytes.
std::optional<std::u16string> fromTrailerText(std::string_view bytes)
{
    std::u16string out;
    std::size_t i = 0;
    auto next = [&](unsigned char low, unsigned char high) -> std::optional<char32_t> {
        if (i >= bytes.size())
            return std::nullopt;
        const auto b = static_cast<unsigned char>(bytes[i++]);
        if (b < low || b > high)
            return std::nullopt;
        return b & 0x3F;
    };
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i++]);
        std::optional<char32_t> c1, c2, c3;
        char32_t cp = 0;
        if (b0 < 0x80) {
            cp = b0;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            if (!(c1 = next(0x80, 0xBF)))
                return std::nullopt;
            cp = ((b0 & 0x1Fu) << 6) | *c1;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            if (!(c1 = next(b0 == 0xE0 ? 0xA0 : 0x80, 0xBF)) || !(c2 = next(0x80, 0xBF)))
                return std::nullopt;
            cp = ((b0 & 0x0Fu) << 12) | (*c1 << 6) | *c2;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            if (!(c1 = next(b0 == 0xF0 ? 0x90 : 0x80, b0 == 0xF4 ? 0x8F : 0xBF)) || !(c2 = next(0x80, 0xBF)) ||
                !(c3 = next(0x80, 0xBF)))
                return std::nullopt;
            cp = ((b0 & 0x07u) << 18) | (*c1 << 12) | (*c2 << 6) | *c3;
        } else {
            return std::nullopt;
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// 20 bytes never decode to more than 20 UTF-16 units, so nothing is cut here.
std::u16string decodeRecord(std::string_view bytes)
{
    return fixedField(decodeCp932(bytes));
}

struct Record {
    std::string bytes; // always exactly 20
    bool exact;        // decoding bytes gives the field back unchanged
};

// Field is a fixed field (20 UTF-16 units).
Record encodeRecord(std::u16string_view field)
{
    bool lossless = true;
    const std::string all = encodeCp932(field, &lossless);
    // Cut where the next character would pass byte 20; the converter's output is well-formed, so its
    // lead bytes tell the double-byte characters. Padding blanks that no longer fit behind
    // double-byte text are no loss: every reader pads again.
    std::size_t cut = 0;
    while (cut < all.size()) {
        const auto b = static_cast<unsigned char>(all[cut]);
        const std::size_t width = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
        if (cut + width > RecordBytes)
            break;
        cut += width;
    }
    Record r{all.substr(0, cut), lossless};
    r.bytes.resize(RecordBytes, ' ');
    // Catches cut text and the one-way mappings, which convert without complaint.
    if (r.exact && decodeRecord(r.bytes) != field)
        r.exact = false;
    return r;
}

// Reads the trailer's entries into fields where they match their records; ignores a bad trailer.
void applyTrailer(std::string_view bytes, RecordFields &fields)
{
    if (bytes.size() <= RecordAreaBytes + TrailerMagicBytes || bytes.size() > FileMaxBytes)
        return;
    if (bytes.substr(RecordAreaBytes, TrailerMagicBytes) != std::string_view(TrailerMagic, TrailerMagicBytes))
        return;
    struct Entry {
        std::size_t record;
        std::u16string field;
    };
    std::vector<Entry> entries;
    std::size_t pos = RecordAreaBytes + TrailerMagicBytes;
    std::size_t lastRecord = 0;
    for (;;) {
        if (pos >= bytes.size())
            return; // no end byte
        const std::size_t record = static_cast<unsigned char>(bytes[pos]);
        if (record == 0) {
            if (pos + 1 != bytes.size())
                return; // bytes after the end
            break;
        }
        if (record <= lastRecord || record > RecordCount || pos + 2 > bytes.size())
            return;
        const std::size_t length = static_cast<unsigned char>(bytes[pos + 1]);
        if (length > TrailerTextMaxBytes || pos + 2 + length > bytes.size())
            return;
        const std::optional<std::u16string> text = fromTrailerText(bytes.substr(pos + 2, length));
        if (!text || text->size() > FieldChars)
            return;
        entries.push_back({record, fixedField(*text)});
        lastRecord = record;
        pos += 2 + length;
    }
    for (const Entry &e : entries) {
        const std::string_view stored = bytes.substr((e.record - 1) * RecordBytes, RecordBytes);
        if (encodeRecord(e.field).bytes == stored)
            fields[e.record - 1] = e.field;
    }
}

} // namespace

std::u16string fixedField(std::u16string_view text)
{
    std::u16string field(text.substr(0, FieldChars));
    // A cut through a surrogate pair would leave half a character that no encoding can hold.
    if (text.size() > FieldChars && isHighSurrogate(field.back()))
        field.pop_back();
    field.resize(FieldChars, u' ');
    return field;
}

std::u16string_view fieldValue(std::u16string_view field)
{
    std::size_t end = field.size();
    while (end > 0 && field[end - 1] == u' ')
        --end;
    return field.substr(0, end);
}

std::string trailerText(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (isHighSurrogate(cp) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
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
    return out;
}

std::string encodeRecordFile(const RecordFields &fields)
{
    std::string records;
    records.reserve(RecordAreaBytes);
    std::string trailer;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        // A field is always 20 units; anything else handed in is made one.
        const std::u16string field = fixedField(fields[k]);
        const Record r = encodeRecord(field);
        records += r.bytes;
        if (!r.exact) {
            const std::string text = trailerText(fieldValue(field));
            trailer += static_cast<char>(k + 1);
            trailer += static_cast<char>(text.size());
            trailer += text;
        }
    }
    if (!trailer.empty()) {
        records.append(TrailerMagic, TrailerMagicBytes);
        records += trailer;
        records += '\0';
    }
    return records;
}

RecordFields decodeRecordFile(std::string_view bytes)
{
    RecordFields fields;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::size_t offset = k * RecordBytes;
        std::string record(offset < bytes.size() ? bytes.substr(offset, RecordBytes) : std::string_view());
        // Beyond the end of a short file a record reads as blanks: an unset field.
        record.resize(RecordBytes, ' ');
        fields[k] = decodeRecord(record);
    }
    applyTrailer(bytes, fields);
    return fields;
}

RecordFileRead readRecordFile(const char *path, std::string &bytes)
{
    bytes.clear();
    // Non-blocking, so that a FIFO of that name can't hang the read; it is refused below anyway.
    const Fd file(::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    const int fd = file.get();
    if (!file)
        return errno == ENOENT ? RecordFileRead::Missing : RecordFileRead::Failed;
    bool ok = false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // One byte more than can matter tells an over-long file from a full trailer.
        bytes.resize(FileMaxBytes + 1);
        std::size_t got = 0;
        ok = true;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ok = false;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(ok ? got : 0);
    }
    return ok ? RecordFileRead::Done : RecordFileRead::Failed;
}

} // namespace orvane
