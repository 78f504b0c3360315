#include "common/platform/linux/LinuxDesktop.h"
#include "common/platform/linux/LinuxSound.h"

#include "support/FakeDesktop.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    Qt::WindowModality modality = Qt::NonModal;
    bool staysOnTop = false;
    Qt::TextFormat format = Qt::AutoText;
};

// Waits for the next modal message box, notes what it shows and lets `act` close it. Gives up
// after 20 s by rejecting whatever box is up, so a broken adapter fails instead of hanging.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<void(QMessageBox *)> act) : m_act(std::move(act))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
        m_poll.start();
        m_patience.start();
    }
    bool answered = false;
    SeenBox seen;

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        // Keys go to the box the way a user's do: once it is the active window.
        if (box && box->isVisible() && !box->isActiveWindow())
            box->activateWindow();
        if (box && box->isVisible() && box->isActiveWindow()) {
            m_poll.stop();
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            for (QAbstractButton *b : box->buttons())
                seen.buttons.append(box->standardButton(b));
            std::sort(seen.buttons.begin(), seen.buttons.end());
            if (box->defaultButton())
                seen.defaultButton = box->standardButton(box->defaultButton());
            seen.modality = box->windowModality();
            seen.staysOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            seen.format = box->textFormat();
            answered = true;
            m_act(box);
        } else if (m_patience.elapsed() > 20000) {
            m_poll.stop();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *b = qobject_cast<QMessageBox *>(w))
                    b->done(0);
        }
    }

    std::function<void(QMessageBox *)> m_act;
    QTimer m_poll;
    QElapsedTimer m_patience;
};

std::function<void(QMessageBox *)> click(QMessageBox::StandardButton which)
{
    return [which](QMessageBox *box) { QTest::mouseClick(box->button(which), Qt::LeftButton); };
}

std::function<void(QMessageBox *)> press(Qt::Key key)
{
    return [key](QMessageBox *box) { QTest::keyClick(box, key); };
}

QList<QMessageBox::StandardButton> sorted(QList<QMessageBox::StandardButton> list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

TEST(LinuxMessageBox, ErrorBoxWithOk)
{
    LinuxDesktop desktop;
    BoxAnswerer answerer(press(Qt::Key_Return));
    EXPECT_EQ(desktop.messageBox(QString::fromUtf8("ポート番号が異常です！\r\n二行目"), QStringLiteral("Error"), 16),
              1);
    ASSERT_TRUE(answerer.answered);
    EXPECT_EQ(answerer.seen.title, QStringLiteral("Error"));
    EXPECT_EQ(answerer.seen.text, QString::fromUtf8("ポート番号が異常です！\n二行目"));
    EXPECT_EQ(answerer.seen.icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    EXPECT_EQ(answerer.seen.modality, Qt::ApplicationModal);
    EXPECT_FALSE(answerer.seen.staysOnTop);
    EXPECT_EQ(answerer.seen.format, Qt::PlainText);
}

TEST(LinuxMessageBox, OkOnlyBoxClosedWithEscapeGivesOk)
{
    LinuxDesktop desktop;
    BoxAnswerer answerer(press(Qt::Key_Escape));
    EXPECT_EQ(desktop.messageBox(QStringLiteral("<b>PC1</b>\rdone"), QString::fromUtf8("情報"), 64), 1);
    ASSERT_TRUE(answerer.answered);
    EXPECT_EQ(answerer.seen.icon, QMessageBox::Information);
    EXPECT_EQ(answerer.seen.text, QStringLiteral("<b>PC1</b>\ndone")) << "shown as typed, a lone CR breaks the line";
}

TEST(LinuxMessageBox, QuestionWithOkOnly)
{
    LinuxDesktop desktop;
    BoxAnswerer answerer(click(QMessageBox::Ok));
    EXPECT_EQ(desktop.messageBox(QStringLiteral("?"), QString::fromUtf8("確認"), 32), 1);
    EXPECT_EQ(answerer.seen.icon, QMessageBox::Question);
    EXPECT_EQ(answerer.seen.title, QString::fromUtf8("確認"));
}

TEST(LinuxMessageBox, OkCancel)
{
    LinuxDesktop desktop;
    {
        BoxAnswerer answerer(press(Qt::Key_Return));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("go?"), QString::fromUtf8("確認"), 33), 1) << "OK is the default";
        EXPECT_EQ(answerer.seen.buttons, sorted({QMessageBox::Ok, QMessageBox::Cancel}));
        EXPECT_EQ(answerer.seen.defaultButton, QMessageBox::Ok);
    }
    {
        BoxAnswerer answerer(click(QMessageBox::Cancel));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("go?"), QString::fromUtf8("確認"), 33), 2);
    }
    {
        BoxAnswerer answerer(press(Qt::Key_Escape));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("go?"), QString::fromUtf8("確認"), 33), 2);
    }
}

