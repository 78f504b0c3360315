#pragma once

#include "core/settings/SettingsGrid.h"

#include <QObject>

namespace orvane {

// The settings module: the settings in force, the settings dialog's edit buffer and "System.ini" in
// the current directory. The windows read and write the tables; start-up puts every load on show.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    // The settings in force; only LoadSettings writes it.
    SettingsGrid SettingsTable;
    // The settings dialog's edit buffer; only its update command writes it, only SaveSettings reads it.
    SettingsGrid SettingsEditTable;

    // Writes SettingsEditTable to "System.ini"; false when that failed (error, if given, says why), and
    // the file is then exactly what it was.
    bool SaveSettings(QString *error = nullptr);
    // Reads "System.ini" into SettingsTable, then announces it so that the windows show it.
    void LoadSettings();

signals:
    // The display half of LoadSettings: the windows show SettingsTable. It may run a nested
    // LoadSettings (the first touch of the settings dialog loads it, and its load reads the file).
    void loaded();
};

// The program's settings store; it lives for the whole run.
SettingsStore &settingsStore();

} // namespace orvane
