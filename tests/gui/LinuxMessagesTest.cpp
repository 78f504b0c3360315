#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/LinuxSound.h"

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

} // namespace

TEST(LinuxMessageBox, EveryStyleShowsItsIconAndButtonsAndAnswersWithThePlatformsNumbers)
{
    using B = QMessageBox;
    struct Case {
        int style;
        const char *title;
        std::function<void(QMessageBox *)> act;
        int answer;
        QMessageBox::Icon icon;
        QList<QMessageBox::StandardButton> buttons; // in the order of their values
        QMessageBox::StandardButton defaultButton = B::NoButton;
    };
    const QList<Case> cases{
        {16, "Error", press(Qt::Key_Return), 1, B::Critical, {B::Ok}},
        {64, "情報", press(Qt::Key_Escape), 1, B::Information, {B::Ok}},
        {32, "確認", click(B::Ok), 1, B::Question, {B::Ok}},
        {33, "確認", press(Qt::Key_Return), 1, B::Question, {B::Ok, B::Cancel}, B::Ok},
        {33, "確認", click(B::Cancel), 2, B::Question, {B::Ok, B::Cancel}},
        {33, "確認", press(Qt::Key_Escape), 2, B::Question, {B::Ok, B::Cancel}},
        {36, "確認", click(B::Yes), 6, B::Question, {B::Yes, B::No}, B::Yes},
        {36, "確認", click(B::No), 7, B::Question, {B::Yes, B::No}},
        {36, "確認", press(Qt::Key_Escape), 7, B::Question, {B::Yes, B::No}},
        {36 | 0x100, "確認", press(Qt::Key_Return), 7, B::Question, {B::Yes, B::No}, B::No}, // second button as default
        {35, "確認", click(B::No), 7, B::Question, {B::Yes, B::No, B::Cancel}},
        {35, "確認", press(Qt::Key_Escape), 2, B::Question, {B::Yes, B::No, B::Cancel}},
        {37, "再試行", click(B::Retry), 4, B::Question, {B::Retry, B::Cancel}},
        {37, "再試行", click(B::Cancel), 2, B::Question, {B::Retry, B::Cancel}},
        {37, "再試行", press(Qt::Key_Escape), 2, B::Question, {B::Retry, B::Cancel}},
    };
    LinuxDesktop desktop;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << ", row answering " << c.answer);
        BoxAnswerer answerer(c.act);
        // Shown as typed, a lone CR and CR LF break the line.
        EXPECT_EQ(
            desktop.messageBox(QStringLiteral("<b>PC1</b>\r\n二行目\r三行目"), QString::fromUtf8(c.title), c.style),
            c.answer);
        ASSERT_TRUE(answerer.answered);
        EXPECT_EQ(answerer.seen.title, QString::fromUtf8(c.title));
        EXPECT_EQ(answerer.seen.text, QStringLiteral("<b>PC1</b>\n二行目\n三行目"));
        EXPECT_EQ(answerer.seen.format, Qt::PlainText);
        EXPECT_EQ(answerer.seen.icon, c.icon);
        EXPECT_EQ(answerer.seen.buttons, c.buttons);
        if (c.defaultButton != B::NoButton) {
            EXPECT_EQ(answerer.seen.defaultButton, c.defaultButton);
        }
        EXPECT_EQ(answerer.seen.modality, Qt::ApplicationModal);
        EXPECT_FALSE(answerer.seen.staysOnTop);
    }
}

TEST(LinuxMessageBox, SystemModalErrorStaysOnTopAndOpensItsHelpOnF1)
{
    FakeDesktop fake; // catches the help request
    LinuxDesktop desktop;
    for (const QString &file : {QStringLiteral("/opt/help/errors.chm"), QString()}) {
        BoxAnswerer answerer([](QMessageBox *box) {
            QTest::keyClick(box, Qt::Key_F1);
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(desktop.messageBoxWithHelp(QStringLiteral("boom"), QString::fromUtf8("予期せぬエラー"), 0x1010, file,
                                             file.isEmpty() ? 0 : 1013),
                  1);
        ASSERT_TRUE(answerer.answered);
        EXPECT_EQ(answerer.seen.icon, QMessageBox::Critical);
        EXPECT_TRUE(answerer.seen.staysOnTop);
        EXPECT_EQ(answerer.seen.modality, Qt::ApplicationModal);
    }
    // F1 without a help file does nothing.
    ASSERT_EQ(fake.helpCalls.size(), 1);
    EXPECT_EQ(fake.helpCalls[0].file, QStringLiteral("/opt/help/errors.chm"));
    EXPECT_EQ(fake.helpCalls[0].command, 15);
    EXPECT_EQ(fake.helpCalls[0].data, 1013);
}

TEST(LinuxSounds, BeepsUseTheFreedesktopDialogSounds)
{
    using linuxsound::Attempt;
    const QList<QPair<int, QStringList>> cases{{16, {"dialog-error", "bell"}},
                                               {32, {"dialog-question", "window-question", "bell"}},
                                               {48, {"dialog-warning", "bell"}},
                                               {64, {"dialog-information", "bell"}},
                                               {0, {"bell"}},
                                               {-1, {"bell"}}};
    for (const auto &[sound, names] : cases) {
        QList<Attempt> expected;
        for (const QString &name : names)
            expected.append(Attempt{Attempt::ThemeSound, name});
        EXPECT_EQ(linuxsound::beepAttempts(sound), expected) << sound;
    }
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
