#include "platform/linux/LinuxDesktop.h"

#include "platform/TrayRecord.h"
#include "platform/linux/HelpViewer.h"
#include "platform/linux/LinuxTray.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

namespace orvane {

namespace {

// ---- Tray icons: one QSystemTrayIcon per record's window and identifier ----

// The mouse codes a tray icon reports; Qt tells presses and double clicks only.
constexpr qint32 LeftDown = 0x201;
constexpr qint32 LeftDoubleClick = 0x203;
constexpr qint32 RightDown = 0x204;
constexpr qint32 MiddleDown = 0x207;

struct TrayEntry {
    QPointer<QSystemTrayIcon> icon;
    TrayRecord record;
    bool accepted = false;
};

using TrayKey = QPair<qint32, quint32>;

QHash<TrayKey, TrayEntry> &trayEntries()
{
    static QHash<TrayKey, TrayEntry> entries;
    return entries;
}

QIcon trayIconImage(qint32 handle)
{
    QIcon icon = iconForHandle(handle);
    if (icon.isNull())
        icon = QGuiApplication::windowIcon();
    if (icon.isNull()) {
        // A blank square stands for an icon handle nobody registered.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    return icon;
}

void deliver(const TrayKey &key, QSystemTrayIcon::ActivationReason reason)
{
    const auto found = trayEntries().constFind(key);
    if (found == trayEntries().constEnd() || !(found->record.uFlags & NifMessage))
        return;
    qint32 code = 0;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        code = LeftDown;
        break;
    case QSystemTrayIcon::DoubleClick:
        code = LeftDoubleClick;
        break;
    case QSystemTrayIcon::Context:
        code = RightDown;
        break;
    case QSystemTrayIcon::MiddleClick:
        code = MiddleDown;
        break;
    default:
        return;
    }
    // Posted, as the shell posts it: the window handles it after the tray's own mouse handling.
    if (QWidget *window = ownWidget(found->record.hWnd))
        QCoreApplication::postEvent(window,
                                    new TrayNotifyEvent(found->record.uCallbackMessage, found->record.uID, code));
}

void removeAllTrayIcons()
{
    for (TrayEntry &entry : trayEntries())
        delete entry.icon.data();
    trayEntries().clear();
}

void applyRecord(QSystemTrayIcon *icon, const TrayRecord &record)
{
    if (record.uFlags & NifIcon)
        icon->setIcon(trayIconImage(record.hIcon));
    if (record.uFlags & NifTip) {
        // Tips are shown as rich text when they look like it; a tip is text, as the shell shows it.
        const QString tip = trayTipShown(record.szTip);
        icon->setToolTip(Qt::mightBeRichText(tip) ? Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap) : tip);
    }
}

// ---- X11: another connection of our own, so that nothing here disturbs Qt's ----

Display *xDisplay()
{
    static Display *display = nullptr;
    static bool tried = false;
    if (tried)
        return display;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    tried = true;
    QByteArray name;
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        if (Display *qtDisplay = x11->display())
            name = DisplayString(qtDisplay);
    display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
    return display;
}

// Collects X errors for the requests made while it lives (a window that vanished, say) instead of
// letting them end the program.
class XErrorTrap {
public:
    explicit XErrorTrap(Display *display) : m_display(display)
    {
        XSync(m_display, False);
        s_failed = false;
        m_previous = XSetErrorHandler(&XErrorTrap::handler);
    }
    ~XErrorTrap()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    bool failed()
    {
        XSync(m_display, False);
        return s_failed;
    }

private:
    static int handler(Display *, XErrorEvent *)
    {
        s_failed = true;
        return 0;
    }
    static inline bool s_failed = false;
    Display *m_display;
    int (*m_previous)(Display *, XErrorEvent *) = nullptr;
};

Atom atom(Display *d, const char *name)
{
    return XInternAtom(d, name, False);
}

std::vector<unsigned long> longsProperty(Display *d, Window w, Atom property, Atom type)
{
    std::vector<unsigned long> values;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(d, w, property, 0, 65536, False, type, &actualType, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (actualType == type && format == 32) {
            const auto *items = reinterpret_cast<const unsigned long *>(data);
            values.assign(items, items + count);
        }
        XFree(data);
    }
    return values;
}

QString windowTitle(Display *d, Window w)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    const Atom utf8 = atom(d, "UTF8_STRING");
    if (XGetWindowProperty(d, w, atom(d, "_NET_WM_NAME"), 0, 65536, False, utf8, &actualType, &format, &count, &after,
                           &data) == Success &&
        data) {
        const QString title = (actualType == utf8 && format == 8)
                                  ? QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(count))
                                  : QString();
        XFree(data);
        if (actualType == utf8)
            return title;
    }
    XTextProperty text{};
    if (!XGetWMName(d, w, &text) || !text.value)
        return QString();
    QString title;
    if (text.encoding == XA_STRING) {
        title = QString::fromLatin1(reinterpret_cast<const char *>(text.value), static_cast<int>(text.nitems));
    } else if (text.encoding == utf8) {
        title = QString::fromUtf8(reinterpret_cast<const char *>(text.value), static_cast<int>(text.nitems));
    } else {
        char **list = nullptr;
        int n = 0;
        if (Xutf8TextPropertyToTextList(d, &text, &list, &n) >= Success && list) {
            if (n > 0)
                title = QString::fromUtf8(list[0]);
            XFreeStringList(list);
        }
    }
    XFree(text.value);
    return title;
}

