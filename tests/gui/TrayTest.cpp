// The tray icon's presses: the left button opens the main menu, the right one the help menu.
#include "platform/TrayParts.h"
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

} // namespace
