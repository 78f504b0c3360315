// Enter presses the focused button, as on the original platform, and only that one.
#include "app/Forms.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

bool focusReaches(const char *name)
{
    return QTest::qWaitFor([name] {
        return QApplication::focusWidget() && QApplication::focusWidget()->objectName() == QLatin1String(name);
    });
}

TEST(EnterOnButtons, OpensTheSettingsFromTheMainWindowAndSavesFromTheEndOfTheTabWalk)
{
    FakeDesktop desktop;
    TempCwd cwd;
    Forms forms;
    MainF *main = forms.mainF();
    main->MainDisp_Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    main->findChild<QPushButton *>(QStringLiteral("Settings_bt"))->setFocus();
    ASSERT_TRUE(focusReaches("Settings_bt"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Settings *dialog = forms.loadedSettings();
    ASSERT_TRUE(dialog && QTest::qWaitForWindowActive(dialog));

    dialog->findChild<QLineEdit *>(QStringLiteral("pc_txt_0"))->setText(QStringLiteral("Saved"));
    dialog->findChild<QLineEdit *>(QStringLiteral("time_txt_4"))->setFocus();
    ASSERT_TRUE(focusReaches("time_txt_4"));
    // Enter there moves on to 更新 without pressing it; Enter on 更新 saves.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(focusReaches("update_bt"));
    EXPECT_FALSE(readAll(cwd.file(QStringLiteral("System.ini"))).contains("Saved"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(readAll(cwd.file(QStringLiteral("System.ini"))).contains("Saved"));
    EXPECT_EQ(forms.loadedSettings(), nullptr);
}

} // namespace
