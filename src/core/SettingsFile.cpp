#include "core/SettingsFile.h"

#include "core/Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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
constexpr int TrailerMagicBytes = sizeof(TrailerMagic);
// 20 UTF-16 units take at most 60 bytes (3 per unit, 4 per surrogate pair).
constexpr int TrailerTextMaxBytes = 3 * FieldChars;
// 60 entries of at most 2 + 60 bytes, the magic and the end byte.
constexpr int TrailerMaxBytes = TrailerMagicBytes + RecordCount * (2 + TrailerTextMaxBytes) + 1;

// Nothing behind this can matter, so a huge file costs no more than this.
constexpr int FileMaxBytes = RecordAreaBytes + TrailerMaxBytes;

QByteArray trailerText(const QString &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text.at(i).unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
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

// The inverse of trailerText: shortest-form UTF-8 up to U+10FFFF, surrogates allowed in 3 bytes.
std::optional<QString> fromTrailerText(const QByteArray &bytes)
{
    QString out;
    qsizetype i = 0;
    auto next = [&](unsigned char low, unsigned char high) -> std::optional<char32_t> {
        if (i >= bytes.size())
            return std::nullopt;
        const auto b = static_cast<unsigned char>(bytes.at(i++));
        if (b < low || b > high)
            return std::nullopt;
        return b & 0x3F;
    };
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes.at(i++));
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
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(static_cast<char16_t>(cp));
        }
    }
    return out;
}

struct Record {
    QByteArray bytes; // always exactly 20
    bool exact;       // decoding bytes gives the field back unchanged
};

// Field is a fixed field (20 UTF-16 units).
Record encodeRecord(const QString &field)
{
    bool lossless = true;
    const QByteArray all = toCp932(field, &lossless);
    // Cut where the next character would pass byte 20; the converter's output is well-formed, so its
    // lead bytes tell the double-byte characters. Padding blanks that no longer fit behind
    // double-byte text are no loss: every reader pads again.
    qsizetype cut = 0;
    while (cut < all.size()) {
        const auto b = static_cast<unsigned char>(all.at(cut));
        const qsizetype width = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
        if (cut + width > RecordBytes)
            break;
        cut += width;
    }
    Record r{all.left(cut), lossless};
    r.bytes.append(RecordBytes - r.bytes.size(), ' ');
    // Catches cut text and the one-way mappings, which convert without complaint.
    if (r.exact && fixedField(fromCp932(r.bytes)) != field)
        r.exact = false;
    return r;
}

// 20 bytes never decode to more than 20 UTF-16 units, so nothing is cut here.
QString decodeRecord(const QByteArray &bytes)
{
    return fixedField(fromCp932(bytes));
}

// Reads the trailer's entries into grid where they match their records; ignores a bad trailer.
void applyTrailer(const QByteArray &bytes, SettingsGrid &grid)
{
    if (bytes.size() <= RecordAreaBytes + TrailerMagicBytes || bytes.size() > FileMaxBytes)
        return;
    if (bytes.mid(RecordAreaBytes, TrailerMagicBytes) != QByteArray(TrailerMagic, TrailerMagicBytes))
        return;
    struct Entry {
        int record;
        QString field;
    };
    QList<Entry> entries;
    qsizetype pos = RecordAreaBytes + TrailerMagicBytes;
    int lastRecord = 0;
    for (;;) {
        if (pos >= bytes.size())
            return; // no end byte
        const int record = static_cast<unsigned char>(bytes.at(pos));
        if (record == 0) {
            if (pos + 1 != bytes.size())
                return; // bytes after the end
            break;
        }
        if (record <= lastRecord || record > RecordCount || pos + 2 > bytes.size())
            return;
        const int length = static_cast<unsigned char>(bytes.at(pos + 1));
        if (length > TrailerTextMaxBytes || pos + 2 + length > bytes.size())
            return;
        const std::optional<QString> text = fromTrailerText(bytes.mid(pos + 2, length));
        if (!text || text->size() > FieldChars)
            return;
        entries.append({record, fixedField(*text)});
        lastRecord = record;
        pos += 2 + length;
    }
    for (const Entry &e : entries) {
        const QByteArray stored = bytes.mid(static_cast<qsizetype>(e.record - 1) * RecordBytes, RecordBytes);
        if (encodeRecord(e.field).bytes == stored)
            grid.at((e.record - 1) / SettingsColumns, (e.record - 1) % SettingsColumns) = e.field;
    }
}

