#include "core/SettingsFile.h"

#include "core/Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace orvane {

// Layout. The first 1,200 bytes are the 60 records of 20 bytes each, exactly as the original
// program wrote them when every field is single-byte: such a file has no trailer and is read back
// byte for byte the same way.
//
// A field whose code page 932 form isn't exactly its 20 characters (double-byte characters make it
// longer than 20 bytes; characters that code page 932 can't hold, such as emoji or most accented
// Latin letters, become '?') still gets a 20-byte record: its bytes cut on a character boundary,
// unmappable characters as '?', padded with blanks. That keeps the record layout intact for every
// other reader. Its exact text then follows after byte 1,200 in a trailer:
//
//   "ORVANE" 0x00 0x01, then per field: record number (1 byte), length n (1 byte), n bytes of the
//   field's UTF-8 text without trailing blanks; then a 0x00 byte.
//
// A trailer entry is only used when its text still produces the record in front of it, so a record
// changed by another tool wins over a stale trailer; a malformed trailer is ignored whole.

namespace {

constexpr char TrailerMagic[] = {'O', 'R', 'V', 'A', 'N', 'E', '\0', '\1'};
constexpr int TrailerMagicBytes = sizeof(TrailerMagic);
// 60 entries of at most 2 + 60 bytes (20 UTF-16 units take at most 60 UTF-8 bytes), the magic, the end.
constexpr int TrailerMaxBytes = TrailerMagicBytes + RecordCount * (2 + 60) + 1;

struct Record {
    QByteArray bytes; // always exactly 20
    bool exact;       // decoding bytes gives the field back unchanged
};

Record encodeRecord(const QString &field)
{
    Record r{QByteArray(), true};
    r.bytes.reserve(RecordBytes);
    for (QChar ch : field) {
        bool lossless = true;
        const QByteArray b = toCp932(QString(ch), &lossless);
        if (!lossless)
            r.exact = false;
        if (r.bytes.size() + b.size() > RecordBytes) {
            r.exact = false;
            break;
        }
        r.bytes += b;
    }
    if (r.bytes.size() < RecordBytes)
        r.bytes.append(RecordBytes - r.bytes.size(), ' ');
    // A field that isn't blank-padded (the NUL fields before the first load) also needs its text.
    if (r.exact && fixedField(fromCp932(r.bytes)) != field)
        r.exact = false;
    return r;
}

QString decodeRecord(const QByteArray &bytes) { return fixedField(fromCp932(bytes)); }

// Reads the trailer's entries into grid where they match their records; ignores a bad trailer.
void applyTrailer(const QByteArray &bytes, SettingsGrid &grid)
{
    if (bytes.size() <= RecordAreaBytes + TrailerMagicBytes || bytes.size() > RecordAreaBytes + TrailerMaxBytes)
        return;
    if (bytes.mid(RecordAreaBytes, TrailerMagicBytes) != QByteArray(TrailerMagic, TrailerMagicBytes))
        return;
    struct Entry {
        int record;
        QString text;
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
        if (pos + 2 + length > bytes.size())
            return;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes.mid(pos + 2, length));
        if (utf8.hasError() || text.size() > FieldChars)
            return;
        entries.append({record, text});
        lastRecord = record;
        pos += 2 + length;
    }
    for (const Entry &e : entries) {
        const int row = (e.record - 1) / SettingsColumns;
        const int column = (e.record - 1) % SettingsColumns;
        const QString field = fixedField(e.text);
        const QByteArray stored = bytes.mid((e.record - 1) * RecordBytes, RecordBytes);
        if (stored.size() == RecordBytes && encodeRecord(field).bytes == stored)
            grid.at(row, column) = field;
    }
}

} // namespace

QByteArray encodeSettings(const SettingsGrid &grid)
{
    QByteArray records;
    records.reserve(RecordAreaBytes);
    QByteArray trailer;
    for (int row = 0; row < SettingsRows; ++row) {
        for (int column = 0; column < SettingsColumns; ++column) {
            const QString &field = grid.at(row, column);
            const Record r = encodeRecord(field);
            records += r.bytes;
            if (!r.exact) {
                const QByteArray text = fieldValue(field).toUtf8();
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
        if (!(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup |
                                    QFileDevice::WriteOther)))
            return fail(QStringLiteral("%1 is read-only").arg(path));
        if (!info.isWritable())
            return fail(QStringLiteral("%1 is not writable").arg(path));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    const QByteArray bytes = encodeSettings(grid);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

void readSettingsFile(const QString &path, SettingsGrid &grid)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        // A missing file is created empty on first load, as the program always did.
        QFile create(path);
        if (create.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            create.close();
        decodeSettings(QByteArray(), grid);
        return;
    }
    // Never open a FIFO or a device: it could block or never end.
    if (!info.isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Nothing past the largest possible trailer can matter; a huge file costs no more than this.
    const QByteArray bytes = file.read(RecordAreaBytes + TrailerMaxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return;
    decodeSettings(bytes, grid);
}

} // namespace orvane
