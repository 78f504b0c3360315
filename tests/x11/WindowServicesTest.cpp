// Finding, closing, raising and pinning windows over X11: other programs' windows are made on a
// connection of the test's own, as another program would make them.
#include "XSession.h"
#include "common/QzCmn14.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QTest>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

using namespace orvane;
using namespace orvane::test;

namespace {

class OtherProgram {
public:
    OtherProgram() : d(XOpenDisplay(nullptr)) {}
    ~OtherProgram()
    {
        if (d)
            XCloseDisplay(d);
    }
    Atom atom(const char *name) { return XInternAtom(d, name, False); }
    Window root() { return DefaultRootWindow(d); }

    Window window(int x, int y, bool mapped)
    {
        const Window w = XCreateSimpleWindow(d, root(), x, y, 120, 80, 0, 0, 0xffffff);
        if (mapped)
            XMapWindow(d, w);
        XSync(d, False);
        return w;
    }
    void latin1Title(Window w, const char *title)
    {
        XStoreName(d, w, title);
        XSync(d, False);
    }
    void utf8Title(Window w, const QString &title)
    {
        const QByteArray bytes = title.toUtf8();
        XChangeProperty(d, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
        XSync(d, False);
    }
    void takesPartInClosing(Window w)
    {
        Atom protocols[] = {atom("WM_DELETE_WINDOW")};
        XSetWMProtocols(d, w, protocols, 1);
        XSync(d, False);
    }
    bool viewable(Window w)
    {
        XWindowAttributes a{};
        return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
    }
    std::vector<Atom> states(Window w)
    {
        std::vector<Atom> result;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(d, w, atom("_NET_WM_STATE"), 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                               &data) == Success &&
            data) {
            const auto *atoms = reinterpret_cast<const Atom *>(data);
            result.assign(atoms, atoms + count);
            XFree(data);
        }
        return result;
    }
    bool hasState(Window w, const char *name)
    {
        const auto s = states(w);
        return std::find(s.begin(), s.end(), atom(name)) != s.end();
    }
    // The root's children, bottom to top.
    std::vector<Window> stacking()
    {
        Window r = 0, p = 0, *children = nullptr;
        unsigned int n = 0;
        std::vector<Window> result;
        if (XQueryTree(d, root(), &r, &p, &children, &n) && children) {
            result.assign(children, children + n);
            XFree(children);
        }
        return result;
    }
    // The next client message that reaches this connection within the time.
    bool clientMessage(XClientMessageEvent &out, int timeoutMs = 10000)
    {
        return waitUntil(
            [&] {
                while (XPending(d)) {
                    XEvent e;
                    XNextEvent(d, &e);
                    if (e.type == ClientMessage) {
                        out = e.xclient;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }
    // Plays the window manager: claims the redirection of the root and says what it supports.
    void actAsWindowManager()
    {
        Atom supported[] = {atom("_NET_ACTIVE_WINDOW"), atom("_NET_WM_STATE"), atom("_NET_WM_STATE_ABOVE")};
        XChangeProperty(d, root(), atom("_NET_SUPPORTED"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(supported), 3);
        XSelectInput(d, root(), SubstructureRedirectMask | SubstructureNotifyMask);
        XSync(d, False);
    }

    Display *d;
};

class WindowServices : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(other.d, nullptr); }
    OtherProgram other;
    QzCmn14 common;
};

// A window of this program that counts its close requests.
class OwnWindow : public QWidget {
public:
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeRequests;
        QWidget::closeEvent(event);
    }
};

TEST_F(WindowServices, FindsTopLevelWindowsByTheirExactTitleShownOrHidden)
{
    const Window plain = other.window(10, 10, false);
    other.latin1Title(plain, "Plain Title");
    const Window japanese = other.window(20, 20, true);
    other.utf8Title(japanese, QStringLiteral("メモ帳 - 無題"));
    OwnWindow own;
    own.setWindowTitle(QStringLiteral("Orvane テスト"));
    own.winId();
    QCoreApplication::processEvents();

    EXPECT_EQ(common.Find_Window(QStringLiteral("Plain Title")), static_cast<qint32>(plain));
    EXPECT_EQ(common.Find_Window(QStringLiteral("メモ帳 - 無題")), static_cast<qint32>(japanese));
    EXPECT_TRUE(waitUntil([&] { return common.Find_Window(QStringLiteral("Orvane テスト")) == qint32(own.winId()); }));
    EXPECT_EQ(common.Find_Window(QStringLiteral("plain title")), 0);
    EXPECT_EQ(common.Find_Window(QStringLiteral("Plain")), 0);
    EXPECT_EQ(common.Find_Window(QStringLiteral("nobody has this title")), 0);
}

TEST_F(WindowServices, FindsAManagedWindowFirstAndTheTopmostOfTheRest)
{
    const Window managed = other.window(50, 50, false);
    const Window lower = other.window(10, 10, true);
    const Window upper = other.window(30, 30, true);
    for (Window w : {lower, upper, managed})
        other.latin1Title(w, "Twin");
    EXPECT_EQ(common.Find_Window(QStringLiteral("Twin")), static_cast<qint32>(upper));

    // A window manager lists the windows it manages on the root.
    const unsigned long clients[] = {managed};
    XChangeProperty(other.d, other.root(), other.atom("_NET_CLIENT_LIST"), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(clients), 1);
    XSync(other.d, False);
    EXPECT_EQ(common.Find_Window(QStringLiteral("Twin")), static_cast<qint32>(managed));
}

TEST_F(WindowServices, AppCloseAsksAWindowThatTakesPartInTheCloseProtocol)
{
    const Window closable = other.window(10, 10, true);
    other.latin1Title(closable, "Closable");
    other.takesPartInClosing(closable);
    EXPECT_TRUE(common.AppClose(QStringLiteral("Closable")));
    XClientMessageEvent message{};
    ASSERT_TRUE(other.clientMessage(message));
    EXPECT_EQ(message.window, closable);
    EXPECT_EQ(message.message_type, other.atom("WM_PROTOCOLS"));
    EXPECT_EQ(static_cast<Atom>(message.data.l[0]), other.atom("WM_DELETE_WINDOW"));

    // A window that doesn't understand the request isn't asked; an unknown title finds nothing.
    const Window stubborn = other.window(20, 20, true);
    other.latin1Title(stubborn, "Stubborn");
    EXPECT_FALSE(common.AppClose(QStringLiteral("Stubborn")));
    EXPECT_FALSE(common.AppClose(QStringLiteral("Nobody")));
    EXPECT_FALSE(other.clientMessage(message, 300));
    EXPECT_TRUE(other.viewable(stubborn));
}

TEST_F(WindowServices, AppCloseClosesAWindowOfThisProgramBeforeItReturns)
{
    OwnWindow own;
    own.setWindowTitle(QStringLiteral("Orvane 閉じるテスト"));
    own.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&own));
    ASSERT_TRUE(waitUntil([&] { return common.Find_Window(own.windowTitle()) != 0; }));
    EXPECT_TRUE(common.AppClose(own.windowTitle()));
    EXPECT_EQ(own.closeRequests, 1);
    EXPECT_FALSE(own.isVisible());
}

TEST_F(WindowServices, WindowTopRaisesAndFocusesAShownWindowAndLeavesAHiddenOneHidden)
{
    const Window below = other.window(10, 10, true);
    const Window above = other.window(40, 40, true);
    ASSERT_TRUE(waitUntil([&] { return other.viewable(below) && other.viewable(above); }));
    ASSERT_EQ(other.stacking().back(), above);

    common.WindowTop(static_cast<qint32>(below));
    XSync(other.d, False);
    EXPECT_EQ(other.stacking().back(), below);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(other.d, &focus, &revert);
    EXPECT_EQ(focus, below);

    const Window hidden = other.window(70, 70, false);
    common.WindowTop(static_cast<qint32>(hidden));
    XSync(other.d, False);
    EXPECT_FALSE(other.viewable(hidden));

    OwnWindow own;
    own.winId();
    common.WindowTop(static_cast<qint32>(own.winId()));
    EXPECT_FALSE(own.isVisible());
}

TEST_F(WindowServices, WindowTopMostShowsAHiddenWindowAndMarksItAboveUntilReset)
{
    const Window w = other.window(10, 10, false);
    const Atom sticky = other.atom("_NET_WM_STATE_STICKY");
    XChangeProperty(other.d, w, other.atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&sticky), 1);
    XSync(other.d, False);

