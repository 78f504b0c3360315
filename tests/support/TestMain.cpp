#include <gtest/gtest.h>

#include <QApplication>

// One QApplication for every test of an executable. GUI suites run on Qt's offscreen platform
// unless the environment picks another (the tray suite runs under Xvfb).
int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
