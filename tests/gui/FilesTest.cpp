#include "common/QzCmn14.h"
#include "common/platform/linux/LinuxDesktop.h"

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

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Sets an environment variable for the life of the guard.
class EnvGuard {
public:
    explicit EnvGuard(const char *name) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {}
    ~EnvGuard()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    void set(const QByteArray &value) { qputenv(m_name, value); }
    void unset() { qunsetenv(m_name); }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

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
    StandInOpener() : m_path("PATH")
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
        m_path.set(m_bin.path().toUtf8() + ':' + qgetenv("PATH"));
    }
    ~StandInOpener()
    {
        // The "viewer" that was left running is ours to end.
        QFile pidFile(pidPath());
        if (pidFile.open(QIODevice::ReadOnly)) {
            const pid_t pid = static_cast<pid_t>(pidFile.readAll().trimmed().toLongLong());
            if (pid > 0)
                ::kill(pid, SIGTERM);
        }
    }

    QString logPath() const { return m_bin.filePath(QStringLiteral("opened.log")); }
    QString pidPath() const { return m_bin.filePath(QStringLiteral("viewer.pid")); }
    QStringList openedArguments() const
    {
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_bin;
    EnvGuard m_path;
};

QString failureText(const QString &fileName)
{
    return fileName + u("が見つからないか、拡張子に") + QLatin1Char('\r') +
           u("関連付けられたアプリケーションが有りません！");
}

} // namespace

