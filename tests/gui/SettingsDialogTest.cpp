// The settings dialog on Qt's offscreen platform: where its controls sit, and a whole MAC pasted or
// typed into one of a row's MAC boxes.

#include "app/Forms.h"
#include "ui/Looks.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"

#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

class SettingsDialog : public testing::Test {
protected:
    void SetUp() override
    {
        // Row 2 holds a MAC already; a paste replaces it.
        writeAll("System.ini", recordArea({{rec(2, 2), "99"},
                                           {rec(2, 3), "99"},
                                           {rec(2, 4), "99"},
                                           {rec(2, 5), "99"},
                                           {rec(2, 6), "99"},
                                           {rec(2, 7), "99"}}));
        registry.mainF()->Settings_bt_Click();
        dialog = registry.loadedSettings();
        ASSERT_TRUE(dialog && QTest::qWaitForWindowActive(dialog));
    }
    QLineEdit *box(int index) { return dialog->findChild<QLineEdit *>(QStringLiteral("MAC_txt_%1").arg(index)); }
    QStringList row(int k)
    {
        QStringList texts;
        for (int j = 0; j < 6; ++j)
            texts << box(6 * k + j)->text();
        return texts;
    }
    // Clicks into MAC box index and selects what it holds, as a user does before replacing it.
    QLineEdit *enter(int index)
    {
        QLineEdit *b = box(index);
        QTest::mouseClick(b, Qt::LeftButton);
        b->selectAll();
        return b;
    }

    TempCwd cwd;
    FakeDesktop desktop;
    Forms registry;
    Settings *dialog = nullptr;
};

const QStringList Empty(6, QString());
const QStringList Old(6, QStringLiteral("99"));

struct Paste {
    const char *text;
    QStringList row2; // row 2's boxes afterwards
};

TEST_F(SettingsDialog, AWholeMacPastedIntoAnyBoxFillsItsRowAndOtherTextStaysAsPasted)
{
    const QStringList abc{"AA", "BB", "CC", "0D", "EE", "FF"};
    const Paste cases[] = {
        {"00:11:22:33:44:55", ServerMac},
        {"aa-bb-cc-0d-ee-ff", abc},
        {"  aabb.cc0D.eeff ", abc},
        {"001122334455", ServerMac},
        // No MAC: it stays in its box whole, as pasted; the row's other boxes keep their text.
        {"00:11:22:33:44", {"99", "99", "99", "00:11:22:33:44", "99", "99"}},
        {"00:11:22:33:44:55:66", {"99", "99", "99", "00:11:22:33:44:55:66", "99", "99"}},
    };
    for (const Paste &paste : cases) {
        for (int j = 0; j < 6; ++j)
            box(6 + j)->setText(QStringLiteral("99"));
        QApplication::clipboard()->setText(QString::fromLatin1(paste.text));
        QTest::keyClick(enter(9), Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return row(1) == paste.row2; }, 1000))
            << paste.text << " gave " << row(1).join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(row(0), Empty) << paste.text;
        EXPECT_EQ(row(2), Empty) << paste.text;
    }
}

TEST_F(SettingsDialog, AWholeMacTypedIntoOneBoxFillsItsRowWhenTheBoxIsLeft)
{
    QLineEdit *first = enter(12);
    QTest::keyClicks(first, QStringLiteral("0a-1b-2c-3d-4e-5f"));
    // Until the box is left, what was typed is only text (as "0a" for "0a-1b-..." would be).
    EXPECT_EQ(row(2), QStringList({"0a-1b-2c-3d-4e-5f", "", "", "", "", ""}));
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(row(2), QStringList({"0A", "1B", "2C", "3D", "4E", "5F"}));
    EXPECT_EQ(row(1), Old);
    // A text that is no whole MAC is upper-cased on leaving, as ever.
    QTest::keyClicks(enter(0), QStringLiteral("0a:1b"));
    QTest::keyClick(box(0), Qt::Key_Tab);
    EXPECT_EQ(row(0), QStringList({"0A:1B", "", "", "", "", ""}));
}

TEST_F(SettingsDialog, TheFindButtonSitsInTheFreeTopAreaAndNoOtherControlMoved)
{
    QList<std::pair<QString, QRect>> placed{
        {"Label1", twips(240, 120, 1095, 255)},     {"port_txt", twips(2640, 120, 855, 270)},
        {"Label2", twips(240, 480, 2055, 255)},     {"send_qty_cmb", twips(2640, 480, 855, 300)},
        {"update_bt", twips(6480, 120, 1215, 375)}, {"cancel_bt", twips(6480, 600, 1215, 375)},
        {"Label3", twips(600, 1080, 615, 255)},     {"Label4", twips(1920, 960, 855, 375)},
        {"Label5", twips(4080, 1080, 975, 255)},    {"Label11", twips(5880, 1080, 1935, 255)},
    };
    for (int n = 1; n <= 5; ++n) {
        const int top = 1320 + 360 * (n - 1), k = n - 1;
        placed << std::pair{QStringLiteral("Label%1").arg(5 + n), twips(120, top, 135, 255)}
               << std::pair{QStringLiteral("pc_txt_%1").arg(k), twips(360, top, 1095, 270)}
               << std::pair{QStringLiteral("IP_txt_%1").arg(k), twips(1680, top, 1215, 270)}
               << std::pair{QStringLiteral("timer_chk_%1").arg(k), twips(6120, top, 255, 375)}
               << std::pair{QStringLiteral("time_txt_%1").arg(k), twips(6480, top, 1215, 270)};
        for (int j = 0; j < 6; ++j)
            placed << std::pair{QStringLiteral("MAC_txt_%1").arg(6 * k + j), twips(3120 + 480 * j, top, 375, 270)};
    }
    auto *find = dialog->findChild<QPushButton *>(QStringLiteral("find_bt"));
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->text(), QStringLiteral("探す(&F)…"));
    EXPECT_TRUE(dialog->rect().contains(find->geometry()));
    EXPECT_EQ(dialog->size(), QSize(twips(7860), twips(3165)));
    for (const auto &[name, geometry] : placed) {
        const QWidget *w = dialog->findChild<QWidget *>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_EQ(w->geometry(), geometry) << name.toStdString();
        EXPECT_FALSE(w->geometry().intersects(find->geometry())) << name.toStdString();
    }
}

} // namespace
