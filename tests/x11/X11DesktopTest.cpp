// The Linux desktop's window services and tray icons on an X server of the suite's own; other
// programs' windows are made on a connection of the test's own, as another program would make them.
#include "platform/QzCmn14.h"
#include "platform/TrayRecord.h"
#include "platform/linux/LinuxTray.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <QSystemTrayIcon>

#include <X11/Xlib.h>

#include <vector>

using namespace orvane;
using namespace orvane::test;

namespace {

// The suite's own X server, there before the application connects; no StatusNotifier host on it,
// so that the tray is trayer's XEmbed one.
const Xvfb Server;
const bool OnServer = qputenv("DISPLAY", Server.display.toLatin1()) && qputenv("QT_QPA_PLATFORM", "xcb") &&
                      qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");

class Desktop : public testing::Test {
protected:
    ~Desktop() override { XCloseDisplay(d); }
    Atom atom(const char *name) { return XInternAtom(d, name, False); }
    Window window(bool mapped, const char *title = "", bool closes = false)
    {
        const Window w = XCreateSimpleWindow(d, root, 10, 10, 120, 80, 0, 0, 0xffffff);
        XStoreName(d, w, title);
        Atom protocols[] = {atom("WM_DELETE_WINDOW")};
        XSetWMProtocols(d, w, protocols, closes ? 1 : 0);
        if (mapped)
            XMapWindow(d, w);
        XSync(d, False);
        return w;
    }
    void set(Window w, const char *property, const char *type, int format, const void *data, int count)
    {
        XChangeProperty(d, w, atom(property), atom(type), format, PropModeReplace,
                        static_cast<const unsigned char *>(data), count);
        XSync(d, False);
    }
    // What xwininfo and xprop say of the window: whether it IsViewable, its _NET_WM_STATE.
    QByteArray about(Window w)
    {
        QByteArray info, state;
        run(display, {"xwininfo", "-id", QString::number(w)}, &info);
        run(display, {"xprop", "-id", QString::number(w), "_NET_WM_STATE"}, &state);
        return info + state;
    }
    // The next client message to a window of this connection: type, window and its first two values.
    std::vector<unsigned long> message()
    {
        XEvent e{};
        if (!soon([&] { return XCheckTypedEvent(d, ClientMessage, &e); }))
            return {};
        return {e.xclient.message_type, e.xclient.window, static_cast<unsigned long>(e.xclient.data.l[0]),
                static_cast<unsigned long>(e.xclient.data.l[1])};
    }

