#include "core/settings/SettingsFile.h"

#include "core/io/Fd.h"
#include "core/settings/SafeFile.h"

#include <QFile>

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace orvane {

namespace {

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
    RecordFields fields;
    for (int row = 0; row < SettingsRows; ++row)
        for (int column = 0; column < SettingsColumns; ++column)
            fields[static_cast<size_t>(recordNumber(row, column) - 1)] = utf16View(grid.at(row, column));
    const std::string bytes = encodeRecordFile(fields);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void decodeSettings(const QByteArray &bytes, SettingsGrid &grid)
{
    const RecordFields fields =
        decodeRecordFile(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    for (int row = 0; row < SettingsRows; ++row)
        for (int column = 0; column < SettingsColumns; ++column)
            grid.at(row, column) = qStringOf(fields[static_cast<size_t>(recordNumber(row, column) - 1)]);
}

bool writeSettingsFile(const QString &path, const SettingsGrid &grid, QString *error)
{
    return writeWholeFile(path, encodeSettings(grid), error);
}

void readSettingsFile(const QString &path, SettingsGrid &grid)
{
    const QByteArray name = QFile::encodeName(path);
    std::string bytes;
    switch (readRecordFile(name.constData(), bytes)) {
    case RecordFileRead::Missing: {
        // A missing file is created empty on first load, as the program always did.
        Fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666));
        decodeSettings(QByteArray(), grid);
        return;
    }
    case RecordFileRead::Failed:
        keepAfterFailedRead(grid);
        return;
    case RecordFileRead::Done:
        break;
    }
    decodeSettings(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())), grid);
}

} // namespace orvane
