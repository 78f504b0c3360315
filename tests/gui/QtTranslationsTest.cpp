// Qt's own buttons (message boxes, file dialogs) read in Japanese like the rest of the program.
#include "app/Main.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <memory>

using namespace orvane;

TEST(QtTranslations, MessageBoxAndDialogButtonsReadInJapaneseWhileInstalled)
{
    QMessageBox english;
    english.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    const QString englishYes = english.button(QMessageBox::Yes)->text();
    ASSERT_EQ(englishYes, QStringLiteral("&Yes"));

    std::unique_ptr<QTranslator> translator(installQtTranslations());
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translations are not installed (qt6-translations-l10n)";

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Save);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("開く"));

    // Taken out again, Qt speaks English.
    translator.reset();
    QMessageBox after;
    after.setStandardButtons(QMessageBox::Yes);
    EXPECT_EQ(after.button(QMessageBox::Yes)->text(), englishYes);
}
