// What the user typed reaches the windows as text: markup shows as written, and "&" is no access key.
#include "app/Forms.h"
#include "core/SettingsFile.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "ui/main/MainF.h"
#include "ui/wake/Dialog.h"
#include "ui/wake/PcStart.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QMenu>

using namespace orvane;
using namespace orvane::test;

namespace {

// What a screen reader reads: Qt's own reading of what a control shows, with rich text rendered
// (lines joined) and access-key marks taken out.
std::string shown(QObject *control)
{
    QAccessibleInterface *a = control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    return a ? a->text(QAccessible::Name).toStdString() : "(no control)";
}

std::string shownEntry(QMenu *menu, const char *name)
{
    const auto index = menu->actions().indexOf(menu->findChild<QAction *>(QLatin1String(name)));
    QAccessibleInterface *item = QAccessible::queryAccessibleInterface(menu)->child(int(index));
    return item ? item->text(QAccessible::Name).toStdString() : "(no entry)";
}

TEST(PlainText, NamesHostsMacsPortAndCountShowAsTyped)
{
    FakeDesktop desktop;
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "<i>9</i>"}});
    setPc(g, 1, "A&B <b>C</b>", "<b>x</b>", {"<s>", "11", "22", "33", "44", "55"}, "1", "07:00:00");
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    Forms forms;
    MainF *main = forms.mainF();
    const auto control = [main](const char *name) { return main->findChild<QWidget *>(QLatin1String(name)); };

    EXPECT_EQ(shown(control("port_lvl")), "ポート番号 : <i>9</i>");
    EXPECT_EQ(shown(control("Info_lvl_0")), "IP = <b>x</b>\r\nMAC = <s> 11 22 33 44 55 \r\nTimer = ON / 07:00:00");
    // Marks of the PC's state may stand around the name.
    const std::string caption = "A&B <b>C</b> 起動";
    EXPECT_NE(shown(control("PC_start_1")).find(caption), std::string::npos) << shown(control("PC_start_1"));
    EXPECT_NE(shownEntry(main->mainMenu(), "PC1_start").find(caption), std::string::npos)
        << shownEntry(main->mainMenu(), "PC1_start");

    StartedPcName = QStringLiteral("<b>PC</b>");
    EXPECT_EQ(shown(forms.dialog()->findChild<QWidget *>(QStringLiteral("start_lvl"))), "<b>PC</b> を起動しました！");
}

} // namespace
