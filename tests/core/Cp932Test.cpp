#include "core/Cp932.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QByteArray bytes(std::initializer_list<unsigned char> list)
{
    QByteArray b;
    for (unsigned char c : list)
        b += static_cast<char>(c);
    return b;
}

} // namespace

TEST(Cp932, SingleAndDoubleByteCharactersMapAsOnWindows)
{
    const QString text = QString::fromUtf8("Aあア日本Ａｱｰ\\~");
    const QByteArray expected =
        bytes({0x41, 0x82, 0xA0, 0x83, 0x41, 0x93, 0xFA, 0x96, 0x7B, 0x82, 0x60, 0xB1, 0xB0, 0x5C, 0x7E});
    bool lossless = false;
    EXPECT_EQ(toCp932(text, &lossless), expected);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(fromCp932(expected), text);
    // Bytes 0x1A, 0x1C and 0x7F stay themselves (some converters swap them).
    EXPECT_EQ(toCp932(QString::fromLatin1("\x1a\x1c\x7f")), QByteArray("\x1a\x1c\x7f"));
    EXPECT_EQ(toCp932(QString(3, QChar(u'\0'))), QByteArray(3, '\0'));
}

TEST(Cp932, WaveDashIsMappedOneWay)
{
    // Linux input methods type U+301C; Windows maps it to 0x8160, which reads back as U+FF5E.
    EXPECT_EQ(toCp932(QString::fromUtf8("〜")), bytes({0x81, 0x60}));
    EXPECT_EQ(fromCp932(bytes({0x81, 0x60})), QString::fromUtf8("～"));
}

TEST(Cp932, UnmappableCharactersBecomeQuestionMarks)
{
    bool lossless = true;
    EXPECT_EQ(toCp932(QString::fromUtf8("café"), &lossless), QByteArray("caf?"));
    EXPECT_FALSE(lossless);
    // One '?' per UTF-16 unit, as the byte length counts them.
    EXPECT_EQ(toCp932(QString::fromUtf8("a😀b")), QByteArray("a??b"));
    const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00);
    EXPECT_EQ(toCp932(lone, &lossless), QByteArray("a?b?"));
    EXPECT_FALSE(lossless);
    EXPECT_EQ(cp932CharBytes(QChar(u'a')), 1);
    EXPECT_EQ(cp932CharBytes(QChar(0xFF71)), 1); // half-width katakana
    EXPECT_EQ(cp932CharBytes(QChar(0x3042)), 2); // hiragana a
    EXPECT_EQ(cp932CharBytes(QChar(0x00E9)), 1); // é becomes '?'
    EXPECT_EQ(cp932CharBytes(QChar(0xD83D)), 1);
}

TEST(Cp932, BrokenSequencesGiveOneReplacementPerBadByte)
{
    const QChar bad = QChar::ReplacementCharacter;
    // A lead byte at the end, a lead byte before a blank, lone trail-range bytes.
    EXPECT_EQ(fromCp932(bytes({0x41, 0x82})), QStringLiteral("A") + bad);
    EXPECT_EQ(fromCp932(bytes({0x82, 0x20, 0x82, 0xA0})), QString(bad) + QStringLiteral(" ") + QChar(0x3042));
    EXPECT_EQ(fromCp932(bytes({0xFF, 0xFF, 0x41})), QString(2, bad) + QStringLiteral("A"));
    EXPECT_EQ(fromCp932(QByteArray()), QString());
}
