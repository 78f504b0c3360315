#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/LinuxSound.h"

#include "core/io/Threads.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

#include <canberra.h>
#include <dlfcn.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>

namespace orvane {

namespace linuxsound {

QList<Attempt> beepAttempts(int sound)
{
    QList<Attempt> attempts;
    switch (sound) {
    case 16: // MB_ICONHAND
        attempts.append({Attempt::ThemeSound, QStringLiteral("dialog-error")});
        break;
    case 32: // MB_ICONQUESTION: the freedesktop theme itself only has the window's question sound
        attempts.append({Attempt::ThemeSound, QStringLiteral("dialog-question")});
        attempts.append({Attempt::ThemeSound, QStringLiteral("window-question")});
        break;
    case 48: // MB_ICONEXCLAMATION
        attempts.append({Attempt::ThemeSound, QStringLiteral("dialog-warning")});
        break;
    case 64: // MB_ICONASTERISK
        attempts.append({Attempt::ThemeSound, QStringLiteral("dialog-information")});
        break;
    default:
        break;
    }
    attempts.append({Attempt::ThemeSound, DefaultSound});
    return attempts;
}

QList<Attempt> playAttempts(const QString &name)
{
    static const QList<QPair<QString, QString>> systemSounds{
        {QStringLiteral("SystemAsterisk"), QStringLiteral("dialog-information")},
        {QStringLiteral("SystemExclamation"), QStringLiteral("dialog-warning")},
        {QStringLiteral("SystemHand"), QStringLiteral("dialog-error")},
        {QStringLiteral("SystemQuestion"), QStringLiteral("window-question")},
        {QStringLiteral("SystemDefault"), DefaultSound},
        {QStringLiteral("SystemStart"), QStringLiteral("service-login")},
        {QStringLiteral("SystemExit"), QStringLiteral("service-logout")},
    };
    QList<Attempt> attempts;
    for (const auto &[windowsName, themeName] : systemSounds) {
        if (name.compare(windowsName, Qt::CaseInsensitive) == 0)
            attempts.append({Attempt::ThemeSound, themeName});
    }
    // A theme name is a plain word; anything with a path separator would only make the theme
    // lookup read files outside the theme.
    if (attempts.isEmpty() && !name.isEmpty() && !name.contains(QLatin1Char('/')))
        attempts.append({Attempt::ThemeSound, name});
    const QFileInfo file(name);
    if (!name.isEmpty() && file.isFile())
        attempts.append({Attempt::File, file.absoluteFilePath()});
    attempts.append({Attempt::ThemeSound, DefaultSound});
    return attempts;
}

} // namespace linuxsound

namespace {

using linuxsound::Attempt;

// Plays sounds on a thread of its own, so that neither opening the sound server nor a server that
// hangs ever holds up the user interface. Created on first use and deliberately never destroyed:
// the thread may still be inside libcanberra when the program exits.
class SoundPlayer {
public:
    static SoundPlayer &instance()
    {
        static SoundPlayer *player = new SoundPlayer;
        return *player;
    }

    // replaceable: a played sound, which the next played sound cuts short.
    void enqueue(QList<Attempt> attempts, bool replaceable)
    {
        {
            std::lock_guard lock(m_mutex);
            // A stalled server must not let requests pile up; the oldest are stale anyway.
            while (m_queue.size() >= MaxQueued)
                m_queue.pop_front();
            m_queue.push_back({std::move(attempts), replaceable});
        }
        m_wake.notify_one();
    }

private:
    struct Request {
        QList<Attempt> attempts;
        bool replaceable;
    };
    static constexpr size_t MaxQueued = 8;
    static constexpr uint32_t PlayedSoundId = 1;

    SoundPlayer()
    {
        startThread([this](std::stop_token stop) { run(stop); });
    }

    // Until the program ends: a sound being played is played to its end first.
    void run(std::stop_token stop)
    {
        for (;;) {
            Request request;
            {
                std::unique_lock lock(m_mutex);
                if (!m_wake.wait(lock, stop, [this] { return !m_queue.empty(); }))
                    return;
                request = std::move(m_queue.front());
                m_queue.pop_front();
            }
            play(request);
        }
    }

    // ALSA writes every failure to open a sound card to stderr; on a machine without one each
    // beep would print a dozen lines. Canberra's ALSA backend shares the library loaded here.
    static void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}
    static void silenceAlsa()
    {
        using ErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);
        if (void *alsa = dlopen("libasound.so.2", RTLD_LAZY)) {
            if (auto set = reinterpret_cast<int (*)(ErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler")))
                set(&ignoreAlsaError);
        }
    }

    ca_context *context()
    {
        if (!m_context)
            silenceAlsa();
        if (!m_context && ca_context_create(&m_context) == CA_SUCCESS)
            ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Orvane", CA_PROP_APPLICATION_ID, "orvane",
                                    nullptr);
        return m_context;
    }

