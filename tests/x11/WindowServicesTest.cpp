// Finding, closing, raising and pinning windows over X11: other programs' windows are made on a
// connection of the test's own, as another program would make them.
#include "XSession.h"
#include "platform/QzCmn14.h"

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

    // A top-level window, with a Latin-1 title when one is given.
    Window window(int x, int y, bool mapped, const char *title = nullptr)
    {
        const Window w = XCreateSimpleWindow(d, root(), x, y, 120, 80, 0, 0, 0xffffff);
        if (title)
            XStoreName(d, w, title);
        if (mapped)
            XMapWindow(d, w);
        XSync(d, False);
        return w;
    }
    void setAtoms(Window w, const char *property, Atom type, const std::vector<unsigned long> &values)
    {
        XChangeProperty(d, w, atom(property), type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(values.data()), static_cast<int>(values.size()));
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
    bool hasState(Window w, const char *name)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        bool found = false;
        if (XGetWindowProperty(d, w, atom("_NET_WM_STATE"), 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                               &data) == Success &&
            data) {
            const auto *atoms = reinterpret_cast<const Atom *>(data);
            found = std::find(atoms, atoms + count, atom(name)) != atoms + count;
            XFree(data);
        }
        return found;
    }
    Window topmost() { return childrenOf(d, root()).back(); }
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
    const Window plain = other.window(10, 10, false, "Plain Title");
    const Window japanese = other.window(20, 20, true);
    const QByteArray title = QStringLiteral("メモ帳 - 無題").toUtf8();
    XChangeProperty(other.d, japanese, other.atom("_NET_WM_NAME"), other.atom("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(title.constData()), title.size());
    XSync(other.d, False);
    OwnWindow own;
    own.setWindowTitle(QStringLiteral("Orvane テスト"));
    own.winId();
    QCoreApplication::processEvents();

    EXPECT_EQ(common.Find_Window(QStringLiteral("Plain Title")), static_cast<qint32>(plain));
    EXPECT_EQ(common.Find_Window(QStringLiteral("メモ帳 - 無題")), static_cast<qint32>(japanese));
    EXPECT_TRUE(waitUntil([&] { return common.Find_Window(QStringLiteral("Orvane テスト")) == qint32(own.winId()); }));
    for (const char *title : {"plain title", "Plain", "nobody has this title"})
        EXPECT_EQ(common.Find_Window(QLatin1String(title)), 0) << title;
}

TEST_F(WindowServices, FindsAManagedWindowFirstAndTheTopmostOfTheRest)
{
    const Window managed = other.window(50, 50, false, "Twin");
    other.window(10, 10, true, "Twin");
    const Window upper = other.window(30, 30, true, "Twin");
    EXPECT_EQ(common.Find_Window(QStringLiteral("Twin")), static_cast<qint32>(upper));
    // A window manager lists the windows it manages on the root.
    other.setAtoms(other.root(), "_NET_CLIENT_LIST", XA_WINDOW, {managed});
    EXPECT_EQ(common.Find_Window(QStringLiteral("Twin")), static_cast<qint32>(managed));
}

TEST_F(WindowServices, AppCloseAsksAWindowThatTakesPartInTheCloseProtocol)
{
    const Window closable = other.window(10, 10, true, "Closable");
    other.takesPartInClosing(closable);
    EXPECT_TRUE(common.AppClose(QStringLiteral("Closable")));
    XClientMessageEvent message{};
    ASSERT_TRUE(other.clientMessage(message));
    EXPECT_EQ(message.window, closable);
    EXPECT_EQ(message.message_type, other.atom("WM_PROTOCOLS"));
    EXPECT_EQ(static_cast<Atom>(message.data.l[0]), other.atom("WM_DELETE_WINDOW"));

    // A window that doesn't understand the request isn't asked; an unknown title finds nothing.
    const Window stubborn = other.window(20, 20, true, "Stubborn");
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
    ASSERT_EQ(other.topmost(), above);

    common.WindowTop(static_cast<qint32>(below));
    XSync(other.d, False);
    EXPECT_EQ(other.topmost(), below);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(other.d, &focus, &revert);
    EXPECT_EQ(focus, below);

    const Window hidden = other.window(70, 70, false);
    common.WindowTop(static_cast<qint32>(hidden));
    XSync(other.d, False);
    EXPECT_FALSE(other.viewable(hidden));
    OwnWindow own;
    common.WindowTop(static_cast<qint32>(own.winId()));
    EXPECT_FALSE(own.isVisible());
}

TEST_F(WindowServices, WindowTopMostShowsAHiddenWindowAndMarksItAboveUntilReset)
{
    const Window w = other.window(10, 10, false);
    other.setAtoms(w, "_NET_WM_STATE", XA_ATOM, {other.atom("_NET_WM_STATE_STICKY")});
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
    // Play the window manager: claim the redirection of the root and say what it supports.
    other.setAtoms(other.root(), "_NET_SUPPORTED", XA_ATOM,
                   {other.atom("_NET_ACTIVE_WINDOW"), other.atom("_NET_WM_STATE"), other.atom("_NET_WM_STATE_ABOVE")});
    XSelectInput(other.d, other.root(), SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(other.d, False);

    XClientMessageEvent message{};
    common.WindowTop(static_cast<qint32>(w));
    ASSERT_TRUE(other.clientMessage(message));
    EXPECT_EQ(message.window, w);
    EXPECT_EQ(message.message_type, other.atom("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(message.data.l[0], 1) << "asked by an application";

    for (int on : {1, 0}) {
        on ? common.WindowTopMost(static_cast<qint32>(w)) : common.WindowTopMostRst(static_cast<qint32>(w));
        ASSERT_TRUE(other.clientMessage(message));
        EXPECT_EQ(message.message_type, other.atom("_NET_WM_STATE"));
        EXPECT_EQ(message.data.l[0], on);
        EXPECT_EQ(static_cast<Atom>(message.data.l[1]), other.atom("_NET_WM_STATE_ABOVE"));
    }
}

TEST_F(WindowServices, AWindowThatIsGoneGivesTheNeutralResults)
{
    const Window gone = other.window(10, 10, true, "Soon gone");
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
