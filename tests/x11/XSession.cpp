#include "XSession.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane::test {

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::start(const std::vector<std::string> &argv,
                         const std::vector<std::pair<std::string, std::string>> &env, int keepFd)
{
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    m_status = -1;
    m_pid = fork();
    if (m_pid < 0)
        return false;
    if (m_pid == 0) {
        for (const auto &[name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        const long maxFd = sysconf(_SC_OPEN_MAX);
        for (int fd = 3; fd < maxFd && fd < 4096; ++fd)
            if (fd != keepFd)
                close(fd);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0)
            _exit(126);
        // Its own process group, so that a terminal's signals don't reach it.
        setpgid(0, 0);
        execvp(args[0], args.data());
        _exit(127);
    }
    return true;
}

bool ChildProcess::running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    const pid_t r = waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid) {
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_pid = -1;
        return false;
    }
    return r == 0;
}

int ChildProcess::waitForExit(int timeoutMs)
{
    if (!waitUntil([this] { return !running(); }, timeoutMs))
        return -1;
    return m_status;
}

void ChildProcess::stop()
{
    if (!running())
        return;
    kill(m_pid, SIGTERM);
    if (waitUntil([this] { return !running(); }, 5000))
        return;
    kill(m_pid, SIGKILL);
    waitUntil([this] { return !running(); }, 5000);
}

bool XvfbServer::start()
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const bool started = m_process.start(
        {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
        {}, fds[1]);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        return false;
    }
    // The server writes its display number once it accepts connections; a loaded machine may take a while.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 60000) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty())
        return false;
    m_display = ":" + number;
    return true;
}

bool startTrayer(ChildProcess &trayer, const std::string &display, int timeoutMs)
{
    if (!trayer.start({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                       "--SetDockType", "true", "--transparent", "false", "--tint", "0xcccccc", "--expand", "true"},
                      {{"DISPLAY", display}}))
        return false;
    Display *d = XOpenDisplay(display.c_str());
    if (!d)
        return false;
    const Atom selection = XInternAtom(d, "_NET_SYSTEM_TRAY_S0", False);
    const bool owned = waitUntil([&] { return XGetSelectionOwner(d, selection) != None; }, timeoutMs);
    XCloseDisplay(d);
    return owned;
}

std::vector<Window> childrenOf(Display *d, Window w)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    std::vector<Window> result;
    if (XQueryTree(d, w, &root, &parent, &children, &n) && children) {
        result.assign(children, children + n);
        XFree(children);
    }
    return result;
}

namespace {

std::string classInstance(Display *d, Window w)
{
    XClassHint hint{};
    if (!XGetClassHint(d, w, &hint))
        return std::string();
    std::string instance = hint.res_name ? hint.res_name : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return instance;
}

// The first window below `w` (not `w` itself) with the instance name, searched depth first.
Window findBelow(Display *d, Window w, const std::string &instance)
{
    for (Window child : childrenOf(d, w)) {
        if (classInstance(d, child) == instance)
            return child;
        if (Window found = findBelow(d, child, instance))
            return found;
    }
    return 0;
}

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

// A connection of its own on which errors about windows that went meanwhile are ignored.
class Connection {
public:
    explicit Connection(const std::string &display) : d(XOpenDisplay(display.c_str()))
    {
        if (d)
            m_previous = XSetErrorHandler(&ignoreErrors);
    }
    ~Connection()
    {
        if (!d)
            return;
        XSync(d, False);
        XSetErrorHandler(m_previous);
        XCloseDisplay(d);
    }
    Display *const d;

private:
    XErrorHandler m_previous = nullptr;
};

} // namespace

std::string titleOf(Display *d, Window w)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<const char *>(data), count);
        XFree(data);
        return title;
    }
    char *name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

bool windowShown(const std::string &display, const std::string &title)
{
    Connection c(display);
    for (Window w : c.d ? childrenOf(c.d, DefaultRootWindow(c.d)) : std::vector<Window>()) {
        XWindowAttributes a{};
        if (titleOf(c.d, w) == title && XGetWindowAttributes(c.d, w, &a) && a.map_state == IsViewable)
            return true;
    }
    return false;
}

// Runs xdotool with these arguments on the display; true when it did what it was asked.
bool xdotool(const std::string &display, std::vector<std::string> argv)
{
    argv.insert(argv.begin(), "xdotool");
    ChildProcess process;
    return process.start(argv, {{"DISPLAY", display}}) && process.waitForExit(30000) == 0;
}

bool pressKeys(const std::string &display, const std::vector<std::string> &keys)
{
    std::vector<std::string> argv{"key", "--delay", "60"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    return xdotool(display, argv);
}

bool embeddedTrayIcon(const std::string &display, const std::string &instance, ScreenRect *where)
{
    Connection c(display);
    // The icon sits inside the tray host's panel, never directly on the root.
    for (Window top : c.d ? childrenOf(c.d, DefaultRootWindow(c.d)) : std::vector<Window>()) {
        if (classInstance(c.d, top) != "panel")
            continue;
        const Window icon = findBelow(c.d, top, instance);
        XWindowAttributes a{};
        if (!icon || !XGetWindowAttributes(c.d, icon, &a) || a.map_state != IsViewable)
            continue;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(c.d, icon, DefaultRootWindow(c.d), 0, 0, &x, &y, &child);
        if (where)
            *where = ScreenRect{x, y, a.width, a.height};
        return true;
    }
    return false;
}

bool clickAt(const std::string &display, int x, int y, int button)
{
    return xdotool(display, {"mousemove", std::to_string(x), std::to_string(y), "click", std::to_string(button)});
}

} // namespace orvane::test