    void play(const Request &request)
    {
        ca_context *ctx = context();
        if (!ctx)
            return;
        const uint32_t id = request.replaceable ? PlayedSoundId : 0;
        if (request.replaceable)
            ca_context_cancel(ctx, PlayedSoundId);
        for (const Attempt &attempt : request.attempts) {
            const QByteArray value =
                attempt.kind == Attempt::File ? QFile::encodeName(attempt.value) : attempt.value.toUtf8();
            const int rc = attempt.kind == Attempt::File
                               ? ca_context_play(ctx, id, CA_PROP_MEDIA_FILENAME, value.constData(),
                                                 CA_PROP_CANBERRA_CACHE_CONTROL, "never", nullptr)
                               : ca_context_play(ctx, id, CA_PROP_EVENT_ID, value.constData(), nullptr);
            // Only a missing or unreadable sound is worth the next attempt; without a working
            // sound server there is silence, as on a machine without a sound card.
            if (rc != CA_ERROR_NOTFOUND && rc != CA_ERROR_CORRUPT && rc != CA_ERROR_NOTSUPPORTED && rc != CA_ERROR_IO &&
                rc != CA_ERROR_ACCESS && rc != CA_ERROR_INVALID)
                return;
        }
    }

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::deque<Request> m_queue;
    ca_context *m_context = nullptr; // used on the player's thread only
};

struct Choice {
    QMessageBox::StandardButton button;
    int number; // the Windows button number
};

// The buttons of an MB_ style in Windows order, and the number that Esc or the close box gives.
QList<Choice> choicesOf(int style, int &escapeNumber)
{
    using B = QMessageBox;
    switch (style & 0xF) {
    case 1:
        escapeNumber = 2;
        return {{B::Ok, 1}, {B::Cancel, 2}};
    case 2:
        escapeNumber = 3; // Abort
        return {{B::Abort, 3}, {B::Retry, 4}, {B::Ignore, 5}};
    case 3:
        escapeNumber = 2;
        return {{B::Yes, 6}, {B::No, 7}, {B::Cancel, 2}};
    case 4:
        // Windows offers no way out of a Yes/No box but its buttons; here Esc and the close box
        // answer No, the answer that leaves things as they are.
        escapeNumber = 7;
        return {{B::Yes, 6}, {B::No, 7}};
    case 5:
        escapeNumber = 2;
        return {{B::Retry, 4}, {B::Cancel, 2}};
    default:
        escapeNumber = 1;
        return {{B::Ok, 1}};
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0xF0) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int showBox(const QString &text, const QString &title, int style, const QString &helpFile, qint32 helpContext)
{
    int escapeNumber = 1;
    const QList<Choice> choices = choicesOf(style, escapeNumber);

    // Line breaks arrive as CR LF or a lone CR.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));

    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // No widgets without a QApplication (the command-line tool): say it on the terminal instead.
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(shown));
        return escapeNumber;
    }

    QMessageBox box;
    box.setWindowTitle(title);
    // Names and hosts the user typed end up in messages; they are never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    box.setIcon(iconOf(style));
    box.setWindowModality(Qt::ApplicationModal);
    // System-modal (0x1000) and topmost (0x40000) boxes stay above every other window.
    if (style & (0x1000 | 0x40000))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QList<QPushButton *> buttons;
    for (const Choice &choice : choices)
        buttons.append(box.addButton(choice.button));
    const int defaultIndex = std::min<int>((style >> 8) & 0xF, static_cast<int>(buttons.size()) - 1);
    box.setDefaultButton(buttons.at(defaultIndex));
    for (int i = 0; i < choices.size(); ++i) {
        if (choices.at(i).number == escapeNumber)
            box.setEscapeButton(buttons.at(i));
    }
    if (!helpFile.isEmpty()) {
        auto *help = new QShortcut(QKeySequence::HelpContents, &box);
        QObject::connect(help, &QShortcut::activated, &box, [helpFile, helpContext] {
            // HH_DISPLAY_CONTEXT with the topic, or the contents when the error names none.
            desktop().htmlHelp(0, helpFile, helpContext ? 15 : 1, helpContext);
        });
    }

    box.exec();
    const int clicked = static_cast<int>(buttons.indexOf(qobject_cast<QPushButton *>(box.clickedButton())));
    return clicked >= 0 ? choices.at(clicked).number : escapeNumber;
}

} // namespace

int LinuxDesktop::messageBox(const QString &text, const QString &title, int style)
{
    return showBox(text, title, style, QString(), 0);
}

int LinuxDesktop::messageBoxWithHelp(const QString &text, const QString &title, int style, const QString &helpFile,
                                     qint32 helpContext)
{
    return showBox(text, title, style, helpFile, helpContext);
}

void LinuxDesktop::messageBeep(int sound)
{
    SoundPlayer::instance().enqueue(linuxsound::beepAttempts(sound), false);
}

void LinuxDesktop::playSound(const QString &name)
{
    SoundPlayer::instance().enqueue(linuxsound::playAttempts(name), true);
}

} // namespace orvane
