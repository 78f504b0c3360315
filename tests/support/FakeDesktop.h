#pragma once

#include "platform/Desktop.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>

// Readable failures: QString as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace orvane::test {

// A desktop that records what the program asks of it and answers from a script; it is the program's
// desktop while it lives. Boxes answer OK (1) unless scripted; duringBox runs while the next box is
// up, as events do under a real modal box.
class FakeDesktop : public Desktop {
public:
    using Box = std::tuple<QString, QString, int, QString, qint32>; // text, title, style, help file, context
    using Help = std::tuple<qint32, QString, int, qint32>;          // window, file, command, context

    FakeDesktop() : m_previous(&desktop()) { setDesktop(this); }
    ~FakeDesktop() override { setDesktop(m_previous); }

    QList<int> boxAnswers;
    std::function<void()> duringBox;
    bool trayHost = true;
    qint32 helpAnswer = 1;

    QList<Box> boxes;
    QList<int> beeps;
    QStringList sounds;
    QList<std::pair<int, TrayRecord>> trayCalls;
    QList<qint32> foregrounded;
    QList<Help> helpCalls;

    int messageBox(const QString &t, const QString &c, int s) override { return messageBoxWithHelp(t, c, s, {}, 0); }
    int messageBoxWithHelp(const QString &text, const QString &title, int style, const QString &file,
                           qint32 context) override
    {
        boxes.append({text, title, style, file, context});
        if (duringBox)
            std::exchange(duringBox, nullptr)();
        return boxAnswers.isEmpty() ? 1 : boxAnswers.takeFirst();
    }
    void messageBeep(int sound) override { beeps.append(sound); }
    void playSound(const QString &name) override { sounds.append(name); }
    bool notifyIcon(int message, const TrayRecord &record) override
    {
        return trayCalls.append({message, record}), trayHost;
    }
    bool trayAvailable() override { return trayHost; }
    QList<QPair<QString, QString>> notifications; // title, text
    void showNotification(const QString &title, const QString &text) override { notifications.append({title, text}); }
    qint32 findWindow(const QString &) override { return 0; }
    bool setForegroundWindow(qint32 hWnd) override { return foregrounded.append(hWnd), true; }
    bool setTopMost(qint32, bool) override { return true; }
    bool closeWindow(qint32) override { return true; }
    qint32 htmlHelp(qint32 w, const QString &f, int c, qint32 d) override
    {
        return helpCalls.append({w, f, c, d}), helpAnswer;
    }
    // What the shell opens and the choosers are asked; an empty answer is a cancel.
    bool shellAnswer = false;
    QStringList opened;
    QString folderAnswer, fileAnswer;
    QList<std::pair<qint32, QString>> folderCalls; // owner, title
    QList<FileDialogRequest> fileCalls;
    bool shellOpen(qint32, const QString &file) override { return opened.append(file), shellAnswer; }
    QString browseForFolder(qint32 owner, const QString &title) override
    {
        return folderCalls.append({owner, title}), folderAnswer;
    }
    QString fileDialog(const FileDialogRequest &request) override { return fileCalls.append(request), fileAnswer; }
    bool exitSession(int) override { return true; }

private:
    Desktop *m_previous;
};

// Exactly one box, of the error kind ("Error", stop icon, OK), with the exclamation beep.
inline void expectErrorBox(const FakeDesktop &desk, const QString &text)
{
    EXPECT_EQ(desk.boxes, QList<FakeDesktop::Box>({{text, QStringLiteral("Error"), 16, QString(), 0}}));
    EXPECT_EQ(desk.beeps, QList<int>{48});
}

} // namespace orvane::test
