// Every caption fits the fixed geometry in the windows' Japanese font.
#include "app/Forms.h"
#include "core/SettingsFile.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"
#include "ui/Looks.h"
#include "ui/main/AboutF.h"
#include "ui/main/MainF.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>

using namespace orvane;
using namespace orvane::test;

namespace {

// What the text needs in the widget's font, lines split at CR LF.
QSize needed(const QWidget *w, QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.remove(QLatin1Char('&'));
    const QFontMetrics fm(w->font());
    return fm.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft | Qt::AlignTop, text).size();
}

void expectFits(QWidget *window)
{
    for (QLabel *l : window->findChildren<QLabel *>()) {
        if (l->text().isEmpty())
            continue;
        const QSize need = needed(l, l->text());
        EXPECT_LE(need.width(), l->contentsRect().width())
            << l->objectName().toStdString() << ": " << l->text().toStdString();
        EXPECT_LE(need.height(), l->contentsRect().height())
            << l->objectName().toStdString() << ": " << l->text().toStdString();
    }
    for (QPushButton *b : window->findChildren<QPushButton *>()) {
        const QSize need = needed(b, b->text());
        // Room for the button's frame on every side.
        EXPECT_LE(need.width() + 8, b->width()) << b->objectName().toStdString() << ": " << b->text().toStdString();
        EXPECT_LE(need.height() + 6, b->height()) << b->objectName().toStdString();
    }
}

TEST(Looks, TheWindowsUseAJapaneseGothic)
{
    const QFontInfo info(uiFont());
    EXPECT_TRUE(info.family().contains(QStringLiteral("IPA"))) << info.family().toStdString();
    EXPECT_EQ(info.pixelSize(), 12);
    EXPECT_EQ(programIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    EXPECT_FALSE(programIcon().pixmap(16, 16).toImage().isNull());
}

TEST(Looks, EveryCaptionOfTheMainWindowAndTheAboutBoxFits)
{
    FakeDesktop desktop;
    TempCwd cwd;
    // Values as wide as a typical network gives them.
    SettingsGrid g;
    for (int r = 0; r < SettingsRows; ++r)
        for (int c = 0; c < SettingsColumns; ++c)
            g.set(r, c, QString());
    g.set(0, 0, QStringLiteral("32766"));
    g.set(0, 1, QStringLiteral("10"));
    const QStringList names{"Server", "NAS-01", "Desktop", "Win11PC", "Backup"};
    for (int n = 1; n <= 5; ++n) {
        g.set(n, 0, names[n - 1]);
        g.set(n, 1, QStringLiteral("127.255.100.%1").arg(200 + n));
        for (int c = 2; c <= 7; ++c)
            g.set(n, c, QStringLiteral("FF"));
        g.set(n, 8, QStringLiteral("0"));
        g.set(n, 9, QStringLiteral("23:59:59"));
    }
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));

    Forms forms;
    MainF *main = forms.mainF();
    main->findChild<QLabel *>(QStringLiteral("time_lvl"))->setText(QStringLiteral("23:59:59"));
    expectFits(main);
    main->About_Click();
    expectFits(forms.loadedAboutF());
}

} // namespace
