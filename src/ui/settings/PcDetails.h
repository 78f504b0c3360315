#pragma once

#include "core/wake/Calendar.h"
#include "core/wake/OrvaneSettings.h"
#include "platform/QzCmn14.h"

#include <QDialog>
#include <QList>

#include <optional>

class QCheckBox;
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
    // nextWake: the day of the PC's next timed wake as it stands (for skipping it once), if any.
    PcDetails(int pc, const QString &pcName, const PcExtras &extras, const std::optional<Day> &nextWake,
              QWidget *parent = nullptr);

    int pc() const { return m_pc; }
    // What the boxes hold, blanks around them removed, with the rest as it came.
    PcExtras extras() const;
    // Refused values are said in an error box, and the dialog stays open with them.
    void accept() override;

private:
    void presetChosen(int index);

    QzCmn14 m_common;
    int m_pc;
    PcExtras m_extras; // as it came: what the boxes don't show stays
    QLineEdit *relay_txt;
    QLineEdit *relay_command_txt;
    QComboBox *relay_preset_cmb;
    QLabel *preset_note_lbl;
    QList<QCheckBox *> days_chk; // Monday first
    QCheckBox *holidays_chk;
    QLineEdit *skip_txt;
    QCheckBox *skip_next_chk;
    QLineEdit *secureon_txt;
    std::optional<Day> m_nextWake;
};

} // namespace orvane
