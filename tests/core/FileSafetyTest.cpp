// Rewriting files that aren't simply the user's own: links, a folder that refuses new files, hard
// links. Root makes the files of another user with chown and drops to nobody where the
// folder's rights must count.

#include "core/ProfileFile.h"
#include "core/SafeFile.h"
#include "core/SettingsFile.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Ini = QStringLiteral("System.ini");
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
    ASSERT_TRUE(writeSettingsFile(Ini, grid()));
    ASSERT_EQ(::stat("System.ini", &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, Nobody);
    // Two names stay one file.
    ASSERT_EQ(::link("System.ini", "backup.ini"), 0);
    ASSERT_EQ(::chown("System.ini", 0, 0), 0);
    ASSERT_TRUE(writeSettingsFile(Ini, g));
    EXPECT_EQ(readAll("backup.ini"), encodeSettings(g));
}