TEST(LinuxMessageBox, YesNo)
{
    LinuxDesktop desktop;
    {
        BoxAnswerer answerer(click(QMessageBox::Yes));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("sure?"), QString::fromUtf8("確認"), 36), 6);
        EXPECT_EQ(answerer.seen.buttons, sorted({QMessageBox::Yes, QMessageBox::No}));
        EXPECT_EQ(answerer.seen.icon, QMessageBox::Question);
        EXPECT_EQ(answerer.seen.defaultButton, QMessageBox::Yes);
    }
    {
        BoxAnswerer answerer(click(QMessageBox::No));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("sure?"), QString::fromUtf8("確認"), 36), 7);
    }
    {
        BoxAnswerer answerer(press(Qt::Key_Escape));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("sure?"), QString::fromUtf8("確認"), 36), 7) << "Esc answers No";
    }
    {
        // Second button as default (MB_DEFBUTTON2).
        BoxAnswerer answerer(press(Qt::Key_Return));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("sure?"), QString::fromUtf8("確認"), 36 | 0x100), 7);
        EXPECT_EQ(answerer.seen.defaultButton, QMessageBox::No);
    }
}

TEST(LinuxMessageBox, YesNoCancel)
{
    LinuxDesktop desktop;
    {
        BoxAnswerer answerer(click(QMessageBox::No));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("save?"), QString::fromUtf8("確認"), 35), 7);
        EXPECT_EQ(answerer.seen.buttons, sorted({QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}));
    }
    {
        BoxAnswerer answerer(press(Qt::Key_Escape));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("save?"), QString::fromUtf8("確認"), 35), 2);
    }
}

TEST(LinuxMessageBox, RetryCancel)
{
    LinuxDesktop desktop;
    {
        BoxAnswerer answerer(click(QMessageBox::Retry));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("again?"), QString::fromUtf8("再試行"), 37), 4);
        EXPECT_EQ(answerer.seen.title, QString::fromUtf8("再試行"));
        EXPECT_EQ(answerer.seen.buttons, sorted({QMessageBox::Retry, QMessageBox::Cancel}));
        EXPECT_EQ(answerer.seen.icon, QMessageBox::Question);
    }
    {
        BoxAnswerer answerer(click(QMessageBox::Cancel));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("again?"), QString::fromUtf8("再試行"), 37), 2);
    }
    {
        BoxAnswerer answerer(press(Qt::Key_Escape));
        EXPECT_EQ(desktop.messageBox(QStringLiteral("again?"), QString::fromUtf8("再試行"), 37), 2);
    }
}