    const QString display = qEnvironmentVariable("DISPLAY");
    Display *d = XOpenDisplay(nullptr);
    const Window root = DefaultRootWindow(d);
    QzCmn14 common;
};

TEST_F(Desktop, FindWindowTakesTheExactTitleAManagedOneFirstAndAppCloseAsksOnlyWhoTakesPartInClosing)
{
    const Window closable = window(false, "Plain Title", true), japanese = window(true);
    const char title[] = "メモ帳 - 無題";
    set(japanese, "_NET_WM_NAME", "UTF8_STRING", 8, title, sizeof title - 1);
    const Window lower = window(true, "Twin"), upper = window(true, "Twin");
    for (const auto &[title, found] : std::initializer_list<std::pair<QString, Window>>{
             {"Plain Title", closable}, {"plain title", 0}, {"Plain", 0}, {title, japanese}, {"Twin", upper}})
        EXPECT_EQ(common.Find_Window(title), static_cast<qint32>(found)) << title.toStdString();
    // A window manager lists the windows it manages on the root.
    set(root, "_NET_CLIENT_LIST", "WINDOW", 32, &lower, 1);
    EXPECT_EQ(common.Find_Window(QStringLiteral("Twin")), static_cast<qint32>(lower));
    XDeleteProperty(d, root, atom("_NET_CLIENT_LIST"));

    EXPECT_FALSE(common.AppClose(QStringLiteral("Twin")));
    EXPECT_FALSE(common.AppClose(QStringLiteral("Nobody")));
    EXPECT_TRUE(common.AppClose(QStringLiteral("Plain Title")));
    // The first request to arrive is the closable window's: the other twin was never asked.
    EXPECT_EQ(message(), (std::vector<unsigned long>{atom("WM_PROTOCOLS"), closable, atom("WM_DELETE_WINDOW"), 0}));
    QWidget own;
    own.setWindowTitle(QStringLiteral("Orvane 自分"));
    own.show();
    ASSERT_TRUE(soon([&] { return common.Find_Window(own.windowTitle()) != 0; }));
    EXPECT_TRUE(common.AppClose(own.windowTitle()));
    EXPECT_FALSE(own.isVisible()) << "a window of this program closes before the call returns";

    // A window that went meanwhile gets nothing and harms nothing.
    const Window gone = window(true, "Gone", true);
    XDestroyWindow(d, gone);
    XSync(d, False);
    EXPECT_FALSE(desktop().setForegroundWindow(gone));
    EXPECT_FALSE(desktop().setTopMost(gone, true));
    EXPECT_FALSE(desktop().closeWindow(gone));
    EXPECT_EQ(common.Find_Window(QStringLiteral("Plain Title")), static_cast<qint32>(closable));
}

TEST_F(Desktop, WithoutAWindowManagerTopAndTopMostActThemselves)
{
    const Window below = window(true), hidden = window(false), pinned = window(false);
    common.WindowTop(static_cast<qint32>(below));
    common.WindowTop(static_cast<qint32>(hidden));
    Window r = None, parent = None, *children = nullptr, focus = None;
    unsigned int n = 0;
    int revert = 0;
    XQueryTree(d, root, &r, &parent, &children, &n);
    EXPECT_EQ(children[n - 1], below) << "raised";
    XFree(children);
    XGetInputFocus(d, &focus, &revert);
    EXPECT_EQ(focus, below);
    EXPECT_FALSE(about(hidden).contains("IsViewable"));

    const Atom sticky = atom("_NET_WM_STATE_STICKY");
    set(pinned, "_NET_WM_STATE", "ATOM", 32, &sticky, 1);
    common.WindowTopMost(static_cast<qint32>(pinned));
    QByteArray seen = about(pinned);
    EXPECT_TRUE(seen.contains("IsViewable") && seen.contains("_NET_WM_STATE_ABOVE")) << seen.constData();
    common.WindowTopMostRst(static_cast<qint32>(pinned));
    seen = about(pinned);
    EXPECT_TRUE(seen.contains("IsViewable") && !seen.contains("_NET_WM_STATE_ABOVE")) << seen.constData();
    EXPECT_TRUE(seen.contains("_NET_WM_STATE_STICKY")) << "other states stay";

    QWidget own;
    for (bool on : {true, false}) {
        on ? common.WindowTopMost(qint32(own.winId())) : common.WindowTopMostRst(qint32(own.winId()));
        EXPECT_TRUE(own.isVisible());
        EXPECT_EQ(own.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
    }
}

TEST_F(Desktop, WithAWindowManagerTopAndTopMostAskIt)
{
    const Window w = window(true);
    // Play the window manager: take the root's redirection and say what it supports.
    const Atom supported[] = {atom("_NET_ACTIVE_WINDOW"), atom("_NET_WM_STATE"), atom("_NET_WM_STATE_ABOVE")};
    set(root, "_NET_SUPPORTED", "ATOM", 32, supported, 3);
    XSelectInput(d, root, SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(d, False);
    common.WindowTop(static_cast<qint32>(w));
    EXPECT_EQ(message(), (std::vector<unsigned long>{atom("_NET_ACTIVE_WINDOW"), w, 1, 0})) << "from an application";
    common.WindowTopMost(static_cast<qint32>(w));
    EXPECT_EQ(message(), (std::vector<unsigned long>{atom("_NET_WM_STATE"), w, 1, atom("_NET_WM_STATE_ABOVE")}));
    common.WindowTopMostRst(static_cast<qint32>(w));
    EXPECT_EQ(message(), (std::vector<unsigned long>{atom("_NET_WM_STATE"), w, 0, atom("_NET_WM_STATE_ABOVE")}));
    XDeleteProperty(d, root, atom("_NET_SUPPORTED"));
}

TEST_F(Desktop, ATrayIconIsAddedOnceChangedThroughItsRecordAndRemoved)
{
    Started trayer("trayer", Trayer, display);
    ASSERT_TRUE(trayReady(display));
    const qint32 first = iconHandle(QIcon(QPixmap(16, 16))), second = iconHandle(QIcon(QPixmap(16, 16)));
    QWidget window;
    const auto hWnd = static_cast<qint32>(window.winId());

    ASSERT_TRUE(common.TrayAddIcon(hWnd, first, QStringLiteral("左-Menu:右-Help")));
    QSystemTrayIcon *icon = trayIconOf(hWnd, 1);
    ASSERT_TRUE(icon && soon([&] { return trayIcons(display, "x11_tests").size() == 1; }));
    EXPECT_EQ(icon->toolTip(), QStringLiteral("左-Menu:右-Help"));
    // A second add is refused, though the record takes its values; a modify then applies them.
    EXPECT_FALSE(common.TrayAddIcon(hWnd, second, QStringLiteral("second")));
    EXPECT_EQ(icon->toolTip(), QStringLiteral("左-Menu:右-Help"));
    EXPECT_TRUE(common.TrayModifyIcon(second, QString(80, QLatin1Char('x'))));
    EXPECT_EQ(icon->toolTip(), QString(63, QLatin1Char('x')));
    EXPECT_EQ(icon->icon().cacheKey(), iconForHandle(second).cacheKey());
    EXPECT_TRUE(common.TrayDelIcon());
    EXPECT_TRUE(soon([&] { return trayIcons(display, "x11_tests").isEmpty(); }));
    EXPECT_FALSE(common.TrayDelIcon());
}

} // namespace
