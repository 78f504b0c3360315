// Profile files ("[section]" and "key=value" lines in code page 932): real files in a temporary folder.
// What the common services' IniRead adds (its buffer, "error" for nothing) is tested with them.
#include "core/settings/ProfileFile.h"
#include "core/settings/Cp932.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Ini = QStringLiteral("test.ini");

class ProfileFile : public testing::Test {
protected:
    // As the Windows reader with the buffer of IniRead.
    QString read(const QString &section, const QString &key) { return readProfileString(Ini, section, key, 255); }
    bool write(const QString &section, const QString &key, const QString &value)
    {
        return writeProfileString(Ini, section, key, value);
    }
    TempCwd cwd;
};

TEST_F(ProfileFile, AWriteRewritesItsLineInPlaceOrAddsItAndKeepsEveryOtherByte)
{
    const QByteArray hand = toCp932(QStringLiteral("; by hand\norphan=1\n[Main]\n  ; the port\nPort = 9   \nodd "
                                                   "line\nCount=3\n\n[ＷＩＤＥ]\nｋｅｙ=2\n[main]\nPort=7"));
    const QList<std::tuple<QByteArray, QStringList, QByteArray>> cases{
        {{}, {"Net", "Host", "pc1"}, "[Net]\r\nHost=pc1\r\n"},
        {hand, {"MAIN", "port", "40000"}, QByteArray(hand).replace("Port = 9   ", "Port = 40000")},
        {hand, {"Main", "Sound", "on "}, QByteArray(hand).replace("Count=3\n", "Count=3\nSound=on \n")},
        {hand,
         {"ｗｉｄｅ", "ＫＥＹ", "3"},
         QByteArray(hand).replace(toCp932(QStringLiteral("ｋｅｙ=2")), toCp932(QStringLiteral("ｋｅｙ=3")))},
        {hand, {"New", "Key", "v"}, hand + "\n[New]\nKey=v\n"},
        {"[A]\r\nx=1", {" a ", "Y", "2"}, "[A]\r\nx=1\r\nY=2\r\n"},
        {{}, {"設定", "名前", "ソフト]ー[表 ｱｲｳ"}, toCp932(QStringLiteral("[設定]\r\n名前=ソフト]ー[表 ｱｲｳ\r\n"))}};
    for (const auto &[before, w, after] : cases) {
        QFile::remove(Ini);
        if (!before.isNull())
            writeAll(Ini, before);
        EXPECT_TRUE(write(w[0], w[1], w[2])) << w.join('/').toStdString();
        EXPECT_EQ(readAll(Ini), after);
        EXPECT_EQ(read(w[0], w[1]), w[2].trimmed());
    }
}

TEST_F(ProfileFile, AReadMatchesNamesWithoutRegardToCaseAndGivesNothingForNothing)
{
    writeAll(Ini, "orphan=1\r\n[Net]\r\nEmpty=\r\n  Spaced  =  two words \t\r\nQuoted=\"  inner  \"\r\n[ Spaced ]\r\n"
                  "k=1\r\n[net]\r\nLater=1\r\n[Long]\r\nascii=" +
                      QByteArray(300, 'a') + "\r\nkanji=x" + toCp932(QString(150, QChar(0x6F22))) + "\r\n");
    const std::array<QString, 3> cases[] = {{"NET", "spaced", "two words"},
                                            {"spaced", " K ", "1"},
                                            {"Net", "Quoted", "  inner  "},
                                            {"Net", "Empty", ""},
                                            {"Net", "Missing", ""},
                                            {"Net", "orphan", ""},
                                            {"Net", "Later", ""}};
    for (const auto &[section, key, value] : cases)
        EXPECT_EQ(read(section, key), value) << key.toStdString();
    EXPECT_EQ(read("Long", "ascii"), QString(254, u'a')) << "cut to the reader's buffer";
    EXPECT_EQ(read("Long", "kanji"), "x" + QString(126, QChar(0x6F22))) << "never half a character";
    EXPECT_EQ(readProfileString("no-such.ini", "Net", "k", 255), QString());
}

TEST_F(ProfileFile, AWriteThatWouldDamageTheFileOrCannotBeDoneLeavesItAlone)
{
    const QByteArray before = "[A]\r\nx=1\r\n";
    writeAll(Ini, before);
    const std::array<QString, 3> cases[] = {
        {"A", "x", "1\r\n[Evil]\r\ny=2"}, {"A]", "x", "1"}, {"A", "k=v", "1"}, {"A", " ", "1"}, {"A", ";c", "1"},
        {"A", "x", "smile \U0001F600"}};
    for (const auto &[section, key, value] : cases)
        EXPECT_FALSE(write(section, key, value)) << key.toStdString() << "=" << value.toStdString();
    QFile::setPermissions(Ini, QFile::ReadOwner);
    EXPECT_FALSE(write("A", "x", "2"));
    EXPECT_EQ(readAll(Ini), before);
    EXPECT_FALSE(writeProfileString("no-such-folder/test.ini", "A", "x", "1"));
    EXPECT_FALSE(writeProfileString(cwd.path(), "A", "x", "1"));
}

} // namespace
