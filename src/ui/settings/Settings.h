#pragma once

#include "core/FixedField.h"
#include "platform/QzCmn14.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvane {

// The settings dialog: non-modal, one instance, loaded hidden by the first LoadSettings and
// unloaded by its own close commands. It stores whatever is typed; it checks nothing.
class Settings : public QWidget {
    Q_OBJECT
public:
    explicit Settings(QWidget *parent = nullptr);

    void Form_Load();
    // The dialog's half of LoadSettings' display.
    void showSettings(const SettingsGrid &table);

    void update_bt_Click();
    void cancel_bt_Click();

signals:
    // Update and cancel close the dialog for good.
    void unloadRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void port_txt_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void send_qty_cmb_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void pc_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void IP_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void MAC_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void timer_chk_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void time_txt_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);
    void MAC_txt_LostFocus(int Index);

    void moveOnWithEnter(int KeyCode);
    void unload();

    QzCmn14 m_common;
    bool m_placed = false;

    QLineEdit *port_txt = nullptr;
    QComboBox *send_qty_cmb = nullptr;
    QPushButton *update_bt = nullptr;
    QPushButton *cancel_bt = nullptr;
    QList<QLineEdit *> pc_txt;
    QList<QLineEdit *> IP_txt;
    QList<QLineEdit *> MAC_txt;
    QList<QCheckBox *> timer_chk;
    QList<QLineEdit *> time_txt;
};

} // namespace orvane
