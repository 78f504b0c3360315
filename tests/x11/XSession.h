#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct _XDisplay; // Xlib's Display

namespace orvane::test {

// A child process started with fork and exec; stopped and reaped when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts argv[0] (looked up in PATH) with extra environment entries; keepFd stays open in the
    // child, every other descriptor but 0, 1 and 2 is closed. Output goes to /dev/null.
    bool start(const std::vector<std::string> &argv, const std::vector<std::pair<std::string, std::string>> &env = {},
               int keepFd = -1);
    // SIGTERM, then SIGKILL if it hasn't gone within a few seconds.
    void stop();
    bool running();
    // The exit status once it has ended (-1 while it runs or when it was killed by a signal).
    int waitForExit(int timeoutMs);
    pid_t pid() const { return m_pid; }

    // The folder the child starts in (the current one when empty).
    std::string workingDirectory;

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

// An X server of its own on a free display number (Xvfb -displayfd), 1024 × 768.
class XvfbServer {
public:
    bool start();
    // ":N"
    const std::string &display() const { return m_display; }

private:
    ChildProcess m_process;
    std::string m_display;
};

// Starts trayer on the display and waits until it owns the tray selection.
bool startTrayer(ChildProcess &trayer, const std::string &display, int timeoutMs = 30000);

// Where a tray icon of the program with this WM_CLASS instance sits embedded in the tray host, in
// root coordinates; false while no such icon is embedded and shown.
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
    int centreX() const { return x + width / 2; }
    int centreY() const { return y + height / 2; }
};
bool embeddedTrayIcon(const std::string &display, const std::string &instance, ScreenRect *where = nullptr);

// Clicks with the pointer (xdotool): button 1 left, 2 middle, 3 right.
bool clickAt(const std::string &display, int x, int y, int button);
// Types keys (xdotool key names) into whatever has the keyboard.
bool pressKeys(const std::string &display, const std::vector<std::string> &keys);

// A window's title: _NET_WM_NAME (UTF-8), else WM_NAME; empty when it has none.
std::string titleOf(_XDisplay *d, unsigned long w);

// Whether a top-level window with this title (UTF-8) is shown.
bool windowShown(const std::string &display, const std::string &title);

// Clicks on the program's tray icon until `seen` (which waits a while by itself) says the program saw
// it. The icon is looked up before every press, since the host's panel moves its icons as it grows,
// and a press that comes while the program still sets up a freshly embedded icon is lost.
template <class Seen>
bool clickIconUntilSeen(const std::string &display, const std::string &instance, int button, Seen seen,
                        int attempts = 10);

// The children of an X window (Xlib's Display and Window), bottom to top.
std::vector<unsigned long> childrenOf(_XDisplay *d, unsigned long w);

// Waits for a condition, polling; true when it held within the time.
template <class F> bool waitUntil(F condition, int timeoutMs = 20000);

} // namespace orvane::test

#include <chrono>
#include <thread>

template <class F> bool orvane::test::waitUntil(F condition, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

template <class Seen>
bool orvane::test::clickIconUntilSeen(const std::string &display, const std::string &instance, int button, Seen seen,
                                      int attempts)
{
    for (int i = 0; i < attempts; ++i) {
        ScreenRect icon;
        if (!waitUntil([&] { return embeddedTrayIcon(display, instance, &icon); }, 30000))
            return false;
        if (clickAt(display, icon.centreX(), icon.centreY(), button) && seen())
            return true;
    }
    return false;
}
