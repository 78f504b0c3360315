#pragma once

#include "core/net/Reachability.h"
#include "core/settings/SettingsGrid.h"
#include "core/wake/OrvaneSettings.h"
#include "platform/QzCmn14.h"

#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace orvane {

class StatusMark;
class TimedWake;

// The main window: hidden most of the time, reached through the tray icon.
class MainF : public QWidget {
    Q_OBJECT
public:
    explicit MainF(QWidget *parent = nullptr);
    ~MainF() override;

    // The tip of the tray icon: left button menu, right button help.
    static QString trayTip();
    // Help contexts: the main window's and the settings dialog's topics.
    static constexpr int HelpContextMain = 1;
    static constexpr int HelpContextSettings = 2;
    // The help file the program looks for in its own folder.
    static QString helpFile();

    void Form_Load();
    // The main window's half of LoadSettings' display.
    // extras: Orvane.ini's, whose relays the PCs' labels and tips name.
    void showSettings(const SettingsGrid &table, const OrvaneTable &extras = {});
    // Whether PC n answers, on its button and its menu entry: the mark as their icon, the text
    // ("応答あり 12:03:10") as their tip and the button's accessible description. Captions stay.
    void showStatus(int n, Reach reach, const QString &text);
    // A tip's text with the PC's relay and next timed wake below it.
    QString withRelay(int n, const QString &text) const;

    QzCmn14 &common() { return m_common; }
    // The window's handle as the common services take it.
    qint32 hWnd();
    QMenu *mainMenu() const { return m_MainMenu; }
    QMenu *helpMenu() const { return m_Help; }

    // Commands of the buttons and menu entries.
    void MainDisp_Click();
    void Close_bt_Click();
    void CloseF_Click();
    void QuitApli_Click();
    void Settings_bt_Click();
    void Setting_Click();
    void About_Click();
    void PC_start_Click(qint16 Index);
    void PC1_start_Click();
    void PC2_start_Click();
    void PC3_start_Click();
    void PC4_start_Click();
    void PC5_start_Click();
    void HelpTopic_Click();
    // Tray notifications arrive as a mouse move to the point whose x in pixels is the event code.
    void Form_MouseMove(int Button, int Shift, float X, float Y);

signals:
    // The commands that reach beyond this window: show the settings dialog or the about box (loading
    // it first, bringing it forward when it is open), unload every window.
    void settingsRequested();
    void aboutRequested();
    void exitRequested();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // PC n's caption; where the button shows it shortened, its tip carries it whole.
    void setCaption(int n, const QString &caption);
    void showTip(int n);
    void buildMenus();
    void showMenuBar();
    void popUpAtPointer(QMenu *menu);
    void openHelpAt(int context);

    QzCmn14 m_common;
    QWidget *m_client = nullptr;
    QMenuBar *m_menuBar = nullptr;
    TimedWake *m_timedWake = nullptr;
    bool m_poppingUp = false;

    QLabel *m_Label1 = nullptr;
    QLabel *m_time_lvl = nullptr;
    QLabel *m_port_lvl = nullptr;
    QLabel *m_send_qty_lvl = nullptr;
    std::array<QPushButton *, LastPc + 1> m_PC_start{};      // indexes FirstPc to LastPc
    std::array<StatusMark *, LastPc + 1> m_PC_mark{};        // their marks
    std::array<QString, LastPc + 1> m_PC_status{};           // their states, as the tips say them
    std::array<QString, LastPc + 1> m_PC_relay{};            // "経由 nas" for a PC woken through its relay
    std::array<QLabel *, LastPc - FirstPc + 1> m_Info_lvl{}; // PC n at n - FirstPc
    QPushButton *m_Settings_bt = nullptr;
    QPushButton *m_Close_bt = nullptr;
    QPushButton *m_CloseF = nullptr;

    QMenu *m_MainMenu = nullptr;
    QMenu *m_Help = nullptr;
    QAction *m_MainDisp = nullptr;
    QAction *m_Setting = nullptr;
    std::array<QAction *, LastPc + 1> m_PCn_start{}; // PC1_start to PC5_start at FirstPc to LastPc
    QAction *m_QuitApli = nullptr;
    QAction *m_HelpTopic = nullptr;
    QAction *m_About = nullptr;
};

} // namespace orvane
