#include "core/SettingsFile.h"
#include "core/SettingsStore.h"

#include "support/SettingsData.h"
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

// The trailer as the layout defines it: magic, then record number, length and text per entry, then 0.
QByteArray trailer(const QList<QPair<int, QByteArray>> &entries)
{
    QByteArray t("ORVANE\0\1", 8);
    for (const auto &[record, text] : entries)
        t += static_cast<char>(record) + QByteArray(1, static_cast<char>(text.size())) + text;
    return t + '\0';
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
    return {S_ISREG(st.st_mode) ? readAll(path) : QByteArray(), st.st_ino, st.st_mode, st.st_mtim};
}

// The state after giving the file an old modification time, so that even a rewrite within the same
// second shows.
FileState agedState(const QString &path)
{
    const timespec times[2] = {{978307200, 0}, {978307200, 0}};
    EXPECT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    return stateOf(path);
}

QStringList folderEntries(const QString &path = QStringLiteral("."))
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// PC1 as a user sets it up: single-byte only.
SettingsGrid serverGrid()
{
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "5"}});
    setPc(g, 1, "Server", "127.0.0.10", ServerMac, "1", "07:30:00");
    return g;
}

QByteArray serverFile()
{
    return recordArea({{1, "9"},
                       {2, "5"},
                       {11, "Server"},
                       {12, "127.0.0.10"},
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

TEST(SettingsFileLayout, SingleByteSettingsAreExactlyTheTwelveHundredByteLayoutBothWays)
{
    TempCwd cwd;
    ASSERT_TRUE(writeSettingsFile(Ini, serverGrid()));
    const QByteArray file = readAll(Ini);
    EXPECT_EQ(file, serverFile());
    EXPECT_EQ(file.mid(200, 20), QByteArray("Server") + QByteArray(14, ' '));
    // A file in that layout, as the original wrote it, loads with its values and saves identically.
    writeAll(Ini, serverFile());
    EXPECT_EQ(load(), serverGrid());
    ASSERT_TRUE(writeSettingsFile(Ini, load()));
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
    const QByteArray file = codes + QByteArray(1200 - codes.size(), ' ');
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
    EXPECT_EQ(readAll(Ini), QByteArray("9") + QByteArray(19, ' ') + QByteArray(1180, '\0'));
    EXPECT_EQ(load(), g);
}

TEST(SettingsFileLayout, SaveSettingsWritesTheEditTableToTheCurrentFolder)
{
    TempCwd cwd;
    const SettingsGrid previous = settingsStore().SettingsEditTable;
    settingsStore().SettingsEditTable = serverGrid();
    const bool saved = settingsStore().SaveSettings();
    settingsStore().SettingsEditTable = previous;
    ASSERT_TRUE(saved);
    EXPECT_EQ(readAll(cwd.file(Ini)), serverFile());
}

// ---- Long, double-byte and unmappable text ----

TEST(SettingsFileText, EveryFieldIsCutOnACharacterAndItsWholeTextComesBack)
{
    const QString kanji20 = QString("日本日本日本日本日本日本日本日本日本日本");
    const QString host = QString(19, u'a') + QString("あ");
    const QString mixed = QString("PC-あいうえおかきくけこさ"); // 3 + 24 bytes
    const QString accent = QString("Café");
    const QString emoji = QString("PC😀");
    const QString lone = QStringLiteral("A") + QChar(0xD800) + QStringLiteral("B");
    const QString waveDash = QString("朝〜夜"); // U+301C, mapped one way to 0x8160
    const QString bom = QChar(0xFEFF) + QStringLiteral("PC");
    const QString swapped = QChar(0xFFFE) + QStringLiteral("PC");
    struct Case {
        const char *what;
        QList<std::tuple<int, int, QString>> cells;
        QByteArray file;
    };
    const QList<Case> cases = {
        {"25 characters are cut to 20",
         {{3, 0, "ABCDEFGHIJKLMNOPQRSTUVWXY"}},
         recordArea({{31, "ABCDEFGHIJKLMNOPQRST"}})},
        {"20 kanji: ten in the record, all twenty in the trailer",
         {{1, 0, kanji20}},
         recordArea({{11, QByteArray::fromHex("93FA967B").repeated(5)}}) + trailer({{11, kanji20.toUtf8()}})},
        {"fields that fit 20 bytes need no trailer",
         {{1, 0, QString("サーバー1号機")}, {2, 0, QString("ｻｰﾊﾞｰ")}, {3, 0, QString("あいうえおかきくけこ")}},
         recordArea({{11, QByteArray::fromHex("8354815B836F815B318D868B40")},
                     {21, QByteArray::fromHex("BBB0CADEB0")},
                     {31, QByteArray::fromHex("82A082A282A482A682A882A982AB82AD82AF82B1")}})},
        {"a double-byte character never straddles the record end",
         {{1, 1, host}, {5, 9, mixed}},
         recordArea({{12, QByteArray(19, 'a')}, {60, QByteArray::fromHex("50432D82A082A282A482A682A882A982AB82AD")}}) +
             trailer({{12, host.toUtf8()}, {60, mixed.toUtf8()}})},
        {"what code page 932 can't hold is '?' in the record",
         {{1, 0, accent}, {2, 0, emoji}, {3, 0, lone}, {4, 0, waveDash}},
         recordArea({{11, "Caf?"}, {21, "PC??"}, {31, "A?B"}, {41, QByteArray::fromHex("92A9816096E9")}}) +
             trailer({{11, accent.toUtf8()},
                      {21, emoji.toUtf8()},
                      {31, QByteArray::fromHex("41EDA08042")}, // the lone surrogate in its 3-byte form
                      {41, waveDash.toUtf8()}})},
        {"fields starting with U+FEFF or U+FFFE",
         {{1, 0, bom}, {2, 0, swapped}},
         recordArea({{11, "?PC"}, {21, "?PC"}}) +
             trailer({{11, QByteArray::fromHex("EFBBBF5043")}, {21, QByteArray::fromHex("EFBFBE5043")}})},
    };
    TempCwd cwd;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGrid g = grid();
        for (const auto &[r, col, text] : c.cells)
            g.set(r, col, text);
        ASSERT_TRUE(writeSettingsFile(Ini, g));
        EXPECT_EQ(readAll(Ini), c.file);
        EXPECT_EQ(load(), g);
    }
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
    ASSERT_TRUE(writeSettingsFile(Ini, grid({{1, 0, QString("日本日本日本日本日本日本")}, {2, 0, QString("Café")}})));
    // Another tool rewrites record 11 in place and keeps the rest.
    writeAll(Ini, readAll(Ini).replace(200, 20, QByteArray("Other") + QByteArray(15, ' ')));
    const SettingsGrid loaded = load();
    EXPECT_EQ(loaded.value(1, 0), QStringLiteral("Other"));
    EXPECT_EQ(loaded.value(2, 0), QString("Café"));
}

TEST(SettingsFileTrailer, AMalformedTrailerIsIgnoredWhole)
{
    const QByteArray area = recordArea({{11, "Caf?"}, {21, "PC??"}});
    const QByteArray good = trailer({{11, "Caf\xC3\xA9"}, {21, "PC\xF0\x9F\x98\x80"}});
    const QList<QPair<const char *, QByteArray>> cases = {
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
    ASSERT_EQ(load().value(2, 0), QString("PC😀")); // the well-formed trailer is read
    for (const auto &[what, tail] : cases) {
        writeAll(Ini, area + tail);
        const SettingsGrid g = load();
        EXPECT_EQ(g.value(1, 0), QStringLiteral("Caf?")) << what;
        EXPECT_EQ(g.value(2, 0), QStringLiteral("PC??")) << what;
    }
}

// ---- Saves that fail leave the file as it was ----

TEST(SettingsFileSave, AReadOnlyFileIsNotReplaced)
{
    TempCwd cwd;
    writeAll(Ini, serverFile());
    ASSERT_EQ(::chmod("System.ini", 0444), 0);
    const FileState before = agedState(Ini);
    QString error;
    EXPECT_FALSE(writeSettingsFile(Ini, grid(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(stateOf(Ini), before);
    EXPECT_EQ(folderEntries(), QStringList{Ini}); // no half-written file left behind
}

TEST(SettingsFileSave, ADirectoryOrAFolderThatCannotHoldTheFileFails)
{
    TempCwd cwd;
    ASSERT_TRUE(QDir().mkdir(Ini));
    EXPECT_FALSE(writeSettingsFile(Ini, serverGrid()));
    EXPECT_TRUE(QFileInfo(Ini).isDir());
    EXPECT_TRUE(folderEntries(Ini).isEmpty());
    // Root may write anywhere, but nobody can create a file inside a regular file or a missing folder.
    writeAll(QStringLiteral("notadir"), "keep");
    EXPECT_FALSE(writeSettingsFile(QStringLiteral("notadir/System.ini"), serverGrid()));
    EXPECT_FALSE(writeSettingsFile(QStringLiteral("missing/System.ini"), serverGrid()));
    EXPECT_EQ(readAll(QStringLiteral("notadir")), QByteArray("keep"));
    EXPECT_EQ(folderEntries(), (QStringList{Ini, QStringLiteral("notadir")}));
}

TEST(SettingsFileSave, ADiskFullMidWriteKeepsTheOldFile)
{
    TempCwd cwd;
    writeAll(Ini, serverFile());
    const FileState before = agedState(Ini);
    // A file size limit below the new file's size fails the write part way, as a full disk would.
    SettingsGrid g = serverGrid();
    g.set(1, 0, QString("日本日本日本日本日本日本日本"));
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

TEST(SettingsFileSave, ASaveReplacesTheWholeFileKeepsItsModeAndFollowsALink)
{
    TempCwd cwd;
    writeAll(Ini, QByteArray(5000, 'x'));
    ASSERT_EQ(::chmod("System.ini", 0640), 0);
    ASSERT_TRUE(writeSettingsFile(Ini, serverGrid()));
    EXPECT_EQ(readAll(Ini), serverFile()); // nothing of the old, longer file remains
    EXPECT_EQ(stateOf(Ini).mode & 07777, 0640u);
    EXPECT_EQ(folderEntries(), QStringList{Ini});

    ASSERT_TRUE(QFile::remove(Ini));
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
    EXPECT_EQ(load(), grid());
    EXPECT_TRUE(QFileInfo(Ini).isFile());
    EXPECT_EQ(QFileInfo(Ini).size(), 0);
    // A missing folder: nothing to create, still blanks.
    SettingsGrid elsewhere;
    readSettingsFile(QStringLiteral("missing/System.ini"), elsewhere);
    EXPECT_EQ(elsewhere, grid());
}

TEST(SettingsFileLoad, ShortFilesReadTheMissingRecordsAsBlanks)
{
    QByteArray almost = serverFile();
    almost.replace(1180, 8, "12:00:00");
    almost.chop(1); // 1,199 bytes: the last record lacks one blank
    SettingsGrid last = serverGrid();
    last.set(5, 9, QStringLiteral("12:00:00"));
    const QList<QPair<QByteArray, SettingsGrid>> cases = {
        {QByteArray(), grid()}, {"7", grid({{0, 0, "7"}})}, {almost, last}};
    for (const auto &[file, expected] : cases) {
        TempCwd cwd;
        writeAll(Ini, file);
        const FileState before = agedState(Ini);
        EXPECT_EQ(load(), expected) << file.size() << " bytes";
        EXPECT_EQ(stateOf(Ini), before) << file.size() << " bytes";
    }
}

TEST(SettingsFileLoad, BrokenDoubleByteSequencesReadAsReplacementCharacters)
{
    TempCwd cwd;
    // A lead byte cut off by the record end; its trail byte alone is no character; a lead byte before
    // a blank, and bytes no sequence starts with.
    writeAll(Ini, recordArea({{1, QByteArray(19, 'a') + '\x82'},
                              {2, "\xA0"
                                  "b"},
                              {11, "\x82\x20\xFF\x80"}}));
    const SettingsGrid g = load();
    const QChar bad = QChar::ReplacementCharacter;
    EXPECT_EQ(g.value(0, 0), QString(19, u'a') + bad);
    EXPECT_EQ(g.value(0, 1), QString(bad) + QLatin1Char('b'));
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
        const FileState before = agedState(Ini);
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
    EXPECT_EQ(load(), grid());
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
    EXPECT_TRUE(S_ISFIFO(stateOf(Ini).mode));
}

TEST(SettingsFileLoad, LoadingTwiceGivesTheSameTable)
{
    TempCwd cwd;
    SettingsGrid saved = serverGrid();
    saved.set(2, 0, QString("日本日本日本日本日本日本"));
    ASSERT_TRUE(writeSettingsFile(Ini, saved));
    const FileState before = agedState(Ini);
    SettingsGrid table;
    readSettingsFile(Ini, table);
    readSettingsFile(Ini, table); // the nested load at start-up
    EXPECT_EQ(table, saved);
    EXPECT_EQ(stateOf(Ini), before);
}
