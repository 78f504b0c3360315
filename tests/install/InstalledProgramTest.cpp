// Orvane as installed into a prefix: started directly and through its desktop entries' commands, each
// test under an X server of its own, and started a second time while it runs.
#include "XSession.h"

#include <gtest/gtest.h>

// Qt before Xlib, whose macros (Status, Bool) clash with Qt's names.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <set>
#include <utility>

using namespace orvane::test;

namespace {

const std::string Prefix = ORVANE_TEST_PREFIX;
const std::string Program = Prefix + "/bin/orvane";
const char MainTitle[] = "Orvane!";
const char HelpTitle[] = "Orvane ヘルプ";

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

// The sizes of the images in the _NET_WM_ICON of the top-level window with this title.
std::set<std::pair<long, long>> windowIconSizes(const std::string &display, const std::string &title)
{
    std::set<std::pair<long, long>> sizes;
    Display *d = XOpenDisplay(display.c_str());
    if (!d)
        return sizes;
    auto previous = XSetErrorHandler(&ignoreErrors);
    for (Window w : childrenOf(d, DefaultRootWindow(d))) {
        if (titleOf(d, w) != title)
            continue;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_ICON", False), 0, 1 << 20, False, XA_CARDINAL, &type,
                               &format, &count, &after, &data) == Success &&
            data) {
            // Width, height, then width × height pixels, image after image; Xlib hands 32-bit items as longs.
            const auto *items = reinterpret_cast<const long *>(data);
            for (unsigned long i = 0; i + 2 <= count;) {
                const long width = items[i], height = items[i + 1];
                if (width <= 0 || height <= 0)
                    break;
                sizes.insert({width, height});
                i += 2 + static_cast<unsigned long>(width * height);
            }
            XFree(data);
        }
    }
    XSync(d, False);
    XSetErrorHandler(previous);
    XCloseDisplay(d);
    return sizes;
}

// How many icons of the program with this WM_CLASS instance the tray host holds.
int embeddedIconCount(const std::string &display, const std::string &instance)
{
    Display *d = XOpenDisplay(display.c_str());
    if (!d)
        return -1;
    auto previous = XSetErrorHandler(&ignoreErrors);
    int count = 0;
    std::vector<Window> pending = childrenOf(d, DefaultRootWindow(d));
    while (!pending.empty()) {
        const Window w = pending.back();
        pending.pop_back();
        XClassHint hint{};
        XWindowAttributes a{};
        if (XGetClassHint(d, w, &hint)) {
            const bool match = hint.res_name && instance == hint.res_name;
            XFree(hint.res_name);
            XFree(hint.res_class);
            // The program's icon window, embedded: its parent is not the root.
            Window root = 0, parent = 0, *children = nullptr;
            unsigned int n = 0;
            if (match && XQueryTree(d, w, &root, &parent, &children, &n) && parent != root &&
                XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable)
                ++count;
            if (children)
                XFree(children);
        }
        for (Window child : childrenOf(d, w))
            pending.push_back(child);
    }
    XSync(d, False);
    XSetErrorHandler(previous);
    XCloseDisplay(d);
    return count;
}

// The command of a desktop entry's Exec key (no field codes in ours).
std::string execOf(const std::string &entry)
{
    QFile file(QString::fromStdString(entry));
    if (!file.open(QIODevice::ReadOnly))
        return std::string();
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("Exec="))
            return line.mid(5).toStdString();
    }
    return std::string();
}

