#include "core/SettingsFile.h"
#include "app/SettingsModule.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Ini = QStringLiteral("System.ini");

QByteArray bytes(std::initializer_list<unsigned char> list)
{
    QByteArray b;
    for (unsigned char c : list)
        b += static_cast<char>(c);
    return b;
}

// The 1,200-byte record area built from the record rules, independent of the writer: record k
// at 20(k − 1), blanks elsewhere.
QByteArray recordArea(const QList<QPair<int, QByteArray>> &records)
{
    QByteArray area(1200, ' ');
    for (const auto &[record, text] : records)
        area.replace((record - 1) * 20, text.size(), text);
    return area;
}

// The trailer as the layout defines it: magic, then record number, length and text per entry, then 0.
QByteArray trailer(const QList<QPair<int, QByteArray>> &entries)
{
    QByteArray t("ORVANE\0\1", 8);
    for (const auto &[record, text] : entries)
        t += static_cast<char>(record) + QByteArray(1, static_cast<char>(text.size())) + text;
    return t + '\0';
}

SettingsGrid blankGrid()
{
    SettingsGrid g;
    for (int r = 0; r < SettingsRows; ++r)
        for (int c = 0; c < SettingsColumns; ++c)
            g.set(r, c, QString());
    return g;
}

SettingsGrid load()
{
    SettingsGrid g;
    readSettingsFile(Ini, g);
    return g;
}