// A load that can't read the file keeps every field, except that fields never loaded (20 NULs)
// become unset: NULs aren't blanks, so the rest of the program would take them for a name, a host
// and MAC bytes.
void keepAfterFailedRead(SettingsGrid &grid)
{
    const SettingsGrid neverLoaded;
    for (int row = 0; row < SettingsRows; ++row)
        for (int column = 0; column < SettingsColumns; ++column)
            if (grid.at(row, column) == neverLoaded.at(row, column))
                grid.set(row, column, QString());
}

} // namespace

QByteArray encodeSettings(const SettingsGrid &grid)
{
    QByteArray records;
    records.reserve(RecordAreaBytes);
    QByteArray trailer;
    for (int row = 0; row < SettingsRows; ++row) {
        for (int column = 0; column < SettingsColumns; ++column) {
            // A field is always 20 characters; anything else stored in the grid is made one.
            const QString field = fixedField(grid.at(row, column));
            const Record r = encodeRecord(field);
            records += r.bytes;
            if (!r.exact) {
                const QByteArray text = trailerText(fieldValue(field));
                trailer += static_cast<char>(recordNumber(row, column));
                trailer += static_cast<char>(text.size());
                trailer += text;
            }
        }
    }
    if (!trailer.isEmpty())
        records += QByteArray(TrailerMagic, TrailerMagicBytes) + trailer + '\0';
    return records;
}

void decodeSettings(const QByteArray &bytes, SettingsGrid &grid)
{
    for (int row = 0; row < SettingsRows; ++row) {
        for (int column = 0; column < SettingsColumns; ++column) {
            const qsizetype offset = static_cast<qsizetype>(recordNumber(row, column) - 1) * RecordBytes;
            QByteArray record = bytes.mid(offset, RecordBytes);
            // Beyond the end of a short file a record reads as blanks: an unset field.
            if (record.size() < RecordBytes)
                record.append(RecordBytes - record.size(), ' ');
            grid.at(row, column) = decodeRecord(record);
        }
    }
    applyTrailer(bytes, grid);
}

bool writeSettingsFile(const QString &path, const SettingsGrid &grid, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (!info.isFile())
            return fail(QStringLiteral("%1 is not a regular file").arg(path));
        // Honour the user's read-only mark even where the process could override it (root).
        // (WriteUser isn't a mode bit: it says whether this process may write, which root always may.)
        if (!(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)))
            return fail(QStringLiteral("%1 is read-only").arg(path));
        if (!info.isWritable())
            return fail(QStringLiteral("%1 is not writable").arg(path));
    }
    // The new file is written beside the old one and renamed over it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    const QByteArray bytes = encodeSettings(grid);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    // Qt counts a write that the disk cut short (disk full, file size limit) as complete; the size
    // of what really reached the file tells.
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0 || st.st_size != bytes.size()) {
        file.cancelWriting();
        return fail(QStringLiteral("%1: the disk took only part of the file").arg(path));
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

void readSettingsFile(const QString &path, SettingsGrid &grid)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO of that name can't hang the load; it is refused below anyway.
    int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        // A missing file is created empty on first load, as the program always did.
        const int created = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (created >= 0)
            ::close(created);
        decodeSettings(QByteArray(), grid);
        return;
    }
    if (fd < 0) {
        keepAfterFailedRead(grid);
        return;
    }
    QByteArray bytes;
    bool ok = false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // One byte more than can matter tells an over-long file from a full trailer.
        bytes.resize(FileMaxBytes + 1);
        qsizetype got = 0;
        ok = true;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ok = false;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
    }
    ::close(fd);
    if (ok)
        decodeSettings(bytes, grid);
    else
        keepAfterFailedRead(grid);
}

} // namespace orvane