std::string procLink(pid_t pid, const char *what)
{
    return QFileInfo(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(what))).symLinkTarget().toStdString();
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(QString::fromStdString(Program)).isExecutable()) << "not installed: " << Program;
        ASSERT_TRUE(m_tmp.isValid());
        // A runtime folder of the test's own, where the program keeps its single-instance socket.
        ASSERT_TRUE(QDir().mkpath(path("run")));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QDir().mkpath(path("work")));
        ASSERT_TRUE(m_server.start());
    }

    QString path(const QString &relative) const { return m_tmp.filePath(relative); }
    std::string spath(const QString &relative) const { return path(relative).toStdString(); }
    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }
    std::string display() const { return m_server.display(); }

    std::vector<std::pair<std::string, std::string>> environment(const std::string &display) const
    {
        return {{"DISPLAY", display},
                {"QT_QPA_PLATFORM", "xcb"},
                {"XDG_RUNTIME_DIR", spath("run")},
                {"XDG_CONFIG_HOME", spath("config")},
                // No StatusNotifier host: the only tray is trayer's, where a test starts one.
                {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orvane-install-tests"}};
    }

    bool start(ChildProcess &process, const std::string &command, const QString &folder,
               std::vector<std::pair<std::string, std::string>> extra = {})
    {
        process.workingDirectory = spath(folder);
        auto env = environment(display());
        env.insert(env.end(), extra.begin(), extra.end());
        return process.start({command}, env);
    }

    bool mainWindowShown()
    {
        return waitUntil([&] { return windowShown(display(), MainTitle); }, 60000);
    }

    // Gives the main window the keyboard (there is no window manager to do it) and types keys.
    bool typeIntoMainWindow(const std::vector<std::string> &keys)
    {
        std::vector<std::string> argv{"xdotool", "search", "--name",  "^Orvane!$", "windowfocus",
                                      "--sync",  "key",    "--delay", "100"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        ChildProcess xdotool;
        return xdotool.start(argv, {{"DISPLAY", display()}}) && xdotool.waitForExit(30000) == 0;
    }

    QTemporaryDir m_tmp;
    XvfbServer m_server;
};

TEST_F(Installed, StartedInAFolderItKeepsItsSettingsThereShowsItsIconAndFindsItsHelp)
{
    ChildProcess orvane;
    ASSERT_TRUE(start(orvane, Program, QStringLiteral("work")));
    // No tray host: the main window shows, with the menus on its menu bar.
    ASSERT_TRUE(mainWindowShown());
    EXPECT_TRUE(exists(QStringLiteral("work/System.ini"))) << "the settings live in the current folder";
    EXPECT_FALSE(exists(QStringLiteral("config/orvane"))) << "started from a shell, the config folder stays alone";

    const auto sizes = windowIconSizes(display(), MainTitle);
    for (long size : {16L, 32L, 48L})
        EXPECT_TRUE(sizes.count({size, size})) << "no " << size << " px image in the window's icon";

    // ﾍﾙﾌﾟ&H on the menu bar, then its entry ﾍﾙﾌﾟ(&H): the help of the data folder of this install.
    ASSERT_FALSE(windowShown(display(), HelpTitle));
    ASSERT_TRUE(typeIntoMainWindow({"alt+h"}));
    ASSERT_TRUE(waitUntil([&] { return windowShown(display(), "Help"); }));
    ASSERT_TRUE(pressKeys(display(), {"Return"}));
    EXPECT_TRUE(waitUntil([&] { return windowShown(display(), HelpTitle); }, 60000));
    EXPECT_TRUE(orvane.running());
}

TEST_F(Installed, TheMenuEntryStartsItInItsConfigFolderWhichItCreates)
{
    const std::string command = execOf(Prefix + "/share/applications/orvane.desktop");
    ASSERT_EQ(command, Prefix + "/libexec/orvane/orvane-launch");
    ChildProcess orvane;
    ASSERT_TRUE(start(orvane, command, QStringLiteral("work")));
    ASSERT_TRUE(waitUntil([&] { return exists(QStringLiteral("config/orvane/System.ini")); }, 60000));
    ASSERT_TRUE(mainWindowShown());
    EXPECT_FALSE(exists(QStringLiteral("work/System.ini")));
    // The launcher became the program, which runs in the folder.
    EXPECT_EQ(procLink(orvane.pid(), "exe"), Program);
    EXPECT_EQ(procLink(orvane.pid(), "cwd"), spath("config/orvane"));
}

TEST_F(Installed, TheAutostartEntryWithoutXdgConfigHomeUsesTheHomeConfigFolder)
{
    const std::string command = execOf(Prefix + "/share/orvane/orvane-autostart.desktop");
    ASSERT_EQ(command, Prefix + "/libexec/orvane/orvane-launch");
    ASSERT_TRUE(QDir().mkpath(path("home")));
    ChildProcess orvane;
    ASSERT_TRUE(start(orvane, command, QStringLiteral("work"), {{"HOME", spath("home")}, {"XDG_CONFIG_HOME", ""}}));
    ASSERT_TRUE(waitUntil([&] { return exists(QStringLiteral("home/.config/orvane/System.ini")); }, 60000));
    ASSERT_TRUE(mainWindowShown());
    EXPECT_EQ(procLink(orvane.pid(), "cwd"), spath("home/.config/orvane"));
    EXPECT_FALSE(exists(QStringLiteral("work/System.ini")));
}

TEST_F(Installed, ASecondStartBringsTheFirstForwardAndEndsWithoutSettingsOrIcon)
{
    ChildProcess trayer;
    ASSERT_TRUE(startTrayer(trayer, display()));
    ChildProcess first;
    ASSERT_TRUE(start(first, Program, QStringLiteral("work")));
    ASSERT_TRUE(waitUntil([&] { return embeddedIconCount(display(), "orvane") == 1; }, 60000));
    ASSERT_FALSE(windowShown(display(), MainTitle)) << "with a tray the main window starts hidden";

    // Started in the same folder: one Orvane per settings folder.
    ChildProcess second;
    ASSERT_TRUE(start(second, Program, QStringLiteral("work")));
    EXPECT_EQ(second.waitForExit(30000), 0);
    EXPECT_TRUE(mainWindowShown()) << "the first didn't come forward";
    EXPECT_EQ(embeddedIconCount(display(), "orvane"), 1);
    EXPECT_TRUE(first.running());

    // Hidden again, it comes forward again.
    ASSERT_TRUE(typeIntoMainWindow({"alt+c"}));
    ASSERT_TRUE(waitUntil([&] { return !windowShown(display(), MainTitle); }));
    ChildProcess third;
    ASSERT_TRUE(start(third, Program, QStringLiteral("work")));
    EXPECT_EQ(third.waitForExit(30000), 0);
    EXPECT_TRUE(mainWindowShown());
    EXPECT_TRUE(first.running());
}

TEST_F(Installed, TwoStartsAtOnceLeaveOne)
{
    // Two paths to one settings folder.
    ASSERT_TRUE(QDir().mkpath(path("a")));
    ASSERT_TRUE(QFile::link(path("a"), path("b")));
    ChildProcess a, b;
    ASSERT_TRUE(start(a, Program, QStringLiteral("a")));
    ASSERT_TRUE(start(b, Program, QStringLiteral("b")));
    ASSERT_TRUE(waitUntil([&] { return !a.running() || !b.running(); }, 60000));
    ChildProcess &gone = a.running() ? b : a;
    ChildProcess &staying = a.running() ? a : b;
    EXPECT_EQ(gone.waitForExit(1000), 0);
    EXPECT_TRUE(mainWindowShown());
    EXPECT_TRUE(staying.running());
}

TEST_F(Installed, StartsOnAnotherDisplayDontMeet)
{
    XvfbServer other;
    ASSERT_TRUE(other.start());
    ASSERT_TRUE(QDir().mkpath(path("other")));
    ChildProcess here, there;
    ASSERT_TRUE(start(here, Program, QStringLiteral("work")));
    ASSERT_TRUE(mainWindowShown());
    there.workingDirectory = spath("other");
    ASSERT_TRUE(there.start({Program}, environment(other.display())));
    EXPECT_TRUE(waitUntil([&] { return windowShown(other.display(), MainTitle); }, 60000));
    EXPECT_TRUE(exists(QStringLiteral("other/System.ini")));
    EXPECT_TRUE(here.running());
    EXPECT_TRUE(there.running());
}

TEST_F(Installed, AStartAfterACrashRuns)
{
    ChildProcess first;
    ASSERT_TRUE(start(first, Program, QStringLiteral("work")));
    ASSERT_TRUE(mainWindowShown());
    // Killed, it leaves its socket behind.
    ::kill(first.pid(), SIGKILL);
    EXPECT_EQ(first.waitForExit(10000), -1);
    const QStringList left = QDir(path("run")).entryList({QStringLiteral("orvane-*")}, QDir::System | QDir::Files);
    EXPECT_FALSE(left.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !windowShown(display(), MainTitle); }));

    ChildProcess next;
    ASSERT_TRUE(start(next, Program, QStringLiteral("work")));
    EXPECT_TRUE(mainWindowShown());
    EXPECT_TRUE(next.running());
}

} // namespace
