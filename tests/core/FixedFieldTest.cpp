#include "core/FixedField.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(FixedField, PadsCutsAndKeepsEverythingElse)
{
    EXPECT_EQ(fixedField(QString()), QString(20, u' '));
    EXPECT_EQ(fixedField(QStringLiteral("9")), QStringLiteral("9") + QString(19, u' '));
    EXPECT_EQ(fixedField(QStringLiteral("abcdefghijklmnopqrstuvwxy")), QStringLiteral("abcdefghijklmnopqrst"));
    // Leading blanks and other characters are part of the text.
    EXPECT_EQ(fixedField(QStringLiteral("  x\t")), QStringLiteral("  x\t") + QString(16, u' '));
    const QString kanji = QString::fromUtf8("日本日本日本日本日本日本日本日本日本日本日本日本");
    EXPECT_EQ(fixedField(kanji), kanji.left(20));
}

TEST(FixedField, CutNeverSplitsASurrogatePair)
{
    // 19 letters and an emoji (two UTF-16 units): the emoji doesn't fit and goes whole.
    const QString text = QString(19, u'a') + QString::fromUtf8("😀");
    EXPECT_EQ(fixedField(text), QString(19, u'a') + QLatin1Char(' '));
    // 18 letters and the emoji fit exactly.
    EXPECT_EQ(fixedField(QString(18, u'a') + QString::fromUtf8("😀")), QString(18, u'a') + QString::fromUtf8("😀"));
}

TEST(FixedField, ByteOrderMarkCharactersAreText)
{
    // Neither is taken for a byte-order mark: both stay, and nothing behind them is swapped.
    EXPECT_EQ(fixedField(QChar(0xFEFF) + QStringLiteral("ab")),
              QChar(0xFEFF) + QStringLiteral("ab") + QString(17, u' '));
    EXPECT_EQ(fixedField(QChar(0xFFFE) + QStringLiteral("ab")),
              QChar(0xFFFE) + QStringLiteral("ab") + QString(17, u' '));
}

TEST(FixedField, ReadersRemoveTrailingBlanksOnly)
{
    EXPECT_EQ(fieldValue(QString(20, u' ')), QString());
    EXPECT_EQ(fieldValue(QStringLiteral(" a b ") + QString(15, u' ')), QStringLiteral(" a b"));
    EXPECT_EQ(fieldValue(QStringLiteral("a\t") + QString(18, u' ')), QStringLiteral("a\t"));
    // A full-width blank (U+3000) is a character, not padding.
    EXPECT_EQ(fieldValue(QString::fromUtf8("名　") + QString(18, u' ')), QString::fromUtf8("名　"));
    EXPECT_EQ(fieldValue(QString(20, QChar(u'\0'))), QString(20, QChar(u'\0')));
}

TEST(FixedField, GridStartsWithNulFieldsAndStoresFixedFields)
{
    SettingsGrid g;
    for (int r = 0; r < SettingsRows; ++r)
        for (int c = 0; c < SettingsColumns; ++c)
            ASSERT_EQ(g.at(r, c), QString(20, QChar(u'\0'))) << r << "," << c;
    g.set(5, 9, QStringLiteral("07:30:00"));
    EXPECT_EQ(g.at(5, 9), QStringLiteral("07:30:00") + QString(12, u' '));
    EXPECT_EQ(g.value(5, 9), QStringLiteral("07:30:00"));
    EXPECT_NE(g, SettingsGrid());
}
