// Wake times as people type them: the timer meets the time a text plainly means, and the settings
// dialog marks a text that is no time at all, which it still stores as typed.

#include "app/Forms.h"
#include "core/SettingsStore.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"
#include "ui/wake/TimedWake.h"

#include "support/FakeClock.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"

#include <QLineEdit>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

TEST(TypedTimes, TheTimerWakesAtTheTimeTheTextMeans)
{
    FakeDesktop desktop;
    FakeClock clock(7 * 3600 + 5 * 60);
    QzCmn14 common;
    TimedWake timer(common);
    QList<int> woken;
    timer.setWakeCommand([&](qint16 pc) { woken.append(pc); });
    settingsStore().SettingsTable = grid({{1, 8, "1"}, {1, 9, "7:05:00"}, {2, 8, "1"}, {2, 9, "7:05:01"}});
    timer.Timer1_Timer();
    EXPECT_EQ(woken, QList<int>{1});
}

TEST(TypedTimes, TheDialogMarksATextThatIsNoTime)
{
    TempCwd cwd;
    FakeDesktop desktop;
    writeAll("System.ini", recordArea({{rec(1, 9), "whenever"}, {rec(2, 9), "7:05"}}));
    Forms registry;
    registry.mainF()->Settings_bt_Click();
    Settings *dialog = registry.loadedSettings();
    ASSERT_NE(dialog, nullptr);
    auto marked = [dialog](const char *name) {
        auto *box = dialog->findChild<QLineEdit *>(QLatin1String(name));
        const QImage frame = box->grab().toImage();
        const bool red = frame.pixelColor(0, frame.height() / 2) == QColor(Qt::red);
        EXPECT_EQ(red, !box->toolTip().isEmpty()) << name;
        return red;
    };
    EXPECT_TRUE(marked("time_txt_0"));
    EXPECT_FALSE(marked("time_txt_1"));
    EXPECT_FALSE(marked("time_txt_2")) << "an empty box";
    dialog->findChild<QLineEdit *>("time_txt_0")->setText("07:30:00");
    EXPECT_FALSE(marked("time_txt_0"));
}
