// Fuzzes the settings file: the loader on any bytes, and save-then-load of tables made from them.
#include "core/settings/SettingsFile.h"
#include "core/wake/PlainSettings.h"

#include "FuzzRequire.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace orvane;

namespace {

bool singleByteCode(unsigned char b)
{
    return b < 0x80 || (b >= 0xA1 && b <= 0xDF);
}

// A table from the input: per field a length byte (0xFF: the never-loaded 20 NULs), then units,
// one byte for ASCII, two more for any other UTF-16 unit, so that both kinds come up often.
SettingsGrid gridFrom(const uint8_t *data, size_t size)
{
    SettingsGrid g;
    size_t pos = 0;
    for (int k = 0; k < RecordCount && pos < size; ++k) {
        const uint8_t length = data[pos++];
        if (length == 0xFF)
            continue;
        QString text;
        for (int i = 0; i < length % 26 && pos < size; ++i) {
            const uint8_t b = data[pos++];
            if (b < 0x80 || pos + 1 >= size) {
                text += QChar(b);
            } else {
                text += QChar(static_cast<char16_t>(data[pos] << 8 | data[pos + 1]));
                pos += 2;
            }
        }
        g.set(k / SettingsColumns, k % SettingsColumns, text);
    }
    return g;
}

const QString &scratchFile()
{
    static const QString path = [] {
        char dir[] = "/tmp/orvane-fuzz-XXXXXX";
        require(::mkdtemp(dir) != nullptr, "scratch folder");
        static const QString folder = QString::fromLocal8Bit(dir);
        std::atexit([] { QDir(folder).removeRecursively(); });
        return folder + QStringLiteral("/System.ini");
    }();
    return path;
}

// Loads any bytes and checks what a load must give; returns the table.
SettingsGrid checkLoad(const QByteArray &bytes)
{
    SettingsGrid loaded;
    decodeSettings(bytes, loaded);
    for (int k = 0; k < RecordCount; ++k)
        require(loaded.at(k / SettingsColumns, k % SettingsColumns).size() == FieldChars, "field of 20 units");
    // The command-line tool reads the same values, as Qt gives them in UTF-8.
    const SettingsValues plain = decodeSettingsValues(std::string_view(bytes.constData(), bytes.size()));
    for (int k = 0; k < RecordCount; ++k)
        require(plain[k / SettingsColumns][k % SettingsColumns] ==
                    loaded.value(k / SettingsColumns, k % SettingsColumns).toStdString(),
                "the tool reads what the program reads");
    // What was loaded saves and loads back unchanged, and saves to the same bytes again.
    const QByteArray saved = encodeSettings(loaded);
    require(saved.size() >= RecordAreaBytes, "1,200 record bytes");
    SettingsGrid again;
    decodeSettings(saved, again);
    require(again == loaded, "load, save, load");
    require(encodeSettings(again) == saved, "saving twice gives the same bytes");
    // A record of single-byte codes is saved back byte for byte, trailer or not.
    for (int k = 0; k < RecordCount; ++k) {
        const QByteArray record = bytes.mid(k * RecordBytes, RecordBytes);
        if (record.size() == RecordBytes &&
            std::all_of(record.begin(), record.end(), [](char c) { return singleByteCode(c); }))
            require(saved.mid(k * RecordBytes, RecordBytes) == record, "single-byte record kept");
    }
    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The input as a file: the file reader agrees with the byte decoder.
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const SettingsGrid loaded = checkLoad(bytes);
    {
        QFile file(scratchFile());
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
                "scratch write");
    }
    SettingsGrid read;
    readSettingsFile(scratchFile(), read);
    require(read == loaded, "file reader equals byte decoder");

    // The input as a table: any table saves and loads back exactly; single-byte tables need no trailer.
    const SettingsGrid grid = gridFrom(data, size);
    const QByteArray encoded = encodeSettings(grid);
    SettingsGrid decoded;
    decodeSettings(encoded, decoded);
    require(decoded == grid, "save then load is exact");
    bool ascii = true;
    for (int k = 0; k < RecordCount; ++k)
        for (QChar ch : grid.at(k / SettingsColumns, k % SettingsColumns))
            ascii = ascii && ch.unicode() < 0x80;
    if (ascii)
        require(encoded.size() == RecordAreaBytes, "single-byte table is 1,200 bytes");

    // That file damaged by another tool: the last input bytes overwrite a few of its bytes, so that
    // records and trailers that are nearly right come up even from short inputs.
    QByteArray damaged = encoded;
    for (size_t i = 0; i + 3 <= size && i < 12; i += 3) {
        const size_t at = (data[size - 1 - i] << 8 | data[size - 2 - i]) % (damaged.size() + 1);
        if (at == static_cast<size_t>(damaged.size()))
            damaged.chop(1 + data[size - 3 - i] % 8);
        else
            damaged[static_cast<qsizetype>(at)] = static_cast<char>(data[size - 3 - i]);
    }
    checkLoad(damaged);
    return 0;
}
