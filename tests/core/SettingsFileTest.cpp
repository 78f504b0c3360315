// The settings fields and their record file "System.ini": the bytes written, the text read back, what
// a failed save or an odd file does, and how files that aren't simply the user's own are rewritten.

#include "core/settings/SettingsFile.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/SafeFile.h"
#include "core/settings/SettingsStore.h"
#include "core/wake/PlainSettings.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

std::vector<std::string> *diskCalls = nullptr; // the order of flushes and renames, while a test looks
// The disk can't be made to fail at the right moment: its two calls are taken over and passed on.
extern "C" int fsync(int fd)
{
    struct stat st {};
    if (diskCalls && ::fstat(fd, &st) == 0)
        diskCalls->push_back("fsync " + std::to_string(st.st_size));
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
extern "C" int rename(const char *from, const char *to)
{
    if (diskCalls)
        diskCalls->push_back("rename " + QFileInfo(to).fileName().toStdString());
    return ::renameat(AT_FDCWD, from, AT_FDCWD, to);
}

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Ini = QStringLiteral("System.ini");

// Loads "System.ini" over a table, by default one never loaded (20 NULs a field). The command-line
// tool's reader, which has no Qt, must read the same values from the same bytes.
SettingsGrid load(SettingsGrid g = {})
{
    readSettingsFile(Ini, g);
    const SettingsValues plain = decodeSettingsValues(QFileInfo(Ini).isFile() ? readAll(Ini).toStdString() : "");
    for (int k = 0; k < RecordCount && QFileInfo(Ini).isFile(); ++k)
        EXPECT_EQ(plain[k / 10][k % 10], g.value(k / 10, k % 10).toStdString()) << "field " << k;
    return g;
}

// The trailer as the layout defines it: magic, then record number, length and text per entry, then 0.
QByteArray trailer(std::initializer_list<std::pair<int, QByteArray>> entries)
{
    QByteArray t("ORVANE\0\1", 8);
    for (const auto &[record, text] : entries)
        t += char(record) + QByteArray(1, char(text.size())) + text;
    return t + '\0';
}

// PC1 as a user sets it up, single-byte only, and its file as the record rules lay it out.
const SettingsGrid ServerGrid = [] {
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "5"}});
    setPc(g, 1, "Server", "127.0.0.10", ServerMac, "1", "07:30:00");
    return g;
}();

// clang-format off
const QByteArray ServerFile = recordArea({{1, "9"}, {2, "5"}, {11, "Server"}, {12, "127.0.0.10"}, {13, "00"}, {14, "11"},
                                          {15, "22"}, {16, "33"}, {17, "44"}, {18, "55"}, {19, "1"}, {20, "07:30:00"}});
// clang-format on

} // namespace

