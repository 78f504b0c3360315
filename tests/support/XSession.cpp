#include "support/XSession.h"

#include <QTest>

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
