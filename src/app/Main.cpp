#include "app/Main.h"

#include "app/Forms.h"
#include "app/SettingsModule.h"
#include "common/QzCmn14.h"

#include <QApplication>

namespace orvane {

int Main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    // A tray program lives on with every window hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    settingsCommon();
    Forms forms;
    forms.mainF();
    return app.exec();
}

} // namespace orvane
