#include "core/settings/SettingsStore.h"

#include "core/settings/SafeFile.h"
#include "core/settings/SettingsFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace orvane {

SettingsStore &settingsStore()
{
    static SettingsStore store;
    return store;
}

bool SettingsStore::SaveSettings(QString *error, QString *file)
{
    if (file)
        *file = QString::fromLatin1(SettingsFileName);
    if (!writeSettingsFile(QString::fromLatin1(SettingsFileName), SettingsEditTable, error))
        return false;
    if (file)
        *file = QString::fromLatin1(OrvaneFileName);
    const Result<std::string> old = readOrvaneText(OrvaneFileName);
    if (!old) {
        // What can't be read can't be kept: it stays as it is.
        if (error)
            *error = QString::fromStdString(old.error);
        return false;
    }
    const std::string text = orvaneSettingsText(*old, ExtrasEditTable);
    if (text == *old)
        return true;
    // A SecureOn password may come to live here: the file is its owner's alone from the start.
    if (const int fd = ::open(OrvaneFileName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600); fd >= 0)
        ::close(fd);
    return writeWholeFile(QString::fromLatin1(OrvaneFileName), QByteArray::fromStdString(text), error);
}

void SettingsStore::LoadSettings()
{
    readSettingsFile(QString::fromLatin1(SettingsFileName), SettingsTable);
    const OrvaneSettings extras = readOrvaneSettings(OrvaneFileName);
    ExtrasTable = extras.pcs;
    ExtrasProblems = QString::fromStdString(orvaneProblemsText(extras));
    emit loaded();
}

} // namespace orvane
