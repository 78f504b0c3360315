#pragma once

#include "core/settings/SettingsGrid.h"
#include "core/wake/OrvaneSettings.h"

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
    // Orvane.ini's settings in force and the dialog's edits of them, as the two tables above.
    OrvaneTable ExtrasTable{};
    OrvaneTable ExtrasEditTable{};
    // What the latest load left out of Orvane.ini, for the user; empty when nothing.
    QString ExtrasProblems;

    // Writes SettingsEditTable to "System.ini", then ExtrasEditTable into "Orvane.ini" where it differs
    // from what that file says (never creating one for nothing); false when a write failed (error and
    // file, if given, say why and which), and that file is then exactly what it was.
    bool SaveSettings(QString *error = nullptr, QString *file = nullptr);
    // Reads "System.ini" into SettingsTable and "Orvane.ini" into ExtrasTable, then announces it so
    // that the windows show it.
    void LoadSettings();

signals:
    // The display half of LoadSettings: the windows show SettingsTable. It may run a nested
    // LoadSettings (the first touch of the settings dialog loads it, and its load reads the file).
    void loaded();
};

// The program's settings store; it lives for the whole run.
SettingsStore &settingsStore();

} // namespace orvane
