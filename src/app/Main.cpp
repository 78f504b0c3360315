#include "app/Main.h"

#include "app/Forms.h"
#include "app/SettingsModule.h"
#include "common/QzCmn14.h"
#include "ui/main/Looks.h"

#include <QApplication>

namespace orvane {

int Main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setDesktopFileName(QStringLiteral("orvane"));
    // A tray program lives on with every window hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(uiFont());
    QApplication::setWindowIcon(programIcon());

    settingsCommon();
    Forms forms;
    forms.mainF();
    return app.exec();
}

} // namespace orvane
