#include "app/SettingsModule.h"

#include "app/Forms.h"
#include "common/QzCmn14.h"
#include "core/SettingsFile.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"

#include <QCoreApplication>

namespace orvane {

SettingsGrid SettingsTable;
SettingsGrid SettingsEditTable;

QzCmn14 &settingsCommon()
{
    static QzCmn14 common;
    return common;
}

bool SaveSettings()
{
    return writeSettingsFile(QString::fromLatin1(SettingsFileName), SettingsEditTable);
}

void LoadSettings()
{
    readSettingsFile(QString::fromLatin1(SettingsFileName), SettingsTable);
    // The first touch of the dialog loads it, and its load runs this function once more, nested.
    if (Settings *dialog = forms().settings())
        dialog->showSettings(SettingsTable);
    if (MainF *main = forms().mainF())
        main->showSettings(SettingsTable);
}

void UnloadAllForms()
{
    Forms &f = forms();
    f.unloadMainF();
    f.unloadSettings();
    f.unloadAboutF();
    f.unloadDialog();
    // Nothing is left to keep the program alive.
    QCoreApplication::quit();
}

} // namespace orvane
