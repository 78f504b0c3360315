// The X11 suite runs its widgets on an X server of its own, started before the application.
#include "XSession.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    orvane::test::XvfbServer server;
    if (!server.start()) {
        fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // No StatusNotifier host here: the tray is the XEmbed one that trayer offers.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orvane-x11-tests", 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