TEST(SettingsFile, SingleByteSettingsAreTheTwelveHundredByteLayoutBothWays)
{
    TempCwd cwd;
    // The save replaces a longer file whole, through the link the user made, and keeps its mode.
    ASSERT_TRUE(QDir().mkdir("data") && QFile::link("data/real.ini", Ini));
    writeAll("data/real.ini", QByteArray(5000, 'x'));
    ASSERT_TRUE(QFile::setPermissions("data/real.ini", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFile::Permissions mode = QFileInfo(Ini).permissions();
    settingsStore().SettingsEditTable = ServerGrid;
    std::vector<std::string> calls;
    diskCalls = &calls;
    EXPECT_TRUE(settingsStore().SaveSettings());
    diskCalls = nullptr;
    EXPECT_EQ(readAll("data/real.ini"), ServerFile);
    // The new content is on the disk before it takes the old one's name: a crash can't leave it empty.
    EXPECT_EQ(calls, (std::vector<std::string>{"fsync 1200", "rename real.ini"}));
    EXPECT_TRUE(QFileInfo(Ini).isSymLink() && QFileInfo(Ini).permissions() == mode);
    // A file in that layout, as the original wrote it, loads with its values.
    writeAll(Ini, ServerFile);
    settingsStore().LoadSettings();
    EXPECT_EQ(settingsStore().SettingsTable, ServerGrid);
}

TEST(SettingsFile, EveryFieldIsCutOnACharacterAndItsWholeTextComesBack)
{
    const QString kanji("日本日本日本日本日本日本日本日本日本日本"), lone = QString("A") + QChar(0xD800) + "B";
    const QByteArray aaa(19, 'a');
    // Record, text, the record's bytes and, where the record can't give the text back, the trailer's.
    const std::tuple<int, QString, QByteArray, QByteArray> fields[] = {
        {11, "ABCDEFGHIJKLMNOPQRSTUVWXY", "ABCDEFGHIJKLMNOPQRST", ""}, // cut to 20 characters
        {12, aaa + "😀", aaa, ""},                                      // never through a surrogate pair
        {13, kanji, QByteArray::fromHex("93FA967B").repeated(5), kanji.toUtf8()},
        {14, "あいうえおかきくけこ", QByteArray::fromHex("82A082A282A482A682A882A982AB82AD82AF82B1"), ""},
        {15, "ｻｰﾊﾞｰ\\~", QByteArray::fromHex("BBB0CADEB05C7E"), ""},
        {16, aaa + "あ", aaa, aaa + "あ"}, // a double-byte character never straddles the record end
        // What code page 932 can't hold is '?' in the record; a lone surrogate in its 3-byte form.
        {21, "Café", "Caf?", "Café"},
        {22, "PC😀", "PC??", "PC😀"},
        {23, lone, "A?B", QByteArray::fromHex("41EDA08042")},
        {24, "朝〜夜", QByteArray::fromHex("92A9816096E9"), "朝〜夜"}, // U+301C, mapped one way to 0x8160
        {25, QChar(0xFEFF) + QString("PC"), "?PC", QByteArray::fromHex("EFBBBF5043")},
        {26, QChar(0xFFFE) + QString("PC"), "?PC", QByteArray::fromHex("EFBFBE5043")},
    };
    SettingsGrid g = grid();
    QByteArray file = recordArea(), tail("ORVANE\0\1", 8);
    for (const auto &[record, text, bytes, whole] : fields) {
        g.set((record - 1) / 10, (record - 1) % 10, text);
        file.replace((record - 1) * 20, bytes.size(), bytes);
        if (!whole.isEmpty())
            tail += char(record) + QByteArray(1, char(whole.size())) + whole;
    }
    TempCwd cwd;
    EXPECT_TRUE(writeSettingsFile(Ini, g));
    EXPECT_EQ(readAll(Ini), file + tail + '\0');
    EXPECT_EQ(load(), g);
    EXPECT_EQ(load(load()), g) << "loading twice, as start-up does";
    for (const QString &text : {QString(" a b"), QString("a\t"), QString("名　"), QString(3, QChar())}) {
        g.set(GlobalRow, PortCell, text);
        EXPECT_EQ(g.value(GlobalRow, PortCell), text) << "readers remove trailing blanks only";
    }
}

TEST(SettingsFile, AStaleOrMalformedTrailerIsIgnored)
{
    TempCwd cwd;
    // Another tool rewrites record 11 in place and keeps the rest.
    ASSERT_TRUE(writeSettingsFile(Ini, grid({{1, 0, "日本日本日本日本日本日本"}, {2, 0, "Café"}})));
    writeAll(Ini, readAll(Ini).replace(200, 20, "Other" + QByteArray(15, ' ')));
    EXPECT_EQ(load().value(1, 0) + load().value(2, 0), "OtherCafé");

    const QByteArray area = recordArea({{11, "Caf?"}, {21, "PC??"}}), cafe = "Caf\xC3\xA9", pc = "PC\xF0\x9F\x98\x80";
    const QByteArray good = trailer({{11, cafe}, {21, pc}});
    writeAll(Ini, area + good);
    EXPECT_EQ(load().value(1, 0) + load().value(2, 0), "CaféPC😀");
    const std::pair<const char *, QByteArray> tails[] = {
        {"no end byte", good.chopped(1)},
        {"bytes after the end", good + 'x'},
        {"records out of order", trailer({{21, pc}, {11, cafe}})},
        {"record 61", trailer({{11, cafe}, {61, "x"}})},
        {"length beyond the end", trailer({{11, cafe}}).replace(9, 1, "\x30")},
        {"invalid UTF-8", trailer({{11, cafe}, {21, "PC\xC0\x80"}})},
        {"text over 20 characters", trailer({{11, cafe}, {21, QByteArray(21, 'x')}})},
        {"other version", QByteArray(good).replace(7, 1, "\2")},
    };
    for (const auto &[what, tail] : tails) {
        writeAll(Ini, area + tail);
        EXPECT_EQ(load().value(1, 0) + load().value(2, 0), "Caf?PC??") << what;
    }
}

TEST(SettingsFile, AFailedSaveLeavesTheFileAsItWasAndNothingBesideIt)
{
    // A file size limit (a shell's "ulimit -f") fails a write part way, as a full disk would; it is set
    // in a child that keeps the system's default for SIGXFSZ. The new file is longer than the old.
    const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    const struct {
        const char *what;
        bool secondName; // written in place
        rlim_t limit;    // 0: none
        QString reason;
    } cases[] = {{"read-only", false, 0, "System.ini is read-only"},
                 {"replaced, the limit between the old and the new size", false, 1205, tooLarge},
                 {"written in place, the limit between the old and the new size", true, 1205, tooLarge},
                 {"written in place, the limit below the old size", true, 1000, tooLarge}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempCwd cwd;
        writeAll(Ini, ServerFile);
        ASSERT_EQ(c.secondName ? ::link("System.ini", "backup.ini") : ::chmod("System.ini", c.limit ? 0644 : 0444), 0);
        const QStringList before = QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{c.limit, c.limit};
            QString error;
            if ((c.limit && ::setrlimit(RLIMIT_FSIZE, &limit) != 0) ||
                writeSettingsFile(Ini, grid({{1, 0, "日本日本日本日本日本日本日本"}}), &error))
                ::_exit(1);
            // The usual reason, and no false alarm about the old content.
            ::_exit(error == c.reason ? 0 : 2);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << "1: saved; 2: another reason";
        EXPECT_EQ(readAll(Ini), ServerFile);
        EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }
}

TEST(SettingsFile, AFolderLinkOfAnotherUserOnThePathIsNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "links of another user need root; skipped";
    constexpr uid_t Nobody = 65534;
    const std::pair<const char *, std::function<bool()>> writers[] = {
        {"settings", [] { return writeSettingsFile("via/System.ini", grid()); }},
        {"profile", [] { return writeProfileString("via/System.ini", "S", "k", "v"); }},
        {"copy", [] { return copyWholeFile("source", "via/System.ini"); }}};
    // Whose link "via" (to a folder of the writer's) is, and who writes through it.
    const struct {
        const char *what;
        uid_t link, folder, writer;
        bool followed;
    } cases[] = {{"another user's link", Nobody, 0, 0, false},
                 {"the user's own link", 0, 0, 0, true},
                 {"the system's link, for another user", 0, Nobody, Nobody, true}};
    for (const auto &[writerName, write] : writers) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(writerName) + ": " + c.what);
            TempCwd cwd;
            writeAll("source", "copied");
            ASSERT_TRUE(::chmod(".", 0755) == 0 && ::mkdir("ours", 0755) == 0 && ::symlink("ours", "via") == 0);
            writeAll("ours/System.ini", "old");
            ASSERT_EQ(::chown("ours", c.folder, c.folder) | ::chown("ours/System.ini", c.folder, c.folder) |
                          ::lchown("via", c.link, c.link),
                      0);
            const pid_t pid = ::fork();
            if (pid == 0)
                ::_exit(::setgid(c.writer) == 0 && ::setuid(c.writer) == 0 && write() ? 0 : 1);
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, c.followed);
            EXPECT_EQ(readAll("ours/System.ini") != "old", c.followed);
        }
    }
}

