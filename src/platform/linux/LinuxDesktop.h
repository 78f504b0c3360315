#pragma once

#include "platform/Desktop.h"

class QWidget;

namespace orvane {

// The widget of this program whose native window is hWnd; nullptr for 0 and for foreign windows.
QWidget *ownWidget(qint32 hWnd);

// The desktop of a Linux session: Qt widgets, X11, libcanberra, xdg-open and logind.
// Each group of methods lives in a source file of its own.
class LinuxDesktop : public Desktop {
public:
    LinuxDesktop();
    ~LinuxDesktop() override;

    // LinuxMessages.cpp
    int messageBox(const QString &text, const QString &title, int style) override;
    int messageBoxWithHelp(const QString &text, const QString &title, int style, const QString &helpFile,
                           qint32 helpContext) override;
    void messageBeep(int sound) override;
    void playSound(const QString &name) override;

    // LinuxWindows.cpp
    bool notifyIcon(int message, const TrayRecord &record) override;
    bool trayAvailable() override;
    // LinuxNotifications.cpp
    void showNotification(const QString &title, const QString &text) override;
    qint32 findWindow(const QString &title) override;
    bool setForegroundWindow(qint32 hWnd) override;
    bool setTopMost(qint32 hWnd, bool topMost) override;
    bool closeWindow(qint32 hWnd) override;
    qint32 htmlHelp(qint32 hWnd, const QString &helpFile, int command, qint32 data) override;

    // LinuxFiles.cpp
    bool shellOpen(qint32 hWnd, const QString &file) override;
    QString browseForFolder(qint32 owner, const QString &title) override;
    QString fileDialog(const FileDialogRequest &request) override;
    bool exitSession(int flags) override;
};

} // namespace orvane
