#include "core/settings/SettingsStore.h"

#include "core/settings/SettingsFile.h"

namespace orvane {

SettingsStore &settingsStore()
{
    static SettingsStore store;
    return store;
}

bool SettingsStore::SaveSettings(QString *error)
{
    return writeSettingsFile(QString::fromLatin1(SettingsFileName), SettingsEditTable, error);
}

void SettingsStore::LoadSettings()
{
    readSettingsFile(QString::fromLatin1(SettingsFileName), SettingsTable);
    emit loaded();
}

} // namespace orvane
