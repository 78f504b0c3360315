#pragma once

#include "platform/Desktop.h"

#include <QList>
#include <QString>

#include <deque>

namespace orvane::test {

// A desktop that records every request and answers from a script. Installing it (constructor)
// makes it the program's desktop until it is destroyed.
class FakeDesktop : public Desktop {
public:
    struct Box {
        QString text;
        QString title;
        int style;
        QString helpFile = {};
        qint32 helpContext = 0;
    };
    struct TrayCall {
        int message;
        TrayRecord record;
    };

    FakeDesktop();
    ~FakeDesktop() override;

    // Scripted answers; an empty script answers the box's first button (OK 1, Yes 6, Retry 4).
    std::deque<int> boxAnswers;
    bool trayAnswer = true;
    bool trayHost = true;
    qint32 foundWindow = 0;
    qint32 helpAnswer = 1;
    bool shellAnswer = true;
    QString folderAnswer;
    QString fileAnswer;
    bool sessionAnswer = true;

    // What was asked.
    QList<Box> boxes;
    QList<int> beeps;
    QList<QString> sounds;
    QList<TrayCall> trayCalls;
    QList<QString> foundTitles;
    QList<qint32> foregrounded;
    QList<QPair<qint32, bool>> topMost;
    QList<qint32> closed;
    struct HelpCall {
        qint32 hWnd;
        QString file;
        int command;
        qint32 data;
    };
    QList<HelpCall> helpCalls;
    QList<QString> opened;
    QList<QString> folderTitles;
    QList<FileDialogRequest> fileDialogs;
    QList<int> sessionEnds;

    int messageBox(const QString &text, const QString &title, int style) override;
    int messageBoxWithHelp(const QString &text, const QString &title, int style, const QString &helpFile,
                           qint32 helpContext) override;
    void messageBeep(int sound) override;
    void playSound(const QString &name) override;
    bool notifyIcon(int message, const TrayRecord &record) override;
    bool trayAvailable() override { return trayHost; }
    QList<QPair<QString, QString>> notifications; // title, text
    void showNotification(const QString &title, const QString &text) override { notifications.append({title, text}); }
    qint32 findWindow(const QString &title) override;
    bool setForegroundWindow(qint32 hWnd) override;
    bool setTopMost(qint32 hWnd, bool on) override;
    bool closeWindow(qint32 hWnd) override;
    qint32 htmlHelp(qint32 hWnd, const QString &helpFile, int command, qint32 data) override;
    bool shellOpen(qint32 hWnd, const QString &file) override;
    QString browseForFolder(qint32 owner, const QString &title) override;
    QString fileDialog(const FileDialogRequest &request) override;
    bool exitSession(int flags) override;

private:
    Desktop *m_previous = nullptr;
};

} // namespace orvane::test

namespace orvane::test {

// Exactly one box was shown, of the error kind ("Error", critical icon, OK) with the warning beep.
void expectErrorBox(const FakeDesktop &desk, const QString &text);

} // namespace orvane::test
