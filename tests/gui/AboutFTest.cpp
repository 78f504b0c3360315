// The about box: layout, version line, maker lines, closing, one instance.
#include "ui/main/AboutF.h"
#include "app/Forms.h"
#include "app/SettingsModule.h"
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
    bool closes(AboutF *about)
    {
        QPointer<AboutF> guard(about);
        return QTest::qWaitFor(
            [&] { return m_forms.loadedAboutF() == nullptr && (guard.isNull() || !guard->isVisible()); }, 2000);
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

    EXPECT_EQ(child(about, "picIcon")->geometry(), QRect(32, 32, 36, 36));
    const QPixmap icon = child<QLabel>(about, "picIcon")->pixmap();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(child(about, "Title_lvl")->geometry(), QRect(80, 32, 137, 25));
    EXPECT_EQ(child(about, "Ver_lvl")->geometry(), QRect(80, 56, 129, 17));
    EXPECT_EQ(child(about, "Info_lvl")->geometry(), QRect(72, 88, 145, 41));
    EXPECT_EQ(child(about, "cmdOK")->geometry(), QRect(80, 136, 92, 23));

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

TEST_F(AboutBox, OkEnterAndEscCloseIt)
{
    AboutF *about = open();
    child<QPushButton>(about, "cmdOK")->click();
    EXPECT_TRUE(closes(about));

    about = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    QTest::keyClick(about, Qt::Key_Return);
    EXPECT_TRUE(closes(about));

    about = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_TRUE(closes(about));

    about = open();
    about->close();
    EXPECT_TRUE(closes(about)) << "the close box does what OK does";
    EXPECT_FALSE(m_forms.mainF()->isVisible());
}

TEST_F(AboutBox, ThereIsOnlyOneAndItIsBuiltAfreshEachTime)
{
    AboutF *first = open();
    QPointer<AboutF> guard(first);
    EXPECT_EQ(open(), first);
    int boxes = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        boxes += qobject_cast<AboutF *>(w) && w->isVisible();
    EXPECT_EQ(boxes, 1);

    first->cmdOK_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull()) << "closing unloads it";
    AboutF *second = open();
    EXPECT_EQ(second->findChild<QLabel *>(QStringLiteral("Ver_lvl"))->text(), QStringLiteral("Version 1.00"));
}

TEST_F(AboutBox, EndingTheProgramClosesIt)
{
    AboutF *about = open();
    QPointer<AboutF> guard(about);
    UnloadAllForms();
    EXPECT_EQ(m_forms.loadedAboutF(), nullptr);
    EXPECT_FALSE(about->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

} // namespace