TEST(SettingsFile, MissingShortBrokenAndOddFilesLoadWithoutHarm)
{
    const QChar bad = QChar::ReplacementCharacter;
    // A lead byte cut off by the record end, a lone trail byte, a lead byte before a blank, bytes no
    // sequence starts with: one replacement character per bad byte.
    const QByteArray broken = recordArea({{1, QByteArray(19, 'a') + '\x82'}, {2, "\xA0 b"}, {11, "\x82 \xFF\x80"}});
    const SettingsGrid brokenGrid =
        grid({{0, 0, QString(19, u'a') + bad}, {0, 1, QString(bad) + " b"}, {1, 0, QString(bad) + ' ' + bad + bad}});
    const std::pair<QByteArray, SettingsGrid> files[] = {
        {"", grid()}, {"7", grid({{0, 0, "7"}})}, {broken, brokenGrid}};
    for (const auto &[file, expected] : files) {
        TempCwd cwd;
        writeAll(Ini, file);
        EXPECT_EQ(load(ServerGrid), expected) << file.size() << " bytes";
        EXPECT_EQ(readAll(Ini), file) << file.size() << " bytes";
    }
    TempCwd cwd;
    EXPECT_EQ(load(ServerGrid), grid());
    EXPECT_EQ(readAll(Ini), "") << "a missing file is created empty";
    // A folder or a FIFO keeps what was loaded; never loaded, the NULs would pass for a name, a host
    // and MAC bytes, so they become blanks.
    ASSERT_TRUE(QFile::remove(Ini) && QDir().mkdir(Ini));
    EXPECT_EQ(load(), grid());
    EXPECT_EQ(load(ServerGrid), ServerGrid);
    ASSERT_TRUE(QDir().rmdir(Ini) && ::mkfifo("System.ini", 0644) == 0);
    auto loading = std::async(std::launch::async, [] { return load(ServerGrid); });
    if (loading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ::close(::open("System.ini", O_WRONLY | O_NONBLOCK)); // releases the blocked reader
        FAIL() << "reading a FIFO blocked";
    }
    EXPECT_EQ(loading.get(), ServerGrid);
}

