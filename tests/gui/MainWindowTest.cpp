// The main window's PC buttons: their captions and the marks that tell whether each PC answers.
#include "app/Forms.h"
#include "core/SettingsFile.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "ui/main/MainF.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPushButton>

#include <memory>

using namespace orvane;
using namespace orvane::test;

namespace {

TEST(MainWindow, ThePcButtonsMarkTakesNoRoomFromTheCaptionAndCoversNoneOfIt)
{
    FakeDesktop desktop;
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "1"}});
    setPc(g, 1, "Workstation", "127.0.0.1", ServerMac);
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    auto forms = std::make_unique<Forms>();
    QPushButton *button = forms->mainF()->findChild<QPushButton *>(QStringLiteral("PC_start_1"));
    ASSERT_EQ(button->text(), QStringLiteral("Workstation 起動"));
    // The caption fits the button by itself, with the frame's margins to spare.
    ASSERT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 8);

    // The same caption on a plain button beside it (same size, font and look): what the caption's
    // pixels are when nothing takes room from it.
    auto plain = std::make_unique<QPushButton>(button->parentWidget());
    plain->setGeometry(button->geometry());
    plain->setFont(button->font());
    plain->setAutoDefault(button->autoDefault());
    const QImage empty = plain->grab().toImage();
    plain->setText(button->text());
    const QImage caption = plain->grab().toImage();
    plain.reset();

    for (const Reach reach : {Reach::Answered, Reach::NoAnswer, Reach::NotChecked}) {
        SCOPED_TRACE(static_cast<int>(reach));
        forms->mainF()->showStatus(1, reach, QStringLiteral("state"));
        const QImage marked = button->grab().toImage();
        ASSERT_EQ(marked.size(), caption.size());
        int text = 0, mark = 0, markOverText = 0;
        for (int y = 0; y < caption.height(); ++y)
            for (int x = 0; x < caption.width(); ++x) {
                const bool isText = caption.pixel(x, y) != empty.pixel(x, y);
                const bool isMark = marked.pixel(x, y) != caption.pixel(x, y);
                text += isText;
                mark += isMark;
                markOverText += isText && isMark;
            }
        EXPECT_GT(text, 100) << "the caption shows";
        EXPECT_EQ(markOverText, 0) << "pixels of the caption moved, were cut or covered";
        EXPECT_EQ(mark > 0, reach != Reach::NotChecked) << "a dot only for a state that was checked";
    }
    forms.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
