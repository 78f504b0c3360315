// The main window's PC buttons: their captions and the marks that tell whether each PC answers.
#include "support/FakeDesktop.h"
#include "ui/main/MainF.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>

using namespace orvane;
using namespace orvane::test;

namespace {

TEST(MainWindow, ThePcButtonsMarkTakesNoRoomFromTheCaptionAndCoversNoneOfIt)
{
    FakeDesktop desktop;
    MainF main;
    QPushButton *button = main.findChild<QPushButton *>(QStringLiteral("PC_start_1"));
    button->setText(QStringLiteral("Workstation 起動"));
    // The caption fits the button by itself, with the frame's margins to spare.
    ASSERT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 8);

    // The same caption on a plain button beside it (same size, font and look): what the caption's
    // pixels are when nothing takes room from it.
    QPushButton plain(button->parentWidget());
    plain.setGeometry(button->geometry());
    plain.setFont(button->font());
    plain.setAutoDefault(button->autoDefault());
    const QImage empty = plain.grab().toImage();
    plain.setText(button->text());
    const QImage caption = plain.grab().toImage();

    for (const Reach reach : {Reach::Answered, Reach::NoAnswer, Reach::NotChecked}) {
        SCOPED_TRACE(static_cast<int>(reach));
        main.showStatus(1, reach, QStringLiteral("state"));
        const QImage marked = button->grab().toImage();
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
}

} // namespace
