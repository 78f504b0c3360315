#include "core/ProfileFile.h"
#include "core/Cp932.h"
#include "platform/QzCmn14.h"

#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Ini = QStringLiteral("test.ini");

class ProfileFile : public testing::Test {
protected:
    QString read(const QString &section, const QString &key) { return qz.IniRead(section, key, Ini); }
    bool write(const QString &section, const QString &key, const QString &value)
    {
        return qz.IniWrite(section, key, value, Ini);
    }

    TempCwd cwd;
    QzCmn14 qz;
};

} // namespace

TEST_F(ProfileFile, WritesCreateOrUpdateTheirLineAndKeepEveryOtherByte)
{
    const QByteArray handWritten = "; written by hand\norphan=1\n\n[Main]\n  ; the port\nPort = 9   \nnot a key line\n"
                                   "Count=3\n\n; about the PCs\n[PCs]\nPC1=Server\n[main]\nPort=7\n";
    const QByteArray wide = toCp932("[ＷＩＤＥ]\r\nｋｅｙ=2\r\n");
    struct Case {
        const char *what;
        QByteArray before; // null: no file
        QList<QStringList> writes;
        QByteArray after;
    };
    const QList<Case> cases{
        {"a missing file is created", {}, {{"Net", "Host", "pc1.local"}}, "[Net]\r\nHost=pc1.local\r\n"},
        {"a key joins its section, a section follows the last",
         "[Net]\r\nHost=pc1.local\r\n",
         {{"Net", "Port", "9"}, {"PC", "Name", "Server"}, {"Net", "Host", "127.0.1.20"}},
         "[Net]\r\nHost=127.0.1.20\r\nPort=9\r\n[PC]\r\nName=Server\r\n"},
        {"trailing blanks and empty values are written",
         "",
         {{"S", "Trail", "abc   "}, {"S", "Host", ""}},
         "[S]\r\nTrail=abc   \r\nHost=\r\n"},
        {"a last line without line break", "[A]\r\nx=1", {{"A", "y", "2"}}, "[A]\r\nx=1\r\ny=2\r\n"},
        {"a new section after a last line without line break",
         "[A]\r\nx=1",
         {{"B", "z", "3"}},
         "[A]\r\nx=1\r\n[B]\r\nz=3\r\n"},
        {"another case updates the line and keeps its spelling", "[A]\r\nx=1", {{"a", "X", "22"}}, "[A]\r\nx=22"},
        {"full-width letters match their case too",
         "[Network]\r\nHostName=alpha\r\n" + wide,
         {{"NETWORK", "hostname", "beta"}, {"ｗｉｄｅ", "ＫＥＹ", "3"}},
         "[Network]\r\nHostName=beta\r\n" + toCp932("[ＷＩＤＥ]\r\nｋｅｙ=3\r\n")},
        {"LF line ends, comments, odd lines and a repeated section",
         handWritten,
         {{"Main", "Port", "40000"}, {"Main", "Sound", "on"}, {"New", "Key", "v"}},
         "; written by hand\norphan=1\n\n[Main]\n  ; the port\nPort = 40000\nnot a key line\nCount=3\nSound=on\n\n"
         "; about the PCs\n[PCs]\nPC1=Server\n[main]\nPort=7\n[New]\nKey=v\n"},
        {"keys before any section belong to none", "a=1\r\nb=2\r\n", {{"S", "a", "3"}}, "a=1\r\nb=2\r\n[S]\r\na=3\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(Ini);
        if (!c.before.isNull())
            writeAll(Ini, c.before);
        for (const QStringList &w : c.writes)
            EXPECT_TRUE(write(w[0], w[1], w[2])) << w.join(',').toStdString();
        EXPECT_EQ(readAll(Ini), c.after);
        // What was written reads back, trailing blanks removed and an empty value as "error".
        for (const QStringList &w : c.writes)
            EXPECT_EQ(read(w[0], w[1]), w[2].trimmed().isEmpty() ? QStringLiteral("error") : w[2].trimmed());
    }
}

TEST_F(ProfileFile, ReadsMatchWithoutRegardToCaseAndGiveErrorForNothing)
{
    writeAll(Ini, "orphan=1\r\n[Net]\r\nEmpty=\r\nBlanks=   \r\nWord=error\r\n  Spaced  =  two words \t\r\n"
                  "Quoted=\"  inner  \"\r\nSingle='x'\r\nLone=\"\r\n[ Spaced ]\r\nk=1\r\n[net]\r\nLater=1\r\n");
    const QList<std::array<const char *, 3>> cases{
        {"Net", "Spaced", "two words"},
        {"NET", "spaced", "two words"},
        {"spaced", " K ", "1"},
        // Enclosing quotes go, and the blanks they kept at the end go with the final trimming.
        {"Net", "Quoted", "  inner"},
        {"Net", "Single", "x"},
        {"Net", "Lone", "\""},
        // Nothing read gives "error"; the reserved word can't be told apart from a failure. The first
        // section of a name is the one that counts.
        {"Net", "Empty", "error"},
        {"Net", "Blanks", "error"},
        {"Net", "Missing", "error"},
        {"Other", "Empty", "error"},
        {"Net", "Word", "error"},
        {"Net", "orphan", "error"},
        {"", "orphan", "error"},
        {"Net", "Later", "error"}};
    for (const auto &[section, key, value] : cases)
        EXPECT_EQ(read(section, key), QString::fromUtf8(value)) << section << "/" << key;
    EXPECT_EQ(qz.IniRead("Net", "Empty", "no-such.ini"), QStringLiteral("error"));
}

TEST_F(ProfileFile, JapaneseTextIsStoredInCodePage932)
{
    const QString section = QStringLiteral("設定"), key = QStringLiteral("名前");
    const QString value = QStringLiteral("開発用サーバー ｱｲｳ");
    ASSERT_TRUE(write(section, key, value));
    EXPECT_EQ(readAll(Ini), "[" + toCp932(section) + "]\r\n" + toCp932(key) + "=" + toCp932(value) + "\r\n");
    EXPECT_EQ(read(section, key), value);
    // "ソ" ends in 0x5C and "ー" is 0x815B: bytes that look like "\" and "[" must not confuse the reader.
    ASSERT_TRUE(write("ソ[ー", "表示", "ソフト]ー[表"));
    EXPECT_EQ(read("ソ[ー", "表示"), QStringLiteral("ソフト]ー[表"));
}

TEST_F(ProfileFile, LongValuesAreCutToTheBuffer)
{
    QString value;
    for (int i = 0; i < 300; ++i)
        value.append(QLatin1Char('a' + i % 26));
    const QString kanji(150, QChar(0x6F22)); // 300 bytes
    const QString blanksAtCut = QString(250, u'b') + QString(10, u' ') + QStringLiteral("tail");
    const QList<std::array<QString, 3>> cases{
        {"Long", value, value.left(254)},
        // 127 kanji fill 254 bytes; one byte in front, the 127th would need bytes 254 and 255 and is left out.
        {"Kanji", kanji, kanji.left(127)},
        {"Mixed", "x" + kanji, "x" + kanji.left(126)},
        // Cut after blanks: those are removed too.
        {"Cut", blanksAtCut, QString(250, u'b')}};
    for (const auto &[key, written, seen] : cases) {
        ASSERT_TRUE(write("S", key, written));
        EXPECT_EQ(read("S", key), seen) << key.toStdString();
    }
    // The file keeps the whole value.
    EXPECT_TRUE(readAll(Ini).contains("Long=" + value.toLatin1() + "\r\n"));
}

TEST_F(ProfileFile, WritesThatWouldDamageTheFileOrCannotBeDoneAreRefused)
{
    const QByteArray before = "[A]\r\nx=1\r\n";
    writeAll(Ini, before);
    const QList<std::array<QString, 3>> cases{{"A", "x", "1\r\n[Evil]\r\ny=2"},
                                              {"A", "x\ny", "1"},
                                              {"A]", "x", "1"},
                                              {"A", "k=v", "1"},
                                              {"A", "   ", "1"},
                                              {"A", ";c", "1"},
                                              {"A", "x", QString(QChar(0))},
                                              // Code page 932 has no emoji: storing "?" would change the value.
                                              {"A", "x", "smile \U0001F600"}};
    for (const auto &[section, key, value] : cases)
        EXPECT_FALSE(write(section, key, value)) << key.toStdString() << "=" << value.toStdString();
    QFile::setPermissions(Ini, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_FALSE(write("A", "x", "2"));
    QFile::setPermissions(Ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readAll(Ini), before);

    EXPECT_FALSE(qz.IniWrite("A", "x", "1", "no-such-folder/test.ini"));
    EXPECT_FALSE(QFileInfo::exists("no-such-folder"));
    // A folder isn't a profile file.
    EXPECT_FALSE(qz.IniWrite("A", "x", "1", cwd.path()));
    EXPECT_EQ(qz.IniRead("A", "x", cwd.path()), QStringLiteral("error"));
}

TEST_F(ProfileFile, BadFilesNeverCrash)
{
    // Binary bytes: NULs, lone lead bytes, 0xFF, stray CRs, with a readable pair hidden inside.
    QByteArray binary(200000, Qt::Uninitialized);
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32 *>(binary.data()), binary.size() / 4);
    binary.append("\n[Hidden]\nkey=found\n");
    binary.append(QByteArray("\x00\xFF\x81\r\r[\x81", 7));
    writeAll(Ini, binary);
    EXPECT_EQ(read("Hidden", "key"), QStringLiteral("found"));
    EXPECT_EQ(read("Nowhere", "key"), QStringLiteral("error"));
    ASSERT_TRUE(write("Hidden", "new", "1"));
    EXPECT_TRUE(readAll(Ini).startsWith(binary.left(binary.indexOf("[Hidden]"))));
    EXPECT_EQ(read("Hidden", "new"), QStringLiteral("1"));

    // Lines of megabytes: a giant value, a giant section name, a giant line without "=".
    const QByteArray mega(3 * 1024 * 1024, 'm');
    writeAll(Ini, "[" + mega + "]\n" + mega + "\n[Big]\nvalue=" + mega + "\n");
    EXPECT_EQ(read("Big", "value"), QString(254, QLatin1Char('m')));
    ASSERT_TRUE(write("Big", "value", "small"));
    EXPECT_EQ(readAll(Ini), "[" + mega + "]\n" + mega + "\n[Big]\nvalue=small\n");

    // Too large a file is left alone.
    {
        QFile f(Ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[A]\r\nx=1\r\n");
        ASSERT_TRUE(f.resize(ProfileFileMaxBytes + 1));
    }
    EXPECT_EQ(read("A", "x"), QStringLiteral("error"));
    EXPECT_FALSE(write("A", "x", "2"));
    EXPECT_EQ(QFileInfo(Ini).size(), ProfileFileMaxBytes + 1);
}

TEST(ProfileBytes, ValueLookupOnBytes)
{
    // The byte-level reader, as the fuzzer and the file functions see it.
    EXPECT_EQ(findProfileValue("[a]\nk=v", "A", "K"), std::optional<QByteArray>("v"));
    EXPECT_EQ(findProfileValue("[a]\nk=v", "b", "k"), std::nullopt);
    EXPECT_EQ(findProfileValue("k=v\n[a]", "a", "k"), std::nullopt);
    EXPECT_EQ(findProfileValue("[a\nk=v", "a", "k"), std::nullopt);
    EXPECT_EQ(findProfileValue("[a]junk\nk = = v", "a", "k"), std::optional<QByteArray>("= v"));
    EXPECT_EQ(setProfileValue("[a]\nk=v", "a", "k", "w"), std::optional<QByteArray>("[a]\nk=w"));
    QString why;
    EXPECT_EQ(setProfileValue("", "a", "", "w", &why), std::nullopt);
    EXPECT_FALSE(why.isEmpty());
}
