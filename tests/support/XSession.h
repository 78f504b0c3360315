#pragma once

// What the suites that start outside programs share: programs run and ended, X servers of their own,
// and what a user sees on them (windows shown, tray icons), through xdotool, xprop and xwininfo.

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTest>

namespace orvane::test {

// A program started in a folder, on an X display when one is given (without a StatusNotifier host:
// the tray there is trayer's XEmbed one), with further NAME=value variables. Asked to end when the
// test is done, so that an X server takes its lock with it.
class Started : public QProcess {
public:
    Started(const QString &program, const QStringList &args, const QString &display = {}, const QStringList &env = {},
            const QString &folder = {})
    {
        const QStringList x{"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb",
                            "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"};
        setEnvironment(systemEnvironment() + env + (display.isEmpty() ? QStringList() : x));
        setWorkingDirectory(folder);
        setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start(program, args);
    }
    ~Started() override
    {
        terminate();
        waitForFinished(5000);
    }
    bool running() { return !waitForFinished(0) && state() != NotRunning; }
    // The exit code once it ended within the time; -1 while it runs or when a signal ended it.
    int exitedWith(int ms)
    {
        waitForFinished(ms);
        return state() == NotRunning && error() != FailedToStart && exitStatus() == NormalExit ? exitCode() : -1;
    }
};

// An X server of its own on a free display.
struct Xvfb : Started {
    Xvfb() : Started("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"})
    {
        // The number comes once the server takes connections; a loaded machine may take a while.
        while (!canReadLine() && waitForReadyRead(60000)) {
        }
        display = ':' + QString::fromLatin1(readLine().trimmed());
    }
    QString display;
};

// Waits for a condition; a loaded machine may take its time.
inline const auto soon = [](auto condition) { return QTest::qWaitFor(condition, 60000); };

// Runs a program (an X client when a display is given) to its end; its exit code (and output).
inline int run(const QString &display, const QStringList &command, QByteArray *output = nullptr)
{
    Started p(command.first(), command.mid(1), display);
    const int code = p.exitedWith(30000);
    if (output)
        *output = p.readAllStandardOutput();
    return code;
}
inline bool keys(const QString &display, const QStringList &keys)
{
    return run(display, QStringList{"xdotool", "key", "--delay", "60"} + keys) == 0;
}
// Whether a window with this title shows (or, with shown false, doesn't) within the time.
inline bool shows(const QString &display, const QString &title, bool shown = true, int ms = 60000)
{
    const QStringList search{"xdotool", "search", "--onlyvisible", "--name", '^' + title + '$'};
    return QTest::qWaitFor([&] { return (run(display, search) == 0) == shown; }, ms);
}

// A tray host on the display; trayReady waits until it owns the tray, where programs look for it.
inline const QStringList Trayer{"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"};
bool trayReady(const QString &display);
// Where the windows of this WM_CLASS instance that sit below a top-level window (as a tray host
// embeds icons) are, in root coordinates.
inline QList<QRect> trayIcons(const QString &display, const QString &instance)
{
    QByteArray tree;
    run(display, {"xwininfo", "-root", "-tree"}, &tree);
    // Top-level windows are indented by five blanks; the numbers at the end are size and place on the root.
    const QRegularExpression embedded(R"(^ {6,}0x.*\(")" + instance + R"(" .* (\d+)x(\d+)\S* +\+(-?\d+)\+(-?\d+)$)",
                                      QRegularExpression::MultilineOption);
    QList<QRect> icons;
    for (const QRegularExpressionMatch &m : embedded.globalMatch(QString::fromUtf8(tree)))
        icons.append(QRect(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(), m.captured(2).toInt()));
    return icons;
}

} // namespace orvane::test
