#include "app/Main.h"
#include "core/record/Language.h"
#include "core/status/PcStatus.h"
#include "support/FormsFixture.h"
#include "ui/Looks.h"
#include "ui/StatusMarks.h"
#include "ui/settings/Finder.h"

#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTranslator>

namespace orvane::test {
namespace {

// The windows in English, with the program's font: every caption fits its fixed control, and no
// text but the user's own is Japanese.
class English : public FormsFixture {
protected:
    void SetUp() override
    {
        setUiLanguage("en");
        translators = installQtTranslations();
        QApplication::setFont(uiFont());
    }
    void TearDown() override
    {
        FormsFixture::TearDown();
        qDeleteAll(translators);
        setUiLanguage(SourceLanguage);
        QApplication::setFont(font);
    }

    // What doesn't fit or is still Japanese, one line each.
    static QStringList faults(QWidget *window)
    {
        static const QRegularExpression japanese(
            QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
        QStringList out;
        const auto check = [&out](const QString &where, const QString &text) {
            if (text.contains(japanese))
                out << where + QStringLiteral(" is Japanese: ") + text;
        };
        check(window->objectName() + QStringLiteral(" title"), window->windowTitle());
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(window))
                continue;
            const QString name = w->objectName();
            check(name + QStringLiteral(" tip"), w->toolTip());
            check(name + QStringLiteral(" name"), w->accessibleName());
            QString text;
            int room = 0;
            if (auto *pc = dynamic_cast<PcButton *>(w)) {
                check(name, pc->text());
                if (pc->shownCaption() != QString(pc->text()).remove(QLatin1Char('&')))
                    out << name + QStringLiteral(" shows \"") + pc->shownCaption() + QStringLiteral("\"");
                continue;
            }
            if (auto *button = qobject_cast<QAbstractButton *>(w)) {
                QStyleOptionButton o;
                o.initFrom(button);
                o.text = button->text();
                const bool box = qobject_cast<QCheckBox *>(w) != nullptr;
                room = w->style()
                           ->subElementRect(box ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &o, w)
                           .width();
                text = button->text();
            } else if (auto *label = qobject_cast<QLabel *>(w)) {
                check(name, label->text());
                if (label->wordWrap()) {
                    if (label->heightForWidth(label->width()) > label->height())
                        out << name + QStringLiteral(" wraps past its height: ") + label->text();
                    continue;
                }
                room = label->contentsRect().width();
                text = label->text();
            } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
                room = edit->width() - 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
                text = edit->placeholderText();
            } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
                for (int i = 0; i < combo->count(); ++i)
                    check(name, combo->itemText(i));
                room = combo->width() - 24;
                text = combo->placeholderText();
            }
            check(name, text);
            if (text.isEmpty())
                continue;
            text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
            for (const QString &line : text.replace(QLatin1Char('\x01'), QLatin1Char('&')).split(QLatin1Char('\n'))) {
                const int needs = w->fontMetrics().horizontalAdvance(line.trimmed());
                if (needs > room)
                    out << QStringLiteral("%1 \"%2\" needs %3 px, has %4")
                               .arg(name, line.trimmed())
                               .arg(needs)
                               .arg(room);
            }
        }
        for (QMenu *menu : window->findChildren<QMenu *>())
            for (QAction *a : menu->actions())
                check(menu->objectName() + QStringLiteral(" entry"), a->text() + a->toolTip());
        return out;
    }

    QList<QTranslator *> translators;
    QFont font = QApplication::font();
};

TEST_F(English, EveryWindowFitsItsEnglishAndHoldsNoJapanese)
{
    MainF *main = start(
        records("9", "3",
                pc(1, "Desk", "127.0.0.1", "001122334455", "1", "07:30:00") + pc(2, "", "127.0.0.2", "001122334456")));
    main->MainDisp_Click();
    forms->pcStatus().checkAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !find<QWidget>("PC_start_1")->toolTip().isEmpty(); }));
    EXPECT_EQ(faults(main), QStringList());
    EXPECT_EQ(text("PC_start_2"), "Wake PC2");
    forms->aboutF()->show();
    EXPECT_EQ(faults(forms->aboutF()), QStringList());
    Settings *dialog = open();
    EXPECT_EQ(faults(dialog), QStringList());
    click("detail_bt_0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return find<QWidget>("PcDetails")->isVisible(); }));
    EXPECT_EQ(faults(find<QWidget>("PcDetails")), QStringList());
    // A refusal of the plain core's, through the window.
    type("relay_txt", "-oProxyCommand=x");
    click("details_ok_bt");
    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_TRUE(std::get<0>(desk.boxes[0]).startsWith("The relay")) << std::get<0>(desk.boxes[0]).toStdString();
    click("details_cancel_bt");
    click("find_bt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->finder() != nullptr && dialog->finder()->isVisible(); }));
    EXPECT_EQ(faults(dialog->finder()), QStringList());
}

} // namespace
} // namespace orvane::test