bool wmSupports(Display *d, const char *name)
{
    const Atom wanted = atom(d, name);
    const auto supported = longsProperty(d, DefaultRootWindow(d), atom(d, "_NET_SUPPORTED"), XA_ATOM);
    return std::find(supported.begin(), supported.end(), wanted) != supported.end();
}

void sendToRoot(Display *d, Window w, Atom type, long l0, long l1, long l2)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = 1; // the request comes from an application
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// The foreign window's attributes; false when there is no such window.
bool attributesOf(Display *d, Window w, XWindowAttributes &attributes)
{
    XErrorTrap trap(d);
    const Status ok = XGetWindowAttributes(d, w, &attributes);
    return ok && !trap.failed();
}

constexpr long NetWmStateRemove = 0;
constexpr long NetWmStateAdd = 1;
constexpr long SourceApplication = 1;

} // namespace

QWidget *ownWidget(qint32 hWnd)
{
    if (hWnd == 0)
        return nullptr;
    return QWidget::find(static_cast<WId>(static_cast<quint32>(hWnd)));
}

QSystemTrayIcon *trayIconOf(qint32 hWnd, quint32 uID)
{
    const auto found = trayEntries().constFind(TrayKey(hWnd, uID));
    return found == trayEntries().constEnd() ? nullptr : found->icon.data();
}

QSystemTrayIcon *shownTrayIcon()
{
    for (const TrayEntry &entry : trayEntries())
        if (entry.icon && entry.icon->isVisible())
            return entry.icon.data();
    return nullptr;
}

bool LinuxDesktop::notifyIcon(int message, const TrayRecord &record)
{
    if (record.cbSize != TrayRecordSize || record.hWnd == 0)
        return false;
    const TrayKey key(record.hWnd, record.uID);
    auto &entries = trayEntries();
    auto found = entries.find(key);
    switch (message) {
    case NimAdd: {
        if (found != entries.end() && found->accepted)
            return false;
        if (found == entries.end()) {
            auto *icon = new QSystemTrayIcon;
            QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                             [key](QSystemTrayIcon::ActivationReason reason) { deliver(key, reason); });
            static const bool cleanupConnected = [] {
                // The icons go before the window system does.
                QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, &removeAllTrayIcons);
                return true;
            }();
            Q_UNUSED(cleanupConnected);
            found = entries.insert(key, TrayEntry{icon, record, false});
        }
        found->record = record;
        applyRecord(found->icon, record);
        // Without a tray host the icon waits and shows up as soon as one appears.
        found->icon->show();
        found->accepted = trayAvailable();
        return found->accepted;
    }
    case NimModify:
        if (found == entries.end() || !found->icon)
            return false;
        found->record = record;
        applyRecord(found->icon, record);
        return trayAvailable();
    case NimDelete:
        if (found == entries.end())
            return false;
        delete found->icon.data();
        entries.erase(found);
        return true;
    default:
        return false;
    }
}

bool LinuxDesktop::trayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

