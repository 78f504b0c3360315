// The about box: layout, version line, maker lines, closing, one instance.
#include "ui/main/AboutF.h"
#include "app/Forms.h"
#include "core/SettingsStore.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"
#include "ui/main/MainF.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <functional>

using namespace orvane;
using namespace orvane::test;

namespace {

class AboutBox : public ::testing::Test {
protected:
    AboutF *open()
    {
        m_forms.mainF()->About_Click();
        AboutF *about = m_forms.loadedAboutF();
        EXPECT_NE(about, nullptr);
        return about;
    }
    template <class T = QWidget> T *child(AboutF *about, const char *name)
    {
        T *w = about->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    FakeDesktop m_desktop;
    TempCwd m_cwd;
    Forms m_forms;
};

TEST_F(AboutBox, LaysOutTheIconNameVersionAndMakerLines)
{
    AboutF *about = open();
    EXPECT_EQ(about->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(about->size(), QSize(251, 179));
    EXPECT_EQ(about->minimumSize(), about->maximumSize());
    EXPECT_FALSE(about->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(about->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_NE(about->windowIcon().cacheKey(), m_forms.mainF()->windowIcon().cacheKey()) << "an icon of its own";

    for (const auto &[name, rect] : {std::pair{"picIcon", QRect(32, 32, 36, 36)},
                                     {"Title_lvl", QRect(80, 32, 137, 25)},
                                     {"Ver_lvl", QRect(80, 56, 129, 17)},
                                     {"Info_lvl", QRect(72, 88, 145, 41)},
                                     {"cmdOK", QRect(80, 136, 92, 23)}})
        EXPECT_EQ(child(about, name)->geometry(), rect) << name;
    EXPECT_EQ(child<QLabel>(about, "picIcon")->pixmap().size(), QSize(32, 32));

    EXPECT_EQ(child<QLabel>(about, "Title_lvl")->text(), QStringLiteral("Orvane!"));
    // The project is version 1.0.0: major, ".", then minor and revision written together.
    EXPECT_EQ(child<QLabel>(about, "Ver_lvl")->text(), QStringLiteral("Version 1.00"));
    const QStringList lines = child<QLabel>(about, "Info_lvl")->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3) << "three lines joined by CR LF, none after the last";
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Rights"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("Orvane"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(QRegularExpression(QStringLiteral("\\b(19|20)\\d\\d\\b")))) << lines[2].toStdString();
    for (const char *name : {"Title_lvl", "Ver_lvl", "Info_lvl"})
        EXPECT_TRUE(child<QLabel>(about, name)->alignment() & Qt::AlignHCenter) << name;

    // 12 points bold and 11.25 points at 96 dots per inch, in the Gothic that stands in.
    const QFont title = child(about, "Title_lvl")->font();
    EXPECT_EQ(title.pixelSize(), 16);
    EXPECT_TRUE(title.bold());
    EXPECT_EQ(child(about, "Ver_lvl")->font().pixelSize(), 15);
    EXPECT_FALSE(child(about, "Ver_lvl")->font().bold());
}

TEST_F(AboutBox, OpensCentredWithTheFocusOnOkAndLeavesTheMainWindowHidden)
{
    AboutF *about = open();
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_FALSE(m_forms.mainF()->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint offCentre = about->frameGeometry().center() - screen.center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();

    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    auto *ok = child<QPushButton>(about, "cmdOK");
    EXPECT_EQ(QApplication::focusWidget(), ok);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->nextInFocusChain(), child(about, "picIcon"));
}

TEST_F(AboutBox, ThereIsOnlyOneAndOkEnterEscOrTheCloseBoxUnloadIt)
{
    AboutF *first = open();
    EXPECT_EQ(open(), first);
    int boxes = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        boxes += qobject_cast<AboutF *>(w) && w->isVisible();
    EXPECT_EQ(boxes, 1);

    const QList<std::pair<const char *, std::function<void(AboutF *)>>> closers{
        {"OK", [this](AboutF *a) { child<QPushButton>(a, "cmdOK")->click(); }},
        {"Enter", [](AboutF *a) { QTest::keyClick(a, Qt::Key_Return); }},
        {"Esc", [](AboutF *a) { QTest::keyClick(a, Qt::Key_Escape); }},
        {"the close box", [](AboutF *a) { a->close(); }}};
    for (const auto &[what, close] : closers) {
        SCOPED_TRACE(what);
        // Built afresh each time.
        AboutF *about = open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(about));
        EXPECT_EQ(child<QLabel>(about, "Ver_lvl")->text(), QStringLiteral("Version 1.00"));
        QPointer<AboutF> guard(about);
        close(about);
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_forms.loadedAboutF() == nullptr && guard.isNull(); }, 2000));
    }
    EXPECT_FALSE(m_forms.mainF()->isVisible());
}

} // namespace
