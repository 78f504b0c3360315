#include "support/PrivateNetwork.h"
#include "support/SourceLanguage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

// The core's tests need an application object for Qt's sockets, and nothing of the windows.
int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    orvane::test::speakTheSourceLanguage();
    orvane::test::enterPrivateNetwork();
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
