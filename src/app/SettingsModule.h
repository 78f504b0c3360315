#pragma once

#include "core/FixedField.h"

namespace orvane {

class QzCmn14;

// The settings in force; only LoadSettings writes it.
extern SettingsGrid SettingsTable;
// The settings dialog's edit buffer; only its update command writes it, only SaveSettings reads it.
extern SettingsGrid SettingsEditTable;

// The settings module's own common services object, created by Main and kept for the whole run.
QzCmn14 &settingsCommon();

// Writes SettingsEditTable to "System.ini" in the current directory; false when that failed, in
// which case the file is exactly what it was.
bool SaveSettings();

// Reads "System.ini" into SettingsTable, then shows it on the main window and the settings dialog
// (touching the dialog loads it hidden, which runs a nested LoadSettings first).
void LoadSettings();

// Unloads the main window, the settings dialog, the about box and the notice, in that order; the
// program ends when no window is left.
void UnloadAllForms();

} // namespace orvane
