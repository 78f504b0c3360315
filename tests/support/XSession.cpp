#include "support/XSession.h"

#include <QFileInfo>
#include <QHash>
#include <QTest>

#include <gtest/gtest.h>

#include <X11/Xlib.h>

bool orvane::test::trayReady(const QString &display)
{
    Display *d = XOpenDisplay(display.toLatin1().constData());
    const Atom tray = d ? XInternAtom(d, "_NET_SYSTEM_TRAY_S0", False) : None;
    const bool ready = d && QTest::qWaitFor([&] { return XGetSelectionOwner(d, tray) != None; }, 30000);
    if (d)
        XCloseDisplay(d);
    return ready;
}

void orvane::test::Started::missing(const QString &program)
{
    static const QHash<QString, QString> packages{
        {"Xvfb", "xvfb"},       {"trayer", "trayer"},  {"xdotool", "xdotool"},  {"xwininfo", "x11-utils"},
        {"xprop", "x11-utils"}, {"weston", "weston"},  {"dbus-daemon", "dbus"}, {"import", "imagemagick"},
        {"python3", "python3"}, {"dbus-send", "dbus"}, {"xauth", "xauth"}};
    const QString name = QFileInfo(program).fileName();
    ADD_FAILURE() << program.toStdString() << " can't be started; it comes from Debian's "
                  << packages.value(name, "(unknown)").toStdString()
                  << " package, which scripts/install-deps test installs";
}