    common.WindowTopMost(static_cast<qint32>(w));
    XSync(other.d, False);
    EXPECT_TRUE(waitUntil([&] { return other.viewable(w); }));
    EXPECT_TRUE(other.hasState(w, "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(other.hasState(w, "_NET_WM_STATE_STICKY")) << "other states stay";

    common.WindowTopMostRst(static_cast<qint32>(w));
    XSync(other.d, False);
    EXPECT_TRUE(other.viewable(w));
    EXPECT_FALSE(other.hasState(w, "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(other.hasState(w, "_NET_WM_STATE_STICKY"));

    OwnWindow own;
    own.winId();
    common.WindowTopMost(static_cast<qint32>(own.winId()));
    EXPECT_TRUE(own.isVisible());
    EXPECT_TRUE(own.windowFlags() & Qt::WindowStaysOnTopHint);
    common.WindowTopMostRst(static_cast<qint32>(own.winId()));
    EXPECT_TRUE(own.isVisible());
    EXPECT_FALSE(own.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(WindowServices, WithAWindowManagerTheRequestsGoToIt)
{
    const Window w = other.window(10, 10, true);
    ASSERT_TRUE(waitUntil([&] { return other.viewable(w); }));
    other.actAsWindowManager();

    XClientMessageEvent message{};
    common.WindowTop(static_cast<qint32>(w));
    ASSERT_TRUE(other.clientMessage(message));
    EXPECT_EQ(message.window, w);
    EXPECT_EQ(message.message_type, other.atom("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(message.data.l[0], 1) << "asked by an application";

    common.WindowTopMost(static_cast<qint32>(w));
    ASSERT_TRUE(other.clientMessage(message));
    EXPECT_EQ(message.message_type, other.atom("_NET_WM_STATE"));
    EXPECT_EQ(message.data.l[0], 1);
    EXPECT_EQ(static_cast<Atom>(message.data.l[1]), other.atom("_NET_WM_STATE_ABOVE"));

    common.WindowTopMostRst(static_cast<qint32>(w));
    ASSERT_TRUE(other.clientMessage(message));
    EXPECT_EQ(message.data.l[0], 0);
    EXPECT_EQ(static_cast<Atom>(message.data.l[1]), other.atom("_NET_WM_STATE_ABOVE"));
}

TEST_F(WindowServices, AWindowThatIsGoneGivesTheNeutralResults)
{
    const Window gone = other.window(10, 10, true);
    other.latin1Title(gone, "Soon gone");
    other.takesPartInClosing(gone);
    XDestroyWindow(other.d, gone);
    XSync(other.d, False);

    EXPECT_EQ(common.Find_Window(QStringLiteral("Soon gone")), 0);
    const auto handle = static_cast<qint32>(gone);
    EXPECT_FALSE(desktop().setForegroundWindow(handle));
    EXPECT_FALSE(desktop().setTopMost(handle, true));
    EXPECT_FALSE(desktop().setTopMost(handle, false));
    EXPECT_FALSE(desktop().closeWindow(handle));
    EXPECT_FALSE(desktop().setForegroundWindow(0));
    common.WindowTop(handle);
    common.WindowTopMost(handle);
    EXPECT_FALSE(common.AppClose(QStringLiteral("Soon gone")));
    // Still here, and still talking to the server.
    EXPECT_EQ(common.Find_Window(QStringLiteral("Soon gone")), 0);
}

} // namespace