qint32 LinuxDesktop::findWindow(const QString &title)
{
    Display *d = xDisplay();
    if (!d)
        return 0;
    XErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    // Managed windows first, as the window manager lists them; then every top-level window, topmost
    // first, which also finds hidden ones and works without a window manager.
    std::vector<Window> candidates;
    for (unsigned long w : longsProperty(d, root, atom(d, "_NET_CLIENT_LIST"), XA_WINDOW))
        candidates.push_back(static_cast<Window>(w));
    Window rootReturn = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, root, &rootReturn, &parent, &children, &count) && children) {
        for (unsigned int i = count; i > 0; --i)
            candidates.push_back(children[i - 1]);
        XFree(children);
    }
    std::vector<Window> seen;
    for (Window w : candidates) {
        if (std::find(seen.begin(), seen.end(), w) != seen.end())
            continue;
        seen.push_back(w);
        if (windowTitle(d, w) == title)
            return static_cast<qint32>(w);
    }
    return 0;
}

bool LinuxDesktop::setForegroundWindow(qint32 hWnd)
{
    if (QWidget *own = ownWidget(hWnd)) {
        if (!own->isVisible())
            return false;
        own->raise();
        own->activateWindow();
        return true;
    }
    Display *d = xDisplay();
    const auto w = static_cast<Window>(static_cast<quint32>(hWnd));
    XWindowAttributes attributes{};
    if (!d || hWnd == 0 || !attributesOf(d, w, attributes) || attributes.map_state != IsViewable)
        return false;
    XErrorTrap trap(d);
    if (wmSupports(d, "_NET_ACTIVE_WINDOW")) {
        sendToRoot(d, w, atom(d, "_NET_ACTIVE_WINDOW"), SourceApplication, CurrentTime, 0);
    } else {
        XRaiseWindow(d, w);
        XSetInputFocus(d, w, RevertToParent, CurrentTime);
    }
    return !trap.failed();
}

bool LinuxDesktop::setTopMost(qint32 hWnd, bool topMost)
{
    if (QWidget *own = ownWidget(hWnd)) {
        own->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
        own->show();
        if (topMost)
            own->raise();
        return true;
    }
    Display *d = xDisplay();
    const auto w = static_cast<Window>(static_cast<quint32>(hWnd));
    XWindowAttributes attributes{};
    if (!d || hWnd == 0 || !attributesOf(d, w, attributes))
        return false;
    XErrorTrap trap(d);
    const Atom state = atom(d, "_NET_WM_STATE");
    const Atom above = atom(d, "_NET_WM_STATE_ABOVE");
    const bool viewable = attributes.map_state == IsViewable;
    if (viewable && wmSupports(d, "_NET_WM_STATE")) {
        sendToRoot(d, w, state, topMost ? NetWmStateAdd : NetWmStateRemove, static_cast<long>(above), 0);
    } else {
        // Nobody manages the window now: its state property is ours to set, read when it is mapped.
        auto states = longsProperty(d, w, state, XA_ATOM);
        states.erase(std::remove(states.begin(), states.end(), above), states.end());
        if (topMost)
            states.push_back(above);
        XChangeProperty(d, w, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(states.data()), static_cast<int>(states.size()));
        if (viewable && topMost)
            XRaiseWindow(d, w);
    }
    if (!viewable)
        XMapWindow(d, w);
    return !trap.failed();
}

bool LinuxDesktop::closeWindow(qint32 hWnd)
{
    if (QWidget *own = ownWidget(hWnd)) {
        own->close();
        return true;
    }
    Display *d = xDisplay();
    const auto w = static_cast<Window>(static_cast<quint32>(hWnd));
    XWindowAttributes attributes{};
    if (!d || hWnd == 0 || !attributesOf(d, w, attributes))
        return false;
    XErrorTrap trap(d);
    const Atom deleteWindow = atom(d, "WM_DELETE_WINDOW");
    Atom *protocols = nullptr;
    int count = 0;
    bool understands = false;
    if (XGetWMProtocols(d, w, &protocols, &count) && protocols) {
        understands = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
        XFree(protocols);
    }
    // A window that doesn't take part in the close protocol can only be killed, which is not asking.
    if (!understands)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = atom(d, "WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &event);
    return !trap.failed();
}

qint32 LinuxDesktop::htmlHelp(qint32, const QString &helpFile, int command, qint32 data)
{
    const QString collection = helpCollectionFor(helpFile);
    if (collection.isEmpty())
        return 0;
    return HelpViewer::open(collection, command, data);
}

} // namespace orvane