// What a write would change: content, inode (a replacement), mode and modification time.
struct FileState {
    QByteArray content;
    ino_t inode = 0;
    mode_t mode = 0;
    timespec mtime{};
    bool operator==(const FileState &o) const
    {
        return content == o.content && inode == o.inode && mode == o.mode && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileState stateOf(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    FileState s{QByteArray(), st.st_ino, st.st_mode, st.st_mtim};
    if (S_ISREG(st.st_mode))
        s.content = readAll(path);
    return s;
}

// An old modification time, so that even a rewrite within the same second shows.
void makeOld(const QString &path)
{
    const timespec times[2] = {{978307200, 0}, {978307200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

QStringList folderEntries(const QString &path = QStringLiteral("."))
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// PC1 as a user sets it up: single-byte only.
SettingsGrid serverGrid()
{
    SettingsGrid g = blankGrid();
    g.set(0, 0, QStringLiteral("9"));
    g.set(0, 1, QStringLiteral("5"));
    const QStringList pc1 = {"Server", "192.168.0.10", "00", "11", "22", "33", "44", "55", "1", "07:30:00"};
    for (int c = 0; c < SettingsColumns; ++c)
        g.set(1, c, pc1.at(c));
    return g;
}

QByteArray serverFile()
{
    return recordArea({{1, "9"},
                       {2, "5"},
                       {11, "Server"},
                       {12, "192.168.0.10"},
                       {13, "00"},
                       {14, "11"},
                       {15, "22"},
                       {16, "33"},
                       {17, "44"},
                       {18, "55"},
                       {19, "1"},
                       {20, "07:30:00"}});
}

} // namespace

// ---- The record layout of single-byte settings ----

TEST(SettingsFileLayout, SingleByteSettingsGiveExactlyTheTwelveHundredByteLayout)
{
    TempCwd cwd;
    ASSERT_TRUE(writeSettingsFile(Ini, serverGrid()));
    const QByteArray file = readAll(Ini);
    ASSERT_EQ(file.size(), 1200);
    EXPECT_EQ(file, serverFile());
    EXPECT_EQ(file.left(20), QByteArray("9") + QByteArray(19, ' '));
    EXPECT_EQ(file.mid(20, 20), QByteArray("5") + QByteArray(19, ' '));
    EXPECT_EQ(file.mid(40, 160), QByteArray(160, ' ')); // records 3 to 10, the spare fields
    EXPECT_EQ(file.mid(200, 20), QByteArray("Server") + QByteArray(14, ' '));
    EXPECT_EQ(file.mid(360, 20), QByteArray("1") + QByteArray(19, ' ')); // the timer flag, one digit
}

TEST(SettingsFileLayout, OriginalFileLoadsWithExactlyItsValuesAndSavesIdentically)
{
    TempCwd cwd;
    writeAll(Ini, serverFile());
    const SettingsGrid g = load();
    EXPECT_EQ(g, serverGrid());
    EXPECT_EQ(g.value(1, 1), QStringLiteral("192.168.0.10"));
    EXPECT_EQ(g.value(2, 0), QString()); // records 21 to 60 are blank: unset PCs
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    EXPECT_EQ(readAll(Ini), serverFile());
}

TEST(SettingsFileLayout, EverySingleByteCharacterSurvivesByteForByte)
{
    // All 191 single-byte codes (0x00 to 0x7F, half-width katakana 0xA1 to 0xDF), 20 to a record.
    QByteArray codes;
    QString expected;
    for (int b = 0x00; b <= 0xDF; ++b) {
        if (b >= 0x80 && b <= 0xA0)
            continue;
        codes += static_cast<char>(b);
        expected += b < 0x80 ? QChar(b) : QChar(0xFF61 + (b - 0xA1));
    }
    QByteArray file = codes;
    file.append(1200 - file.size(), ' ');
    TempCwd cwd;
    writeAll(Ini, file);
    const SettingsGrid g = load();
    for (int k = 0; k * 20 < codes.size(); ++k)
        EXPECT_EQ(g.at(k / 10, k % 10), fixedField(expected.mid(k * 20, 20))) << "record " << k + 1;
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    EXPECT_EQ(readAll(Ini), file);
}

TEST(SettingsFileLayout, NeverLoadedFieldsAreTwentyNulBytes)
{
    TempCwd cwd;
    SettingsGrid g; // 20 NULs per field: 20 bytes each
    g.set(0, 0, QStringLiteral("9"));
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    QByteArray expected(1200, '\0');
    expected.replace(0, 20, QByteArray("9") + QByteArray(19, ' '));
    EXPECT_EQ(readAll(Ini), expected);
    EXPECT_EQ(load(), g);
}

TEST(SettingsFileLayout, LongNamesAreCutToTwentyCharacters)
{
    TempCwd cwd;
    SettingsGrid g = blankGrid();
    g.set(3, 0, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    EXPECT_EQ(readAll(Ini), recordArea({{31, "ABCDEFGHIJKLMNOPQRST"}}));
    EXPECT_EQ(load().value(3, 0), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
}

TEST(SettingsFileLayout, SaveSettingsWritesTheEditTableToTheCurrentFolder)
{
    TempCwd cwd;
    const SettingsGrid previous = SettingsEditTable;
    SettingsEditTable = serverGrid();
    const bool saved = SaveSettings();
    SettingsEditTable = previous;
    ASSERT_TRUE(saved);
    EXPECT_EQ(readAll(cwd.file(Ini)), serverFile());
}

// ---- Double-byte and unmappable text ----

TEST(SettingsFileText, TwentyKanjiKeepACutRecordAndTheirTextInTheTrailer)
{
    TempCwd cwd;
    const QString name = QString::fromUtf8("日本日本日本日本日本日本日本日本日本日本");
    SettingsGrid g = blankGrid();
    g.set(1, 0, name);
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    const QByteArray ten = bytes({0x93, 0xFA, 0x96, 0x7B}).repeated(5); // the first ten kanji
    EXPECT_EQ(readAll(Ini), recordArea({{11, ten}}) + trailer({{11, name.toUtf8()}}));
    EXPECT_EQ(load().value(1, 0), name);
    EXPECT_EQ(load(), g);
}

TEST(SettingsFileText, FieldsThatFitTwentyBytesNeedNoTrailer)
{
    TempCwd cwd;
    SettingsGrid g = blankGrid();
    g.set(1, 0, QString::fromUtf8("サーバー1号機"));        // 13 bytes
    g.set(2, 0, QString::fromUtf8("ｻｰﾊﾞｰ"));                // half-width katakana, 5 bytes
    g.set(3, 0, QString::fromUtf8("あいうえおかきくけこ")); // exactly 20 bytes
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    const QByteArray server = bytes({0x83, 0x54, 0x81, 0x5B, 0x83, 0x6F, 0x81, 0x5B, 0x31, 0x8D, 0x86, 0x8B, 0x40});
    const QByteArray kana = bytes({0x82, 0xA0, 0x82, 0xA2, 0x82, 0xA4, 0x82, 0xA6, 0x82, 0xA8,
                                   0x82, 0xA9, 0x82, 0xAB, 0x82, 0xAD, 0x82, 0xAF, 0x82, 0xB1});
    EXPECT_EQ(readAll(Ini), recordArea({{11, server}, {21, bytes({0xBB, 0xB0, 0xCA, 0xDE, 0xB0})}, {31, kana}}));
    EXPECT_EQ(load(), g);
}

TEST(SettingsFileText, ADoubleByteCharacterNeverStraddlesTheRecordEnd)
{
    TempCwd cwd;
    const QString host = QString(19, u'a') + QString::fromUtf8("あ");
    const QString mixed = QString::fromUtf8("PC-あいうえおかきくけこさ"); // 3 + 24 bytes
    SettingsGrid g = blankGrid();
    g.set(1, 1, host);
    g.set(5, 9, mixed);
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    const QByteArray file = readAll(Ini);
    EXPECT_EQ(file.mid(220, 20), QByteArray(19, 'a') + ' ');
    // "PC-" and eight kana are 19 bytes; the ninth doesn't fit.
    EXPECT_EQ(file.mid(1180, 20), QByteArray("PC-") +
                                      bytes({0x82, 0xA0, 0x82, 0xA2, 0x82, 0xA4, 0x82, 0xA6, 0x82, 0xA8, 0x82, 0xA9,
                                             0x82, 0xAB, 0x82, 0xAD}) +
                                      ' ');
    EXPECT_EQ(file.mid(1200), trailer({{12, host.toUtf8()}, {60, mixed.toUtf8()}}));
    EXPECT_EQ(load(), g);
}

TEST(SettingsFileText, CharactersCodePage932CannotHoldBecomeQuestionMarksAndComeBack)
{
    TempCwd cwd;
    const QString accent = QString::fromUtf8("Café");
    const QString emoji = QString::fromUtf8("PC😀");
    const QString lone = QStringLiteral("A") + QChar(0xD800) + QStringLiteral("B");
    const QString waveDash = QString::fromUtf8("朝〜夜"); // U+301C, mapped one way to 0x8160
    SettingsGrid g = blankGrid();
    g.set(1, 0, accent);
    g.set(2, 0, emoji);
    g.set(3, 0, lone);
    g.set(4, 0, waveDash);
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    const QByteArray expected =
        recordArea({{11, "Caf?"}, {21, "PC??"}, {31, "A?B"}, {41, bytes({0x92, 0xA9, 0x81, 0x60, 0x96, 0xE9})}}) +
        trailer({{11, accent.toUtf8()},
                 {21, emoji.toUtf8()},
                 {31, bytes({'A', 0xED, 0xA0, 0x80, 'B'})}, // the lone surrogate in its 3-byte form
                 {41, waveDash.toUtf8()}});
    EXPECT_EQ(readAll(Ini), expected);
    const SettingsGrid loaded = load();
    EXPECT_EQ(loaded.value(1, 0), accent);
    EXPECT_EQ(loaded.value(2, 0), emoji);
    EXPECT_EQ(loaded.value(3, 0), lone);
    EXPECT_EQ(loaded.value(4, 0), waveDash);
    EXPECT_EQ(loaded, g);
}

TEST(SettingsFileText, FieldsStartingWithByteOrderMarksComeBackUnchanged)
{
    TempCwd cwd;
    const QString bom = QChar(0xFEFF) + QStringLiteral("PC");
    const QString swapped = QChar(0xFFFE) + QStringLiteral("PC");
    SettingsGrid g = blankGrid();
    g.set(1, 0, bom);
    g.set(2, 0, swapped);
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    EXPECT_EQ(readAll(Ini),
              recordArea({{11, "?PC"}, {21, "?PC"}}) +
                  trailer({{11, bytes({0xEF, 0xBB, 0xBF, 'P', 'C'})}, {21, bytes({0xEF, 0xBF, 0xBE, 'P', 'C'})}}));
    const SettingsGrid loaded = load();
    EXPECT_EQ(loaded.value(1, 0), bom);
    EXPECT_EQ(loaded.value(2, 0), swapped);
    EXPECT_EQ(loaded, g);
}

TEST(SettingsFileText, AFullTableOfMixedTextRoundTripsAndSavesStably)
{
    const QStringList samples = {"",
                                 "9",
                                 "  lead",
                                 "開発用サーバー",
                                 "ｻｰﾊﾞｰ",
                                 "𠮷野家",
                                 "Ünïcödé",
                                 "ABCDEFGHIJKLMNOPQRST",
                                 "日本語のとても長い名前です",
                                 "tab\there",
                                 "~\\",
                                 "①②Ⅰ㈱",
                                 "¥100"};
    SettingsGrid g;
    for (int k = 0; k < RecordCount; ++k)
        g.set(k / 10, k % 10, samples.at(k % samples.size()));
    TempCwd cwd;
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    const QByteArray first = readAll(Ini);
    EXPECT_EQ(load(), g);
    ASSERT_TRUE(writeSettingsFile(Ini, load()));
    EXPECT_EQ(readAll(Ini), first);
}

// ---- The trailer read defensively ----

TEST(SettingsFileTrailer, AnEntryWhoseRecordWasEditedElsewhereIsIgnored)
{
    TempCwd cwd;
    SettingsGrid g = blankGrid();
    g.set(1, 0, QString::fromUtf8("日本日本日本日本日本日本"));
    g.set(2, 0, QString::fromUtf8("Café"));
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    // Another tool rewrites record 11 in place and keeps the rest.
    QByteArray file = readAll(Ini);
    file.replace(200, 20, QByteArray("Other") + QByteArray(15, ' '));
    writeAll(Ini, file);
    const SettingsGrid loaded = load();
    EXPECT_EQ(loaded.value(1, 0), QStringLiteral("Other"));
    EXPECT_EQ(loaded.value(2, 0), QString::fromUtf8("Café"));
}

TEST(SettingsFileTrailer, AMalformedTrailerIsIgnoredWhole)
{
    const QByteArray area = recordArea({{11, "Caf?"}, {21, "PC??"}});
    const QByteArray good = trailer({{11, "Caf\xC3\xA9"}, {21, "PC\xF0\x9F\x98\x80"}});
    struct Case {
        const char *what;
        QByteArray tail;
    };
    const QList<Case> cases = {
        {"no end byte", good.chopped(1)},
        {"bytes after the end", good + 'x'},
        {"records out of order", trailer({{21, "PC\xF0\x9F\x98\x80"}, {11, "Caf\xC3\xA9"}})},
        {"record 61", trailer({{11, "Caf\xC3\xA9"}, {61, "x"}})},
        {"length beyond the end", QByteArray("ORVANE\0\1", 8) + "\x0b\x30" + "Caf\xC3\xA9" + '\0'},
        {"invalid UTF-8", trailer({{11, "Caf\xC3\xA9"}, {21, "PC\xC0\x80"}})},
        {"text over 20 characters", trailer({{11, "Caf\xC3\xA9"}, {21, QByteArray(21, 'x')}})},
        {"other version", QByteArray(good).replace(7, 1, "\2")},
    };
    TempCwd cwd;
    writeAll(Ini, area + good);
    ASSERT_EQ(load().value(2, 0), QString::fromUtf8("PC😀")); // the well-formed trailer is read
    for (const Case &c : cases) {
        writeAll(Ini, area + c.tail);
        const SettingsGrid g = load();
        EXPECT_EQ(g.value(1, 0), QStringLiteral("Caf?")) << c.what;
        EXPECT_EQ(g.value(2, 0), QStringLiteral("PC??")) << c.what;
    }
}

// ---- Saves that fail leave the file as it was ----

TEST(SettingsFileSave, AReadOnlyFileIsNotReplaced)
{
    TempCwd cwd;
    writeAll(Ini, serverFile());
    ASSERT_EQ(::chmod("System.ini", 0444), 0);
    makeOld(Ini);
    const FileState before = stateOf(Ini);
    QString error;
    EXPECT_FALSE(writeSettingsFile(Ini, blankGrid(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(stateOf(Ini), before);
    EXPECT_EQ(folderEntries(), QStringList{Ini}); // no half-written file left behind
}

TEST(SettingsFileSave, ADirectoryNamedSystemIniIsLeftAlone)
{
    TempCwd cwd;
    ASSERT_TRUE(QDir().mkdir(Ini));
    EXPECT_FALSE(writeSettingsFile(Ini, serverGrid()));
    EXPECT_TRUE(QFileInfo(Ini).isDir());
    EXPECT_TRUE(folderEntries(Ini).isEmpty());
    EXPECT_EQ(folderEntries(), QStringList{Ini});
}

TEST(SettingsFileSave, AFolderThatCannotHoldTheFileFails)
{
    TempCwd cwd;
    // Root may write anywhere, but nobody can create a file inside a regular file or a missing folder.
    writeAll(QStringLiteral("notadir"), "keep");
    EXPECT_FALSE(writeSettingsFile(QStringLiteral("notadir/System.ini"), serverGrid()));
    EXPECT_FALSE(writeSettingsFile(QStringLiteral("missing/System.ini"), serverGrid()));
    EXPECT_EQ(readAll(QStringLiteral("notadir")), QByteArray("keep"));
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("notadir")});
}

TEST(SettingsFileSave, ADiskFullMidWriteKeepsTheOldFile)
{
    TempCwd cwd;
    writeAll(Ini, serverFile());
    makeOld(Ini);
    const FileState before = stateOf(Ini);
    // A file size limit below the new file's size fails the write part way, as a full disk would.
    SettingsGrid g = serverGrid();
    g.set(1, 0, QString::fromUtf8("日本日本日本日本日本日本日本"));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = writeSettingsFile(Ini, g);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(stateOf(Ini), before);
    EXPECT_EQ(folderEntries(), QStringList{Ini});
}

TEST(SettingsFileSave, ASaveReplacesTheWholeFileAndKeepsItsMode)
{
    TempCwd cwd;
    writeAll(Ini, QByteArray(5000, 'x'));
    ASSERT_EQ(::chmod("System.ini", 0640), 0);
    ASSERT_TRUE(writeSettingsFile(Ini, serverGrid()));
    EXPECT_EQ(readAll(Ini), serverFile()); // nothing of the old, longer file remains
    EXPECT_EQ(stateOf(Ini).mode & 07777, 0640u);
    EXPECT_EQ(folderEntries(), QStringList{Ini});
}

TEST(SettingsFileSave, ASymbolicLinkKeepsPointingAtTheUpdatedFile)
{
    TempCwd cwd;
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("data")));
    writeAll(QStringLiteral("data/real.ini"), QByteArray());
    ASSERT_EQ(::symlink("data/real.ini", "System.ini"), 0);
    ASSERT_TRUE(writeSettingsFile(Ini, serverGrid()));
    EXPECT_TRUE(QFileInfo(Ini).isSymLink());
    EXPECT_EQ(readAll(QStringLiteral("data/real.ini")), serverFile());
}

// ---- Any file named System.ini loads without a crash and without a write ----

TEST(SettingsFileLoad, AMissingFileIsCreatedEmptyAndReadsAsBlanks)
{
    TempCwd cwd;
    const SettingsGrid g = load();
    EXPECT_EQ(g, blankGrid());
    EXPECT_TRUE(QFileInfo(Ini).isFile());
    EXPECT_EQ(QFileInfo(Ini).size(), 0);
    // A missing folder: nothing to create, still blanks.
    SettingsGrid elsewhere;
    readSettingsFile(QStringLiteral("missing/System.ini"), elsewhere);
    EXPECT_EQ(elsewhere, blankGrid());
}

TEST(SettingsFileLoad, ShortFilesReadTheMissingRecordsAsBlanks)
{
    QByteArray almost = serverFile();
    almost.replace(1180, 8, "12:00:00");
    almost.chop(1); // 1,199 bytes: the last record lacks one blank
    struct Case {
        QByteArray file;
        SettingsGrid expected;
    };
    SettingsGrid one = blankGrid();
    one.set(0, 0, QStringLiteral("7"));
    SettingsGrid last = serverGrid();
    last.set(5, 9, QStringLiteral("12:00:00"));
    const QList<Case> cases = {{QByteArray(), blankGrid()}, {"7", one}, {almost, last}};
    for (const Case &c : cases) {
        TempCwd cwd;
        writeAll(Ini, c.file);
        makeOld(Ini);
        const FileState before = stateOf(Ini);
        EXPECT_EQ(load(), c.expected) << c.file.size() << " bytes";
        EXPECT_EQ(stateOf(Ini), before) << c.file.size() << " bytes";
    }
}

TEST(SettingsFileLoad, BrokenDoubleByteSequencesReadAsReplacementCharacters)
{
    TempCwd cwd;
    QByteArray file = recordArea({});
    file.replace(0, 20, QByteArray(19, 'a') + '\x82');     // a lead byte cut off by the record end
    file.replace(20, 20, bytes({0xA0, 'b'}));              // its trail byte alone is no character
    file.replace(200, 4, bytes({0x82, 0x20, 0xFF, 0x80})); // lead before a blank, bytes no sequence starts with
    writeAll(Ini, file);
    const SettingsGrid g = load();
    const QChar bad = QChar::ReplacementCharacter;
    EXPECT_EQ(g.value(0, 0), QString(19, u'a') + bad);
    EXPECT_EQ(g.at(0, 1), fixedField(QString::fromUtf8("b").prepend(bad)));
    EXPECT_EQ(g.value(1, 0), QString(bad) + QLatin1Char(' ') + bad + bad);
    EXPECT_EQ(g.value(1, 1), QString());
}

TEST(SettingsFileLoad, MegabytesOfRandomBytesLoadWithoutHarm)
{
    TempCwd cwd;
    QRandomGenerator random(20240607);
    QByteArray noise(3 * 1024 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    for (const QByteArray &file : {noise, noise.left(1200) + trailer({{11, "x"}}) + noise.left(1000)}) {
        writeAll(Ini, file);
        makeOld(Ini);
        const FileState before = stateOf(Ini);
        const SettingsGrid g = load();
        for (int k = 0; k < RecordCount; ++k)
            ASSERT_EQ(g.at(k / 10, k % 10).size(), 20);
        SettingsGrid again = g;
        readSettingsFile(Ini, again);
        EXPECT_EQ(again, g);
        EXPECT_EQ(stateOf(Ini), before);
    }
}

TEST(SettingsFileLoad, ADirectoryKeepsLoadedFieldsAndLeavesNoNuls)
{
    TempCwd cwd;
    ASSERT_TRUE(QDir().mkdir(Ini));
    // Never loaded: the NULs would pass for a name, a host and MAC bytes; they become blanks.
    EXPECT_EQ(load(), blankGrid());
    // Loaded before: a field whose read fails keeps what it held.
    SettingsGrid loaded = serverGrid();
    readSettingsFile(Ini, loaded);
    EXPECT_EQ(loaded, serverGrid());
    EXPECT_TRUE(QFileInfo(Ini).isDir());
    EXPECT_TRUE(folderEntries(Ini).isEmpty());
}

TEST(SettingsFileLoad, AFifoDoesNotBlockTheLoad)
{
    TempCwd cwd;
    ASSERT_EQ(::mkfifo("System.ini", 0644), 0);
    auto loading = std::async(std::launch::async, [] {
        SettingsGrid g = serverGrid();
        readSettingsFile(Ini, g);
        return g;
    });
    if (loading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        // Release the blocked reader so that the test can end.
        ::close(::open("System.ini", O_WRONLY | O_NONBLOCK));
        FAIL() << "reading a FIFO blocked";
    }
    EXPECT_EQ(loading.get(), serverGrid());
    struct stat st {};
    ASSERT_EQ(::lstat("System.ini", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SettingsFileLoad, LoadingTwiceGivesTheSameTable)
{
    TempCwd cwd;
    SettingsGrid saved = serverGrid();
    saved.set(2, 0, QString::fromUtf8("日本日本日本日本日本日本"));
    ASSERT_TRUE(writeSettingsFile(Ini, saved));
    makeOld(Ini);
    const FileState before = stateOf(Ini);
    SettingsGrid table;
    readSettingsFile(Ini, table);
    const SettingsGrid once = table;
    readSettingsFile(Ini, table); // the nested load at start-up
    EXPECT_EQ(table, once);
    EXPECT_EQ(table, saved);
    EXPECT_EQ(stateOf(Ini), before);
}
