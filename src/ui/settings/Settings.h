#pragma once

#include "core/settings/SettingsGrid.h"
#include "core/wake/MagicPacket.h"
#include "core/wake/OrvaneSettings.h"
#include "platform/QzCmn14.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvane {

class Finder;
class BackgroundJob;
struct PcRowNow;

// The settings dialog: non-modal, one instance, loaded hidden by the first LoadSettings and
// unloaded by its own close commands. It stores whatever is typed; it checks nothing.
class Settings : public QWidget {
    Q_OBJECT
public:
    explicit Settings(QWidget *parent = nullptr);
    ~Settings() override;

    void Form_Load();
    // The dialog's half of LoadSettings' display.
    void showSettings(const SettingsGrid &table);

    void update_bt_Click();
    void cancel_bt_Click();
    // Opens "PC を探す" (one window, brought forward when open).
    void find_bt_Click();
    Finder *finder() const;
    // Opens PC Index's details (its relay), window-modal.
    void detail_bt_Click(int Index);

signals:
    // Update and cancel close the dialog for good.
    void unloadRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The controls at their places, in their focus order, wired to their handlers.
    void placeControls();
    void orderFocus();
    void connectControls();
    void port_txt_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void send_qty_cmb_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void pc_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void IP_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void MAC_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void timer_chk_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void time_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void MAC_txt_LostFocus(int Index);
    void IP_txt_LostFocus(int Index);
    void MAC_txt_Edited(int Index, const QString &text);

    // Row k's six MAC boxes, two upper-case hex digits each.
    void fillMac(int k, const MacAddress &mac);
    // What the finder puts into row k.
    void fillRow(int k, const QString &host, const MacAddress &mac, const QString &name);
    QList<PcRowNow> rowsNow() const;
    bool macEmpty(int k) const;
    void markMacRow(int k);
    void stopNetwork();

    void moveOnWithEnter(int KeyCode);
    void unload();

    QzCmn14 m_common;
    bool m_placed = false;

    QLineEdit *port_txt = nullptr;
    QComboBox *send_qty_cmb = nullptr;
    QPushButton *update_bt = nullptr;
    QPushButton *cancel_bt = nullptr;
    QPushButton *find_bt = nullptr;
    QList<QLineEdit *> pc_txt;
    QList<QLineEdit *> IP_txt;
    QList<QLineEdit *> MAC_txt;
    QList<QCheckBox *> timer_chk;
    QList<QLineEdit *> time_txt;
    QList<QPushButton *> detail_bt;
    // Orvane.ini's settings as the details dialogs left them; 更新 saves them with the rest.
    OrvaneTable m_extras{};

    QPointer<Finder> m_finder;
    // A MAC being learnt for each row from its host, and the host asked about.
    QList<std::shared_ptr<BackgroundJob>> m_learning;
    QStringList m_learningHost;
    // Each MAC box's text as last seen, to tell a paste (many characters at once) from typing.
    QStringList m_macSeen;
};

} // namespace orvane
