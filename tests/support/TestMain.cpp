#include "support/PrivateNetwork.h"
#include "support/SourceLanguage.h"

#include <gtest/gtest.h>

#include <QApplication>

// One QApplication for every test of an executable. GUI suites run on Qt's offscreen platform
// unless the environment picks another (the tray suite runs under Xvfb).
int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    orvane::test::speakTheSourceLanguage();
    // The window suites ask for it (they type hosts); the others start servers of their own outside.
    if (qEnvironmentVariableIsSet("ORVANE_TEST_PRIVATE_NETWORK")) {
        orvane::test::enterPrivateNetwork();
        orvane::test::addSilentLink();
    }
    // Mounts of the suite's own, for files laid over the system's.
    if (qEnvironmentVariableIsSet("ORVANE_TEST_PRIVATE_NETWORK") ||
        qEnvironmentVariableIsSet("ORVANE_TEST_PRIVATE_MOUNTS"))
        orvane::test::enterPrivateMounts();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
