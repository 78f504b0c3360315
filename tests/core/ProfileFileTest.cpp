#include "core/ProfileFile.h"
#include "common/QzCmn14.h"
#include "core/Cp932.h"

#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Ini = QStringLiteral("test.ini");

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(ProfileFile, WriteCreatesTheFileAndReadsBack)
{
    TempCwd cwd;
    QzCmn14 qz;
    ASSERT_FALSE(QFileInfo::exists(Ini));
    EXPECT_TRUE(qz.IniWrite(u("Net"), u("Host"), u("pc1.local"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[Net]\r\nHost=pc1.local\r\n"));
    EXPECT_EQ(qz.IniRead(u("Net"), u("Host"), Ini), u("pc1.local"));

    // A second key joins its section, a second section follows it.
    EXPECT_TRUE(qz.IniWrite(u("Net"), u("Port"), u("9"), Ini));
    EXPECT_TRUE(qz.IniWrite(u("PC"), u("Name"), u("Server"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[Net]\r\nHost=pc1.local\r\nPort=9\r\n[PC]\r\nName=Server\r\n"));
    EXPECT_EQ(qz.IniRead(u("Net"), u("Port"), Ini), u("9"));
    EXPECT_EQ(qz.IniRead(u("PC"), u("Name"), Ini), u("Server"));

    // Rewriting a key replaces its value in place.
    EXPECT_TRUE(qz.IniWrite(u("Net"), u("Host"), u("192.168.1.20"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[Net]\r\nHost=192.168.1.20\r\nPort=9\r\n[PC]\r\nName=Server\r\n"));
}

TEST(ProfileFile, JapaneseTextIsStoredInCodePage932)
{
    TempCwd cwd;
    QzCmn14 qz;
    const QString section = u("設定");
    const QString key = u("名前");
    const QString value = u("開発用サーバー ｱｲｳ");
    ASSERT_TRUE(qz.IniWrite(section, key, value, Ini));
    EXPECT_EQ(readAll(Ini), "[" + toCp932(section) + "]\r\n" + toCp932(key) + "=" + toCp932(value) + "\r\n");
    EXPECT_EQ(qz.IniRead(section, key, Ini), value);

    // "ソ" ends in 0x5C and "ー" is 0x815B: bytes that look like "\" and "[" must not confuse the reader.
    const QString tricky = u("ソフト]ー[表");
    ASSERT_TRUE(qz.IniWrite(u("ソ[ー"), u("表示"), tricky, Ini));
    EXPECT_EQ(qz.IniRead(u("ソ[ー"), u("表示"), Ini), tricky);
}

TEST(ProfileFile, NothingReadGivesError)
{
    TempCwd cwd;
    QzCmn14 qz;
    writeAll(Ini, "[Net]\r\nEmpty=\r\nBlanks=   \r\nWord=error\r\n");
    EXPECT_EQ(qz.IniRead(u("Net"), u("Empty"), Ini), u("error"));
    EXPECT_EQ(qz.IniRead(u("Net"), u("Blanks"), Ini), u("error"));
    EXPECT_EQ(qz.IniRead(u("Net"), u("Missing"), Ini), u("error"));
    EXPECT_EQ(qz.IniRead(u("Other"), u("Empty"), Ini), u("error"));
    EXPECT_EQ(qz.IniRead(u("Net"), u("Empty"), u("no-such.ini")), u("error"));
    // The reserved word can't be told apart from a failure.
    EXPECT_EQ(qz.IniRead(u("Net"), u("Word"), Ini), u("error"));

    // An empty value is written ("Key=") but reads as nothing.
    ASSERT_TRUE(qz.IniWrite(u("Net"), u("Host"), QString(), Ini));
    EXPECT_TRUE(readAll(Ini).endsWith("Host=\r\n"));
    EXPECT_EQ(qz.IniRead(u("Net"), u("Host"), Ini), u("error"));
}

TEST(ProfileFile, LongValuesAreCutToTheBuffer)
{
    TempCwd cwd;
    QzCmn14 qz;
    QString value;
    for (int i = 0; i < 300; ++i)
        value.append(QLatin1Char('a' + i % 26));
    ASSERT_TRUE(qz.IniWrite(u("S"), u("Long"), value, Ini));
    EXPECT_EQ(qz.IniRead(u("S"), u("Long"), Ini), value.left(254));
    // The file keeps the whole value.
    EXPECT_TRUE(readAll(Ini).contains("Long=" + value.toLatin1() + "\r\n"));

    // 150 kanji are 300 bytes: 127 of them fill 254 bytes.
    const QString kanji = QString(150, QChar(0x6F22));
    ASSERT_TRUE(qz.IniWrite(u("S"), u("Kanji"), kanji, Ini));
    EXPECT_EQ(qz.IniRead(u("S"), u("Kanji"), Ini), kanji.left(127));
    // One byte in front: the 127th kanji would need bytes 254 and 255, so it is left out whole.
    ASSERT_TRUE(qz.IniWrite(u("S"), u("Mixed"), u("x") + kanji, Ini));
    EXPECT_EQ(qz.IniRead(u("S"), u("Mixed"), Ini), u("x") + kanji.left(126));

    // Cut after blanks: those are removed too.
    const QString blanksAtCut = QString(250, QLatin1Char('b')) + QString(10, QLatin1Char(' ')) + u("tail");
    ASSERT_TRUE(qz.IniWrite(u("S"), u("Cut"), blanksAtCut, Ini));
    EXPECT_EQ(qz.IniRead(u("S"), u("Cut"), Ini), QString(250, QLatin1Char('b')));
}

TEST(ProfileFile, BlanksAndQuotesAroundValues)
{
    TempCwd cwd;
    QzCmn14 qz;
    ASSERT_TRUE(qz.IniWrite(u("S"), u("Trail"), u("abc   "), Ini));
    EXPECT_TRUE(readAll(Ini).contains("Trail=abc   \r\n"));
    EXPECT_EQ(qz.IniRead(u("S"), u("Trail"), Ini), u("abc"));

    writeAll(Ini, "[S]\r\n  Spaced  =  two words \t\r\nQuoted=\"  inner  \"\r\nSingle='x'\r\nLone=\"\r\n");
    EXPECT_EQ(qz.IniRead(u("S"), u("Spaced"), Ini), u("two words"));
    // Enclosing quotes go, and the blanks they kept at the end go with the final trimming.
    EXPECT_EQ(qz.IniRead(u("S"), u("Quoted"), Ini), u("  inner"));
    EXPECT_EQ(qz.IniRead(u("S"), u("Single"), Ini), u("x"));
    EXPECT_EQ(qz.IniRead(u("S"), u("Lone"), Ini), u("\""));
}

TEST(ProfileFile, SectionsAndKeysIgnoreCase)
{
    TempCwd cwd;
    QzCmn14 qz;
    writeAll(Ini, QByteArray("[Network]\r\nHostName=alpha\r\n[ Spaced ]\r\nk=1\r\n") +
                      toCp932(u("[ＷＩＤＥ]\r\nｋｅｙ=2\r\n")));
    EXPECT_EQ(qz.IniRead(u("NETWORK"), u("hostname"), Ini), u("alpha"));
    EXPECT_EQ(qz.IniRead(u("network"), u("HOSTNAME"), Ini), u("alpha"));
    EXPECT_EQ(qz.IniRead(u("spaced"), u(" K "), Ini), u("1"));
    EXPECT_EQ(qz.IniRead(u("ｗｉｄｅ"), u("ＫＥＹ"), Ini), u("2"));

    // Writing under another case updates the same line and keeps its spelling.
    ASSERT_TRUE(qz.IniWrite(u("NETWORK"), u("hostname"), u("beta"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[Network]\r\nHostName=beta\r\n[ Spaced ]\r\nk=1\r\n") +
                                toCp932(u("[ＷＩＤＥ]\r\nｋｅｙ=2\r\n")));
}

TEST(ProfileFile, OtherLinesAreKeptByteForByte)
{
    TempCwd cwd;
    QzCmn14 qz;
    // LF line ends, comments, blank lines, a key before any section, odd lines and a repeated section.
    const QByteArray before = "; written by hand\n"
                              "orphan=1\n"
                              "\n"
                              "[Main]\n"
                              "  ; the port\n"
                              "Port = 9   \n"
                              "not a key line\n"
                              "Count=3\n"
                              "\n"
                              "; about the PCs\n"
                              "[PCs]\n"
                              "PC1=Server\n"
                              "[main]\n"
                              "Port=7\n";
    writeAll(Ini, before);
    EXPECT_EQ(qz.IniRead(u("Main"), u("Port"), Ini), u("9"));
    EXPECT_EQ(qz.IniRead(u("Main"), u("orphan"), Ini), u("error"));

    ASSERT_TRUE(qz.IniWrite(u("Main"), u("Port"), u("40000"), Ini));
    ASSERT_TRUE(qz.IniWrite(u("Main"), u("Sound"), u("on"), Ini));
    ASSERT_TRUE(qz.IniWrite(u("New"), u("Key"), u("v"), Ini));
    const QByteArray after = "; written by hand\n"
                             "orphan=1\n"
                             "\n"
                             "[Main]\n"
                             "  ; the port\n"
                             "Port = 40000\n"
                             "not a key line\n"
                             "Count=3\n"
                             "Sound=on\n"
                             "\n"
                             "; about the PCs\n"
                             "[PCs]\n"
                             "PC1=Server\n"
                             "[main]\n"
                             "Port=7\n"
                             "[New]\n"
                             "Key=v\n";
    EXPECT_EQ(readAll(Ini), after);
    // The first section of a name is the one that counts.
    EXPECT_EQ(qz.IniRead(u("main"), u("Port"), Ini), u("40000"));
}

TEST(ProfileFile, LastLineWithoutLineBreak)
{
    TempCwd cwd;
    QzCmn14 qz;
    writeAll(Ini, "[A]\r\nx=1");
    ASSERT_TRUE(qz.IniWrite(u("A"), u("y"), u("2"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[A]\r\nx=1\r\ny=2\r\n"));
    writeAll(Ini, "[A]\r\nx=1");
    ASSERT_TRUE(qz.IniWrite(u("B"), u("z"), u("3"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[A]\r\nx=1\r\n[B]\r\nz=3\r\n"));
    writeAll(Ini, "[A]\r\nx=1");
    ASSERT_TRUE(qz.IniWrite(u("a"), u("X"), u("22"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[A]\r\nx=22"));
}

TEST(ProfileFile, WritesThatWouldDamageTheFileAreRefused)
{
    TempCwd cwd;
    QzCmn14 qz;
    const QByteArray before = "[A]\r\nx=1\r\n";
    writeAll(Ini, before);
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x"), u("1\r\n[Evil]\r\ny=2"), Ini));
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x\ny"), u("1"), Ini));
    EXPECT_FALSE(qz.IniWrite(u("A]"), u("x"), u("1"), Ini));
    EXPECT_FALSE(qz.IniWrite(u("A"), u("k=v"), u("1"), Ini));
    EXPECT_FALSE(qz.IniWrite(u("A"), u("   "), u("1"), Ini));
    EXPECT_FALSE(qz.IniWrite(u("A"), u(";c"), u("1"), Ini));
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x"), QString(QChar(0)), Ini));
    // Code page 932 has no emoji: storing "?" would silently change the value.
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x"), u("smile \U0001F600"), Ini));
    EXPECT_EQ(readAll(Ini), before);
}

TEST(ProfileFile, UnwritablePlacesFailWithoutHarm)
{
    TempCwd cwd;
    QzCmn14 qz;
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x"), u("1"), u("no-such-folder/test.ini")));
    EXPECT_FALSE(QFileInfo::exists(u("no-such-folder")));

    writeAll(Ini, "[A]\r\nx=1\r\n");
    QFile::setPermissions(Ini, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x"), u("2"), Ini));
    QFile::setPermissions(Ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readAll(Ini), QByteArray("[A]\r\nx=1\r\n"));

    // A folder isn't a profile file.
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x"), u("1"), cwd.path()));
    EXPECT_EQ(qz.IniRead(u("A"), u("x"), cwd.path()), u("error"));
}

TEST(ProfileFile, BadFilesNeverCrash)
{
    TempCwd cwd;
    QzCmn14 qz;

    // Binary bytes: NULs, lone lead bytes, 0xFF, stray CRs, with a readable pair hidden inside.
    QByteArray binary;
    QRandomGenerator random(42);
    for (int i = 0; i < 200000; ++i)
        binary.append(static_cast<char>(random.bounded(256)));
    binary.append("\n[Hidden]\nkey=found\n");
    binary.append(QByteArray("\x00\xFF\x81\r\r[\x81", 7));
    writeAll(Ini, binary);
    EXPECT_EQ(qz.IniRead(u("Hidden"), u("key"), Ini), u("found"));
    EXPECT_EQ(qz.IniRead(u("Nowhere"), u("key"), Ini), u("error"));
    ASSERT_TRUE(qz.IniWrite(u("Hidden"), u("new"), u("1"), Ini));
    const QByteArray written = readAll(Ini);
    EXPECT_TRUE(written.startsWith(binary.left(binary.indexOf("[Hidden]"))));
    EXPECT_EQ(qz.IniRead(u("Hidden"), u("new"), Ini), u("1"));

    // Lines of megabytes: a giant value, a giant section name, a giant line without "=".
    const QByteArray mega(3 * 1024 * 1024, 'm');
    writeAll(Ini, "[" + mega + "]\n" + mega + "\n[Big]\nvalue=" + mega + "\n");
    EXPECT_EQ(qz.IniRead(u("Big"), u("value"), Ini), QString(254, QLatin1Char('m')));
    ASSERT_TRUE(qz.IniWrite(u("Big"), u("value"), u("small"), Ini));
    EXPECT_EQ(readAll(Ini), "[" + mega + "]\n" + mega + "\n[Big]\nvalue=small\n");

    // No sections at all: keys there belong to none; a write adds a section after them.
    const QByteArray flat = "a=1\r\nb=2\r\n";
    writeAll(Ini, flat);
    EXPECT_EQ(qz.IniRead(QString(), u("a"), Ini), u("error"));
    ASSERT_TRUE(qz.IniWrite(u("S"), u("a"), u("3"), Ini));
    EXPECT_EQ(readAll(Ini), flat + "[S]\r\na=3\r\n");

    // An empty file and a file of nothing but a line break.
    writeAll(Ini, QByteArray());
    EXPECT_EQ(qz.IniRead(u("S"), u("a"), Ini), u("error"));
    ASSERT_TRUE(qz.IniWrite(u("S"), u("a"), u("1"), Ini));
    EXPECT_EQ(readAll(Ini), QByteArray("[S]\r\na=1\r\n"));
}

TEST(ProfileFile, TooLargeFilesAreLeftAlone)
{
    TempCwd cwd;
    QzCmn14 qz;
    {
        QFile f(Ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[A]\r\nx=1\r\n");
        ASSERT_TRUE(f.resize(ProfileFileMaxBytes + 1));
    }
    EXPECT_EQ(qz.IniRead(u("A"), u("x"), Ini), u("error"));
    EXPECT_FALSE(qz.IniWrite(u("A"), u("x"), u("2"), Ini));
    EXPECT_EQ(QFileInfo(Ini).size(), ProfileFileMaxBytes + 1);
}

TEST(ProfileFile, ValueLookupOnBytes)
{
    // The byte-level reader, as the fuzzer and the file functions see it.
    EXPECT_EQ(findProfileValue("[a]\nk=v", u("A"), u("K")), std::optional<QByteArray>("v"));
    EXPECT_EQ(findProfileValue("[a]\nk=v", u("b"), u("k")), std::nullopt);
    EXPECT_EQ(findProfileValue("k=v\n[a]", u("a"), u("k")), std::nullopt);
    EXPECT_EQ(findProfileValue("[a\nk=v", u("a"), u("k")), std::nullopt);
    EXPECT_EQ(findProfileValue("[a]junk\nk = = v", u("a"), u("k")), std::optional<QByteArray>("= v"));
    EXPECT_EQ(setProfileValue("[a]\nk=v", u("a"), u("k"), u("w")), std::optional<QByteArray>("[a]\nk=w"));
    QString why;
    EXPECT_EQ(setProfileValue("", u("a"), u(""), u("w"), &why), std::nullopt);
    EXPECT_FALSE(why.isEmpty());
}
