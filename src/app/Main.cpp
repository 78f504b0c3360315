#include "app/Main.h"

#include "app/Forms.h"
#include "app/SingleInstance.h"
#include "core/io/Threads.h"
#include "core/record/Language.h"
#include "core/services/UiText.h"
#include "platform/QzCmn14.h"
#include "ui/Looks.h"
#include "ui/main/MainF.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace orvane {

QzCmn14 &settingsCommon()
{
    static QzCmn14 common;
    return common;
}

QList<QTranslator *> installQtTranslations()
{
    // The windows' texts in the user's language, and Qt's own (its menus, its buttons) in the same
    // one: Japanese, the texts' own, needs only Qt's.
    const QString language = QString::fromStdString(uiLanguage());
    QList<QTranslator *> installed;
    const auto install = [&installed](const QString &file, const QString &folder = QString()) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(file, folder) && QCoreApplication::installTranslator(translator))
            installed << translator;
        else
            delete translator;
    };
    if (language != QLatin1String(SourceLanguage))
        install(QStringLiteral(":/i18n/orvane_%1.qm").arg(language));
    install(QStringLiteral("qtbase_%1").arg(language), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return installed;
}

namespace {
// On a Wayland session Orvane runs through XWayland when there is an X server: there its menus open
// at the icon, its windows centre and the window services work. With no X server (or one that doesn't
// answer), on Wayland itself. The user's own choice of platform stands. True when chosen here.
bool chooseWindowSystem()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    QByteArray platforms;
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        platforms = "xcb";
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        platforms += platforms.isEmpty() ? "wayland" : ";wayland";
    if (platforms.isEmpty())
        return false;
    qputenv("QT_QPA_PLATFORM", platforms);
    return true;
}
} // namespace

int Main(int argc, char **argv)
{
    const bool chosen = chooseWindowSystem();
    QApplication app(argc, argv);
    // Programs started from here (a browser, a file manager) choose for themselves.
    if (chosen)
        qunsetenv("QT_QPA_PLATFORM");
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setDesktopFileName(QStringLiteral("orvane"));

    installQtTranslations();
    // Before any settings or icon: a second Orvane would show a second icon and wake twice.
    SingleInstance instance;
    if (!instance.claim()) {
        if (instance.handOverToRunning())
            return 0;
        std::fputs(qPrintable(Orvane::tr("Orvane は既に起動していますが、応答がありません。\n")), stderr);
        return 1;
    }

    // A tray program lives on with every window hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(uiFont());
    QApplication::setWindowIcon(programIcon());

    settingsCommon();
    int status = 0;
    {
        Forms forms;
        // What "ﾒｲﾝ表示(&M)" does; nothing once the program is closing down.
        QObject::connect(&instance, &SingleInstance::activationRequested, &app, [&forms] {
            if (MainF *main = forms.loadedMainF())
                main->MainDisp_Click();
        });
        forms.mainF();
        forms.pcStatus();
        status = app.exec();
    }
    // The windows are gone and have stopped their work: every thread ends before the program does.
    joinThreads();
    return status;
}

} // namespace orvane
