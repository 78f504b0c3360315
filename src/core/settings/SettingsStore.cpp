#include "core/settings/SettingsStore.h"

#include "core/settings/SettingsFile.h"

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
    std::string why;
    if (writeOrvaneSettings(OrvaneFileName, ExtrasEditTable, &why))
        return true;
    if (error)
        *error = QString::fromStdString(why);
    return false;
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
