#pragma once

#include "core/wake/OrvaneSettings.h"
#include "platform/QzCmn14.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace orvane {

// One PC's settings of Orvane's own (Orvane.ini's): the relay it is woken and checked through, and
// the command that relay runs. OK takes what passes its checks into the settings dialog's edits;
// the dialog's 更新 saves them.
class PcDetails : public QDialog {
    Q_OBJECT
public:
    PcDetails(int pc, const QString &pcName, const PcExtras &extras, QWidget *parent = nullptr);

    int pc() const { return m_pc; }
    // What the boxes hold, blanks around them removed.
    PcExtras extras() const;
    // Refused values are said in an error box, and the dialog stays open with them.
    void accept() override;

private:
    void presetChosen(int index);

    QzCmn14 m_common;
    int m_pc;
    QLineEdit *relay_txt;
    QLineEdit *relay_command_txt;
    QComboBox *relay_preset_cmb;
    QLabel *preset_note_lbl;
};

} // namespace orvane
