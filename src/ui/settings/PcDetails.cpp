#include "ui/settings/PcDetails.h"

#include "core/wake/RelayRules.h"
#include "ui/Controls.h"
#include "ui/Looks.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvane {

namespace {

const char RawNote[] = "このシェルは POSIX のものではないため、値を引用符なしで入れます（{raw:mac} など）。"
                       "値は確かめた文字（16進数と「:」、数字、ホスト名の文字）だけです。";

} // namespace

PcDetails::PcDetails(int pc, const QString &pcName, const PcExtras &extras, QWidget *parent) : QDialog(parent), m_pc(pc)
{
    setObjectName(QStringLiteral("PcDetails"));
    setWindowTitle(QStringLiteral("PC%1 の詳細").arg(pc) +
                   (pcName.isEmpty() ? QString() : QStringLiteral("「%1」").arg(pcName)));
    setWindowModality(Qt::WindowModal);
    setFont(uiFont(11, false));
    setFixedSize(twips(7860), twips(3420));

    label(this, "relay_lbl", QStringLiteral("経由先 (ssh)"), twips(240, 180, 1800, 255));
    relay_txt = new QLineEdit(QString::fromStdString(extras.relay), this);
    relay_txt->setObjectName(QStringLiteral("relay_txt"));
    relay_txt->setGeometry(twips(2160, 150, 5460, 300));
    relay_txt->setPlaceholderText(QStringLiteral("user@host、host、~/.ssh/config の Host 名"));
    QLabel *relayHelp =
        label(this, "relay_help_lbl",
              QStringLiteral("ルーターの向こうの PC は、そのネットワークにある ssh で入れる機械から起動します。"
                             "空なら、このコンピューターから直接送ります。"),
              twips(240, 540, 7380, 510));
    relayHelp->setWordWrap(true);

    label(this, "relay_command_lbl", QStringLiteral("経由先のコマンド"), twips(240, 1170, 1800, 255));
    relay_command_txt = new QLineEdit(QString::fromStdString(extras.relayCommand), this);
    relay_command_txt->setObjectName(QStringLiteral("relay_command_txt"));
    relay_command_txt->setGeometry(twips(2160, 1140, 5460, 300));
    relay_command_txt->setPlaceholderText(QStringLiteral("空なら経由先の orvane-wake"));
    label(this, "relay_preset_lbl", QStringLiteral("ひな形"), twips(240, 1560, 1800, 255));
    relay_preset_cmb = new QComboBox(this);
    relay_preset_cmb->setObjectName(QStringLiteral("relay_preset_cmb"));
    relay_preset_cmb->setGeometry(twips(2160, 1530, 3000, 300));
    relay_preset_cmb->addItem(QStringLiteral("orvane-wake (Orvane)"));
    for (const RelayPreset &p : relayPresets())
        relay_preset_cmb->addItem(QString::fromUtf8(p.name));
    relay_preset_cmb->setCurrentIndex(-1);
    relay_preset_cmb->setPlaceholderText(QStringLiteral("選ぶと入ります"));
    QLabel *commandHelp = label(this, "relay_command_help_lbl",
                                QStringLiteral("{mac} {host} {port} {count} に、この PC の値が引用符つきで入ります。"),
                                twips(240, 1920, 7380, 255));
    commandHelp->setWordWrap(true);
    preset_note_lbl = label(this, "preset_note_lbl", QString(), twips(240, 2220, 7380, 510));
    preset_note_lbl->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("details_ok_bt"));
    ok->setGeometry(twips(5040, 2880, 1215, 375));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("details_cancel_bt"));
    cancel->setGeometry(twips(6405, 2880, 1215, 375));
    connect(ok, &QPushButton::clicked, this, &PcDetails::accept);
    connect(cancel, &QPushButton::clicked, this, &PcDetails::reject);
    connect(relay_preset_cmb, &QComboBox::activated, this, &PcDetails::presetChosen);
    presetChosen(-1);
}

void PcDetails::presetChosen(int index)
{
    const std::vector<RelayPreset> &presets = relayPresets();
    if (index == 0)
        relay_command_txt->clear();
    else if (index > 0 && static_cast<size_t>(index) <= presets.size())
        relay_command_txt->setText(QString::fromUtf8(presets[static_cast<size_t>(index - 1)].command));
    const bool raw = relay_command_txt->text().contains(QLatin1String("{raw:"));
    preset_note_lbl->setText(raw ? QString::fromUtf8(RawNote) : QString());
}

PcExtras PcDetails::extras() const
{
    return {relay_txt->text().trimmed().toStdString(), relay_command_txt->text().trimmed().toStdString()};
}

void PcDetails::accept()
{
    const PcExtras e = extras();
    std::string why = e.relay.empty() ? std::string() : relayRefusal(e.relay);
    if (why.empty())
        why = relayCommandRefusal(e.relayCommand);
    if (!why.empty()) {
        m_common.Msg_Box(m_common.KindErr, QString::fromStdString(why));
        return;
    }
    QDialog::accept();
}

} // namespace orvane
