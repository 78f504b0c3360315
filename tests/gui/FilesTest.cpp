#include "platform/QzCmn14.h"
#include "platform/linux/LinuxDesktop.h"

#include "support/FakeDesktop.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// The fake catches the message box; opening goes through the real adapter and xdg-open.
class ShellDesktop : public FakeDesktop {
public:
    LinuxDesktop real;
    bool shellOpen(qint32 hWnd, const QString &file) override
    {
        opened.append(file);
        return real.shellOpen(hWnd, file);
    }
};

// A stand-in xdg-open first on PATH. It logs its argument and behaves like the real one: 2 for a
// missing file, 3 when nothing handles the type, 0 when a viewer was started. "*.slow" keeps
// running, as xdg-open does when it runs the viewer itself.
class StandInOpener {
public:
    StandInOpener() : m_path("PATH", m_bin.path().toUtf8() + ':' + qgetenv("PATH"))
    {
        const QString script = QStringLiteral("#!/bin/sh\n"
                                              "printf '%s\\n' \"$1\" >> '%1'\n"
                                              "[ -e \"$1\" ] || exit 2\n"
                                              "case \"$1\" in\n"
                                              "  *.slow) echo $$ > '%2'; exec sleep 60 ;;\n"
                                              "  *.txt|*.pdf) exit 0 ;;\n"
                                              "esac\n"
                                              "exit 3\n")
                                   .arg(logPath(), pidPath());
        const QString opener = m_bin.filePath(QStringLiteral("xdg-open"));
        writeAll(opener, script.toUtf8());
        QFile::setPermissions(opener, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ~StandInOpener()
    {
        // The "viewer" that was left running is ours to end.
        const pid_t pid = static_cast<pid_t>(QFile::exists(pidPath()) ? readAll(pidPath()).trimmed().toLongLong() : 0);
        if (pid > 0)
            ::kill(pid, SIGTERM);
    }

    QString logPath() const { return m_bin.filePath(QStringLiteral("opened.log")); }
    QString pidPath() const { return m_bin.filePath(QStringLiteral("viewer.pid")); }
    QStringList openedArguments() const
    {
        if (!QFile::exists(logPath()))
            return {};
        return QString::fromUtf8(readAll(logPath())).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_bin;
    EnvGuard m_path;
};

QString failureText(const QString &fileName)
{
    return fileName + QStringLiteral("が見つからないか、拡張子に\r関連付けられたアプリケーションが有りません！");
}

class ShellExcute : public testing::Test {
protected:
    TempCwd cwd;
    StandInOpener opener;
    ShellDesktop desk;
    QzCmn14 qz;
};

} // namespace

TEST_F(ShellExcute, OpensAnAssociatedDocumentAndAViewerThatKeepsRunningCountsAsOpened)
{
    writeAll(cwd.file("report.txt"), "hello");
    EXPECT_TRUE(qz.Shell_Excute(0, cwd.file("report.txt")));
    EXPECT_EQ(opener.openedArguments(), QStringList{cwd.file("report.txt")});
    // Relative names are the opener's to resolve; a leading "-" must not read as an option.
    writeAll(cwd.file("-n.txt"), "x");
    EXPECT_TRUE(qz.Shell_Excute(0, "-n.txt"));
    EXPECT_EQ(opener.openedArguments().last(), "./-n.txt");
    writeAll(cwd.file("film.slow"), "x");
    EXPECT_TRUE(qz.Shell_Excute(0, cwd.file("film.slow")));
    EXPECT_TRUE(QFileInfo::exists(opener.pidPath()));
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST_F(ShellExcute, FailureShowsTheTwoLineMessage)
{
    EXPECT_FALSE(qz.Shell_Excute(0, "missing.txt"));
    expectErrorBox(desk, failureText("missing.txt"));

    // Present, but no application for its type.
    const QString japanese = cwd.file("資料.xyz");
    writeAll(japanese, "x");
    EXPECT_FALSE(qz.Shell_Excute(0, japanese));
    ASSERT_EQ(desk.boxes.size(), 2);
    EXPECT_EQ(desk.boxes[1].text, failureText(japanese));
    EXPECT_EQ(opener.openedArguments(), (QStringList{"missing.txt", japanese}));

    // Nothing to open: the opener isn't even asked.
    EXPECT_FALSE(qz.Shell_Excute(0, QString()));
    ASSERT_EQ(desk.boxes.size(), 3);
    EXPECT_EQ(desk.boxes[2].text, failureText(QString()));
    EXPECT_EQ(opener.openedArguments().size(), 2);
}

TEST_F(ShellExcute, WithoutXdgOpenEverythingFails)
{
    QTemporaryDir emptyBin;
    EnvGuard path("PATH", emptyBin.path().toUtf8());
    writeAll(cwd.file("report.txt"), "hello");
    EXPECT_FALSE(qz.Shell_Excute(0, cwd.file("report.txt")));
    expectErrorBox(desk, failureText(cwd.file("report.txt")));
}

TEST_F(ShellExcute, RealXdgOpenReportsAMissingFile)
{
    EnvGuard path("PATH", "/usr/local/bin:/usr/bin:/bin");
    if (QStandardPaths::findExecutable("xdg-open").isEmpty())
        GTEST_SKIP() << "xdg-open (xdg-utils) is not installed";
    // No desktop to hand the file to: the real script checks the file and gives up before
    // starting anything.
    EnvGuard display("DISPLAY"), wayland("WAYLAND_DISPLAY"), desktopName("XDG_CURRENT_DESKTOP"),
        session("DESKTOP_SESSION"), kde("KDE_FULL_SESSION"), gnome("GNOME_DESKTOP_SESSION_ID"),
        bus("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_FALSE(qz.Shell_Excute(0, cwd.file("no-such-document.txt")));
    expectErrorBox(desk, failureText(cwd.file("no-such-document.txt")));
}

TEST(FileCopy, CopiesAndOverwrites)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    QByteArray content(300000, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(content.data()), content.size() / 4);
    writeAll("source.bin", content);
    const QDateTime stamp = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        QFile f("source.bin");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    EXPECT_NE(qz.FileCopy("source.bin", "copy.bin"), 0);
    EXPECT_EQ(readAll("copy.bin"), content);
    EXPECT_EQ(QFileInfo("copy.bin").lastModified().toSecsSinceEpoch(), stamp.toSecsSinceEpoch());

    writeAll("target.bin", "an older and longer text that must disappear completely");
    EXPECT_NE(qz.FileCopy("source.bin", "target.bin"), 0);
    EXPECT_EQ(readAll("target.bin"), content);
    EXPECT_EQ(readAll("source.bin"), content);
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(FileCopy, FailuresReturnZeroAndLeaveTheTargetAlone)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    writeAll("target.txt", "keep me");
    writeAll("source.txt", "new");
    ASSERT_TRUE(QDir().mkdir("sub"));
    EXPECT_EQ(qz.FileCopy("missing.txt", "target.txt"), 0);
    // Onto itself, under another spelling of the same path.
    EXPECT_EQ(qz.FileCopy("target.txt", "./target.txt"), 0);
    EXPECT_EQ(qz.FileCopy("source.txt", "no-such-folder/target.txt"), 0);
    EXPECT_EQ(qz.FileCopy(cwd.path(), "folder-copy"), 0);
    EXPECT_FALSE(QFileInfo::exists("folder-copy"));
    EXPECT_EQ(qz.FileCopy("source.txt", "sub"), 0);
    EXPECT_TRUE(QFileInfo("sub").isDir());
    // A read-only target stays as it is.
    QFile::setPermissions("target.txt", QFileDevice::ReadOwner);
    EXPECT_EQ(qz.FileCopy("source.txt", "target.txt"), 0);
    QFile::setPermissions("target.txt", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readAll("target.txt"), QByteArray("keep me"));
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(SearchPath, FindsFilesInOneFolderAndThreeCharacterNamesHere)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    pendingError() = PendingError();
    ASSERT_TRUE(QDir().mkpath("data/sub"));
    ASSERT_TRUE(QDir().mkpath("dir"));
    ASSERT_TRUE(QDir().mkdir("em"));
    for (const char *file :
         {"data/a.b.txt", "data/plain", "data/資料.txt", "data/sub/deep.txt", "abc", "x.c", "dir/f.c"})
        writeAll(QString::fromUtf8(file), "x");
    const QList<QPair<QString, bool>> cases{
        {cwd.file("data/a.b.txt"), true},
        {"data/a.b.txt", true},
        {"data/plain", true},
        {"data/資料.txt", true},
        {"data/sub", true},
        {"/usr/bin/sh", true},
        {"data/sub/deep.txt", true},
        {cwd.file("data/missing.txt"), false},
        {"data/a.txt", false},
        {"data/", false},
        {"nowhere/a.b.txt", false},
        // Only that folder is searched, never below it.
        {"data/deep.txt", false},
        {cwd.file("a.b.txt"), false},
        // Three characters: looked up here, patterns and a folder's trailing "/" included.
        {"abc", true},
        {"dir", true},
        {"em/", true},
        {"no/", false},
        {"xyz", false},
        {"*.c", true},
        {"*.h", false}};
    for (const auto &[path, found] : cases)
        EXPECT_EQ(qz.Search_path(path), found) << path.toStdString();
    EXPECT_EQ(pendingError().number, 0);
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(SearchPath, APathWithoutFolderIsAnInvalidArgument)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    writeAll("report.txt", "x");
    // A name without a folder is neither searched nor thrown: the error waits for Err_Msg. A backslash
    // separates nothing here.
    for (const QString &path : {QStringLiteral("report.txt"), QString(), QStringLiteral("C:\\Windows\\notepad.exe")}) {
        pendingError() = PendingError();
        EXPECT_FALSE(qz.Search_path(path)) << path.toStdString();
        EXPECT_EQ(pendingError().number, 5) << path.toStdString();
        EXPECT_FALSE(pendingError().description.isEmpty());
    }
    pendingError() = PendingError();
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(SystemFolders, AreTheInstallationFolders)
{
    QzCmn14 qz;
    pendingError() = PendingError();
    EXPECT_EQ(qz.WinDir(), QStringLiteral("/usr"));
    EXPECT_EQ(qz.SysDir(), QStringLiteral("/usr/lib"));
    EXPECT_TRUE(QFileInfo(qz.WinDir()).isDir() && QFileInfo(qz.SysDir()).isDir());
    EXPECT_EQ(pendingError().number, 0);
}
