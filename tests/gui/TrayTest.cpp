// The tray icon: its record and tip as the common services fill them, and its presses: the left
// button opens the main menu, the right one the help menu.
#include "core/settings/Cp932.h"
#include "platform/QzCmn14.h"
#include "platform/TrayRecord.h"
#include "support/FormsFixture.h"

#include <gtest/gtest.h>

#include <QMenu>

using namespace orvane;
using namespace orvane::test;

namespace {

class Tray : public FormsFixture {};

TEST_F(Tray, TheTraysLeftPressOpensTheMainMenuAndTheRightPressTheHelpMenu)
{
    MainF *main = start();
    auto notify = [main](quint32 message, qint32 code) {
        QCoreApplication::postEvent(main, new TrayNotifyEvent(message, 1, code));
        QCoreApplication::sendPostedEvents(main);
    };
    // The code is lParam's low word; releases, double clicks and other messages do nothing.
    for (const auto &[code, menu] :
         {std::pair{0x201, main->mainMenu()}, {0x204, main->helpMenu()}, {0x10201, main->mainMenu()}}) {
        notify(0x200, code);
        EXPECT_EQ(QApplication::activePopupWidget(), menu) << code;
        menu->close();
    }
    for (const qint32 code : {0x200, 0x202, 0x203, 0x205, 0x206})
        notify(0x200, code);
    notify(0x201, 0x201);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(desk.foregrounded, QList<qint32>(3, main->hWnd())) << "the program takes the foreground first";
    notify(0x200, 0x204);
    notify(0x200, 0x201);
    // One pop-up at a time: a press while a menu is open does nothing at all.
    EXPECT_TRUE(QApplication::activePopupWidget() == main->helpMenu() && desk.foregrounded.size() == 4);
    main->helpMenu()->close();
    EXPECT_FALSE(main->isVisible());
}

// The tip sits left in its 64-byte field, padded with blanks; what doesn't fit in code page 932 is cut
// before the character that would straddle the end.
TEST(TrayIcon, TheRecordCarriesTheWindowIconAndTipAndAModifyChangesOnlyIconAndTip)
{
    FakeDesktop fake;
    QzCmn14 c;
    EXPECT_TRUE(c.TrayAddIcon(5, 9, "左-Menu:右-Help"));
    EXPECT_TRUE(c.TrayModifyIcon(10, QString(40, QChar(0x6F22))));
    fake.trayHost = false;
    EXPECT_FALSE(c.TrayModifyIcon(11, QString(63, u'x') + QChar(0x6F22)));
    EXPECT_FALSE(c.TrayDelIcon());
    const TrayRecord added{88, 5, 1, 7, 0x200, 9, toCp932("左-Menu:右-Help") + QByteArray(49, ' ')};
    TrayRecord kanji = added, cut = added;
    kanji.hIcon = 10, kanji.szTip = toCp932(QString(32, QChar(0x6F22)));
    cut.hIcon = 11, cut.szTip = QByteArray(63, 'x') + '\0';
    EXPECT_EQ(fake.trayCalls, (QList<std::pair<int, TrayRecord>>{
                                  {NimAdd, added}, {NimModify, kanji}, {NimModify, cut}, {NimDelete, cut}}));
}

} // namespace