TEST(LinuxMessageBox, SystemModalErrorStaysOnTopAndOpensItsHelpOnF1)
{
    FakeDesktop fake; // catches the help request
    LinuxDesktop desktop;
    BoxAnswerer answerer([](QMessageBox *box) {
        QTest::keyClick(box, Qt::Key_F1);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(desktop.messageBoxWithHelp(QStringLiteral("boom"), QString::fromUtf8("予期せぬエラー"), 0x1010,
                                         QStringLiteral("/opt/help/errors.chm"), 1013),
              1);
    ASSERT_TRUE(answerer.answered);
    EXPECT_EQ(answerer.seen.icon, QMessageBox::Critical);
    EXPECT_TRUE(answerer.seen.staysOnTop);
    EXPECT_EQ(answerer.seen.modality, Qt::ApplicationModal);
    ASSERT_EQ(fake.helpCalls.size(), 1);
    EXPECT_EQ(fake.helpCalls[0].file, QStringLiteral("/opt/help/errors.chm"));
    EXPECT_EQ(fake.helpCalls[0].command, 15);
    EXPECT_EQ(fake.helpCalls[0].data, 1013);
}

TEST(LinuxMessageBox, F1WithoutHelpFileDoesNothing)
{
    FakeDesktop fake;
    LinuxDesktop desktop;
    BoxAnswerer answerer([](QMessageBox *box) {
        QTest::keyClick(box, Qt::Key_F1);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(
        desktop.messageBoxWithHelp(QStringLiteral("boom"), QString::fromUtf8("予期せぬエラー"), 0x1010, QString(), 0),
        1);
    EXPECT_TRUE(fake.helpCalls.isEmpty());
}

TEST(LinuxSounds, BeepsUseTheFreedesktopDialogSounds)
{
    using linuxsound::Attempt;
    const auto theme = [](const char *name) { return Attempt{Attempt::ThemeSound, QLatin1String(name)}; };
    EXPECT_EQ(linuxsound::beepAttempts(16), (QList<Attempt>{theme("dialog-error"), theme("bell")}));
    EXPECT_EQ(linuxsound::beepAttempts(32),
              (QList<Attempt>{theme("dialog-question"), theme("window-question"), theme("bell")}));
    EXPECT_EQ(linuxsound::beepAttempts(48), (QList<Attempt>{theme("dialog-warning"), theme("bell")}));
    EXPECT_EQ(linuxsound::beepAttempts(64), (QList<Attempt>{theme("dialog-information"), theme("bell")}));
    EXPECT_EQ(linuxsound::beepAttempts(0), QList<Attempt>{theme("bell")});
    EXPECT_EQ(linuxsound::beepAttempts(-1), QList<Attempt>{theme("bell")});
}

TEST(LinuxSounds, ThemeNamesExistInTheInstalledTheme)
{
    // Every first choice but the question sound is in the freedesktop theme itself.
    for (const char *name : {"dialog-error", "dialog-warning", "dialog-information", "window-question", "bell",
                             "service-login", "service-logout"}) {
        const QString file = QStringLiteral("/usr/share/sounds/freedesktop/stereo/%1.oga").arg(QLatin1String(name));
        EXPECT_TRUE(QFileInfo::exists(file)) << name;
    }
}

TEST(LinuxSounds, PlayedSoundsTryThemeThenFileThenDefault)
{
    using linuxsound::Attempt;
    TempCwd cwd;
    const auto theme = [](const QString &name) { return Attempt{Attempt::ThemeSound, name}; };
    const Attempt bell = theme(QStringLiteral("bell"));

    // What the wake command plays: no such sound, no such file, so the default is heard.
    EXPECT_EQ(linuxsound::playAttempts(QStringLiteral("64")), (QList<Attempt>{theme(QStringLiteral("64")), bell}));
    EXPECT_EQ(linuxsound::playAttempts(QString()), QList<Attempt>{bell});

    writeAll(cwd.file(QStringLiteral("ding.wav")), QByteArray("RIFF"));
    EXPECT_EQ(linuxsound::playAttempts(QStringLiteral("ding.wav")),
              (QList<Attempt>{
                  theme(QStringLiteral("ding.wav")),
                  Attempt{Attempt::File, QFileInfo(cwd.file(QStringLiteral("ding.wav"))).absoluteFilePath()}, bell}));
    const QString path = QStringLiteral("/usr/share/sounds/freedesktop/stereo/complete.oga");
    EXPECT_EQ(linuxsound::playAttempts(path), (QList<Attempt>{Attempt{Attempt::File, path}, bell}));
    EXPECT_EQ(linuxsound::playAttempts(QStringLiteral("/no/such/file.wav")), QList<Attempt>{bell});
    EXPECT_EQ(linuxsound::playAttempts(QStringLiteral("systemasterisk")),
              (QList<Attempt>{theme(QStringLiteral("dialog-information")), bell}));
    EXPECT_EQ(linuxsound::playAttempts(QStringLiteral("SystemHand")),
              (QList<Attempt>{theme(QStringLiteral("dialog-error")), bell}));
}