TEST(ShellExcute, OpensAnAssociatedDocument)
{
    TempCwd cwd;
    StandInOpener opener;
    ShellDesktop desk;
    QzCmn14 qz;
    writeAll(cwd.file(u("report.txt")), "hello");
    EXPECT_TRUE(qz.Shell_Excute(0, cwd.file(u("report.txt"))));
    EXPECT_TRUE(desk.boxes.isEmpty());
    EXPECT_EQ(opener.openedArguments(), QStringList{cwd.file(u("report.txt"))});

    // Relative names are the opener's to resolve; a leading "-" must not read as an option.
    writeAll(cwd.file(u("-n.txt")), "x");
    EXPECT_TRUE(qz.Shell_Excute(0, u("-n.txt")));
    EXPECT_EQ(opener.openedArguments().last(), u("./-n.txt"));
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(ShellExcute, FailureShowsTheTwoLineMessage)
{
    TempCwd cwd;
    StandInOpener opener;
    ShellDesktop desk;
    QzCmn14 qz;

    // Missing file.
    EXPECT_FALSE(qz.Shell_Excute(0, u("missing.txt")));
    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_EQ(desk.boxes[0].text, failureText(u("missing.txt")));
    EXPECT_EQ(desk.boxes[0].title, u("Error"));
    EXPECT_EQ(desk.boxes[0].style, 16);
    EXPECT_EQ(desk.beeps, QList<int>{48});

    // Present, but no application for its type.
    const QString japanese = cwd.file(u("資料.xyz"));
    writeAll(japanese, "x");
    EXPECT_FALSE(qz.Shell_Excute(0, japanese));
    ASSERT_EQ(desk.boxes.size(), 2);
    EXPECT_EQ(desk.boxes[1].text, failureText(japanese));
    EXPECT_EQ(opener.openedArguments(), (QStringList{u("missing.txt"), japanese}));

    // Nothing to open: the opener isn't even asked.
    EXPECT_FALSE(qz.Shell_Excute(0, QString()));
    ASSERT_EQ(desk.boxes.size(), 3);
    EXPECT_EQ(desk.boxes[2].text, failureText(QString()));
    EXPECT_EQ(opener.openedArguments().size(), 2);
}

TEST(ShellExcute, WithoutXdgOpenEverythingFails)
{
    TempCwd cwd;
    QTemporaryDir emptyBin;
    EnvGuard path("PATH");
    path.set(emptyBin.path().toUtf8());
    ShellDesktop desk;
    QzCmn14 qz;
    writeAll(cwd.file(u("report.txt")), "hello");
    EXPECT_FALSE(qz.Shell_Excute(0, cwd.file(u("report.txt"))));
    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_EQ(desk.boxes[0].text, failureText(cwd.file(u("report.txt"))));
}

TEST(ShellExcute, AViewerThatKeepsRunningCountsAsOpened)
{
    TempCwd cwd;
    StandInOpener opener;
    ShellDesktop desk;
    QzCmn14 qz;
    writeAll(cwd.file(u("film.slow")), "x");
    EXPECT_TRUE(qz.Shell_Excute(0, cwd.file(u("film.slow"))));
    EXPECT_TRUE(desk.boxes.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(opener.pidPath()));
}

TEST(ShellExcute, RealXdgOpenReportsAMissingFile)
{
    if (QStandardPaths::findExecutable(u("xdg-open")).isEmpty())
        GTEST_SKIP() << "xdg-open (xdg-utils) is not installed";
    TempCwd cwd;
    // No desktop to hand the file to: the real script checks the file and gives up before
    // starting anything.
    EnvGuard display("DISPLAY"), wayland("WAYLAND_DISPLAY"), desktopName("XDG_CURRENT_DESKTOP"),
        session("DESKTOP_SESSION"), kde("KDE_FULL_SESSION"), gnome("GNOME_DESKTOP_SESSION_ID"),
        bus("DBUS_SESSION_BUS_ADDRESS");
    for (EnvGuard *g : {&display, &wayland, &desktopName, &session, &kde, &gnome, &bus})
        g->unset();
    ShellDesktop desk;
    QzCmn14 qz;
    EXPECT_FALSE(qz.Shell_Excute(0, cwd.file(u("no-such-document.txt"))));
    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_EQ(desk.boxes[0].text, failureText(cwd.file(u("no-such-document.txt"))));
}

TEST(FileCopy, CopiesAndOverwrites)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    QByteArray content;
    QRandomGenerator random(7);
    for (int i = 0; i < 300000; ++i)
        content.append(static_cast<char>(random.bounded(256)));
    writeAll(u("source.bin"), content);
    const QDateTime stamp = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        QFile f(u("source.bin"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    EXPECT_NE(qz.FileCopy(u("source.bin"), u("copy.bin")), 0);
    EXPECT_EQ(readAll(u("copy.bin")), content);
    EXPECT_EQ(QFileInfo(u("copy.bin")).lastModified().toSecsSinceEpoch(), stamp.toSecsSinceEpoch());

    writeAll(u("target.bin"), "an older and longer text that must disappear completely");
    EXPECT_NE(qz.FileCopy(u("source.bin"), u("target.bin")), 0);
    EXPECT_EQ(readAll(u("target.bin")), content);
    EXPECT_EQ(readAll(u("source.bin")), content);
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(FileCopy, FailuresReturnZeroAndLeaveTheTargetAlone)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    writeAll(u("target.txt"), "keep me");
    EXPECT_EQ(qz.FileCopy(u("missing.txt"), u("target.txt")), 0);
    EXPECT_EQ(readAll(u("target.txt")), QByteArray("keep me"));

    // Onto itself, under another spelling of the same path.
    EXPECT_EQ(qz.FileCopy(u("target.txt"), u("./target.txt")), 0);
    EXPECT_EQ(readAll(u("target.txt")), QByteArray("keep me"));

    writeAll(u("source.txt"), "new");
    EXPECT_EQ(qz.FileCopy(u("source.txt"), u("no-such-folder/target.txt")), 0);
    EXPECT_EQ(qz.FileCopy(cwd.path(), u("folder-copy")), 0);
    EXPECT_FALSE(QFileInfo::exists(u("folder-copy")));
    ASSERT_TRUE(QDir().mkdir(u("sub")));
    EXPECT_EQ(qz.FileCopy(u("source.txt"), u("sub")), 0);
    EXPECT_TRUE(QFileInfo(u("sub")).isDir());

    // A read-only target stays as it is.
    QFile::setPermissions(u("target.txt"), QFileDevice::ReadOwner);
    EXPECT_EQ(qz.FileCopy(u("source.txt"), u("target.txt")), 0);
    QFile::setPermissions(u("target.txt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readAll(u("target.txt")), QByteArray("keep me"));
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(SearchPath, FindsFilesInOneFolder)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    ASSERT_TRUE(QDir().mkpath(u("data/sub")));
    writeAll(u("data/a.b.txt"), "x");
    writeAll(u("data/plain"), "x");
    writeAll(u("data/資料.txt"), "x");

    EXPECT_TRUE(qz.Search_path(cwd.file(u("data/a.b.txt"))));
    EXPECT_TRUE(qz.Search_path(u("data/a.b.txt")));
    EXPECT_TRUE(qz.Search_path(u("data/plain")));
    EXPECT_TRUE(qz.Search_path(u("data/資料.txt")));
    EXPECT_TRUE(qz.Search_path(u("data/sub")));
    EXPECT_TRUE(qz.Search_path(u("/usr/bin/sh")));
    EXPECT_FALSE(qz.Search_path(cwd.file(u("data/missing.txt"))));
    EXPECT_FALSE(qz.Search_path(u("data/a.txt")));
    EXPECT_FALSE(qz.Search_path(u("data/")));
    EXPECT_FALSE(qz.Search_path(u("nowhere/a.b.txt")));
    // Only that folder is searched, never below it.
    writeAll(u("data/sub/deep.txt"), "x");
    EXPECT_FALSE(qz.Search_path(u("data/deep.txt")));
    EXPECT_TRUE(qz.Search_path(u("data/sub/deep.txt")));
    EXPECT_FALSE(qz.Search_path(cwd.file(u("a.b.txt"))));
    EXPECT_EQ(pendingError().number, 0);
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(SearchPath, ThreeCharacterNamesAreLookedUpHere)
{
    TempCwd cwd;
    QzCmn14 qz;
    writeAll(u("abc"), "x");
    ASSERT_TRUE(QDir().mkdir(u("dir")));
    ASSERT_TRUE(QDir().mkdir(u("em")));
    writeAll(u("dir/f.c"), "x");
    writeAll(u("x.c"), "x");
    EXPECT_TRUE(qz.Search_path(u("abc")));
    EXPECT_TRUE(qz.Search_path(u("dir")));
    EXPECT_FALSE(qz.Search_path(u("xyz")));
    EXPECT_TRUE(qz.Search_path(u("*.c")));
    EXPECT_FALSE(qz.Search_path(u("*.h")));
    EXPECT_TRUE(qz.Search_path(u("em/")));
    EXPECT_FALSE(qz.Search_path(u("no/")));
    EXPECT_EQ(pendingError().number, 0);
}

TEST(SearchPath, APathWithoutFolderIsAnInvalidArgument)
{
    TempCwd cwd;
    FakeDesktop desk;
    QzCmn14 qz;
    writeAll(u("report.txt"), "x");
    pendingError() = PendingError();
    // A name without a folder is neither searched nor thrown: the error waits for Err_Msg.
    EXPECT_FALSE(qz.Search_path(u("report.txt")));
    EXPECT_EQ(pendingError().number, 5);
    EXPECT_FALSE(pendingError().description.isEmpty());
    pendingError() = PendingError();
    EXPECT_FALSE(qz.Search_path(QString()));
    EXPECT_EQ(pendingError().number, 5);
    pendingError() = PendingError();
    // A backslash separates nothing here.
    EXPECT_FALSE(qz.Search_path(u("C:\\Windows\\notepad.exe")));
    EXPECT_EQ(pendingError().number, 5);
    pendingError() = PendingError();
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST(SystemFolders, AreTheInstallationFolders)
{
    QzCmn14 qz;
    pendingError() = PendingError();
    const QString win = qz.WinDir();
    const QString sys = qz.SysDir();
    EXPECT_EQ(win, u("/usr"));
    EXPECT_EQ(sys, u("/usr/lib"));
    for (const QString &folder : {win, sys}) {
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
        EXPECT_FALSE(folder.endsWith(QLatin1Char('/')));
        EXPECT_LT(folder.size(), 99);
    }
    EXPECT_EQ(pendingError().number, 0);
}