// Rewriting files that aren't simply the user's own: links, a folder that refuses new files, hard
// links, a full disk. Root makes the files of another user with chown and drops to nobody where the
// folder's rights must count.
namespace {

constexpr uid_t Nobody = 65534;

// fn's answer, from a child process that runs it as nobody.
bool asNobody(const std::function<bool()> &fn)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(::setgid(Nobody) == 0 && ::setuid(Nobody) == 0 && fn() ? 0 : 1);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class FileSafety : public testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "files of another user need root; skipped";
        // Nobody may enter the folder but create nothing in it.
        ASSERT_EQ(::chmod(".", 0755), 0);
    }
    TempCwd cwd;
};

} // namespace

// Another user opens the copy's new file as it appears, beside a target that everyone may read, and
// reads it once the copy is done.
TEST_F(FileSafety, APrivateFileIsNeverReadableByOthersWhileItIsCopied)
{
    writeAll("secret", QByteArray(16 << 20, 's'));
    writeAll("copy", "old");
    int status = -1, byte = 0, ready[2], done[2], pid = -1;
    ASSERT_TRUE(::chmod("secret", 0600) == 0 && ::chmod("copy", 0644) == 0 && ::pipe(ready) == 0 && ::pipe(done) == 0);
    if ((pid = ::fork()) == 0) {
        const int watch = ::inotify_init();
        alignas(inotify_event) char buf[4096];
        bool ok = ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0 && ::inotify_add_watch(watch, ".", IN_CREATE) >= 0;
        ok = ::write(ready[1], "r", 1) == 1 && ok && ::read(watch, buf, sizeof buf) > 0;
        const int fd = ::open(reinterpret_cast<const inotify_event *>(buf)->name, O_RDONLY);
        ::_exit(ok && (fd < 0 || (::read(done[0], buf, 1) == 1 && ::read(fd, buf, sizeof buf) <= 0)) ? 0 : 1);
    }
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_TRUE(copyWholeFile("secret", "copy"));
    ASSERT_EQ(::write(done[1], "d", 1), 1);
    EXPECT_TRUE(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(FileSafety, ALinkIsWrittenThroughOnlyWhenItAndItsTargetAreTheUsers)
{
    const std::pair<const char *, std::function<bool()>> writers[] = {
        {"settings", [] { return writeSettingsFile(Ini, grid()); }},
        {"profile", [] { return writeProfileString(Ini, "S", "k", "v"); }},
        {"copy", [] { return copyWholeFile("source", Ini); }}};
    writeAll("source", "copied");
    for (const auto &[what, write] : writers) {
        for (const bool linkOfAnother : {false, true}) {
            QFile::remove("target");
            writeAll("target", "theirs");
            QFile::remove(Ini);
            ASSERT_EQ(::symlink("target", "System.ini"), 0);
            ASSERT_EQ(linkOfAnother ? ::lchown("System.ini", Nobody, Nobody) : ::chown("target", Nobody, Nobody), 0);
            EXPECT_FALSE(write()) << what << (linkOfAnother ? ": a link of another user" : ": a file of another user");
            EXPECT_EQ(readAll("target"), "theirs") << what;
        }
    }
}

TEST_F(FileSafety, FilesThatCantOrMustNotBeReplacedAreWrittenInPlace)
{
    const SettingsGrid g = grid({{0, 0, "9"}});
    writeAll(Ini, "old");
    ASSERT_EQ(::chown("System.ini", Nobody, Nobody), 0);
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat("System.ini", &before), 0);
    EXPECT_TRUE(asNobody([&] { return writeSettingsFile(Ini, g); })) << "in a folder that refuses new files";
    EXPECT_EQ(readAll(Ini), encodeSettings(g));
    // Saved by root, the file of another user stays theirs.
    EXPECT_TRUE(writeSettingsFile(Ini, grid()));
    ASSERT_EQ(::stat("System.ini", &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, Nobody);
    // Two names stay one file.
    ASSERT_EQ(::link("System.ini", "backup.ini"), 0);
    ASSERT_EQ(::chown("System.ini", 0, 0), 0);
    EXPECT_TRUE(writeSettingsFile(Ini, g));
    EXPECT_EQ(readAll("backup.ini"), encodeSettings(g));
}
