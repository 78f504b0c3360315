#include "ui/settings/PcDetails.h"

#include "core/services/UiText.h"

#include "core/wake/RelayRules.h"
#include "ui/Controls.h"
#include "ui/Looks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvane {

namespace {

const char RawNote[] =
    QT_TRANSLATE_NOOP("Orvane", "このシェルは POSIX のものではないため、値を引用符なしで入れます（{raw:mac} など）。"
                                "値は確かめた文字（16進数と「:」、数字、ホスト名の文字）だけです。");

} // namespace

PcDetails::PcDetails(int pc, const QString &pcName, const PcExtras &extras, const std::optional<Day> &nextWake,
                     QWidget *parent)
    : QDialog(parent), m_pc(pc), m_extras(extras), m_nextWake(nextWake)
{
    setObjectName(QStringLiteral("PcDetails"));
    setWindowTitle(Orvane::tr("PC%1 の詳細").arg(pc) +
                   (pcName.isEmpty() ? QString() : Orvane::tr("「%1」").arg(pcName)));
    setWindowModality(Qt::WindowModal);
    setFont(uiFont(11, false));
    setFixedSize(twips(7860), twips(5340));

    label(this, "relay_lbl", Orvane::tr("経由先 (ssh)"), twips(240, 180, 1800, 255));
    relay_txt = new QLineEdit(QString::fromStdString(extras.relay), this);
    relay_txt->setObjectName(QStringLiteral("relay_txt"));
    relay_txt->setGeometry(twips(2160, 150, 5460, 300));
    relay_txt->setPlaceholderText(Orvane::tr("user@host、host、~/.ssh/config の Host 名"));
    QLabel *relayHelp =
        label(this, "relay_help_lbl",
              Orvane::tr("ルーターの向こうの PC は、そのネットワークにある ssh で入れる機械から起動します。"
                         "空なら、このコンピューターから直接送ります。"),
              twips(240, 540, 7380, 510));
    relayHelp->setWordWrap(true);

    label(this, "relay_command_lbl", Orvane::tr("経由先のコマンド"), twips(240, 1170, 1800, 255));
    relay_command_txt = new QLineEdit(QString::fromStdString(extras.relayCommand), this);
    relay_command_txt->setObjectName(QStringLiteral("relay_command_txt"));
    relay_command_txt->setGeometry(twips(2160, 1140, 5460, 300));
    relay_command_txt->setPlaceholderText(Orvane::tr("空なら経由先の orvane-wake"));
    label(this, "relay_preset_lbl", Orvane::tr("ひな形"), twips(240, 1560, 1800, 255));
    relay_preset_cmb = new QComboBox(this);
    relay_preset_cmb->setObjectName(QStringLiteral("relay_preset_cmb"));
    relay_preset_cmb->setGeometry(twips(2160, 1530, 3000, 300));
    relay_preset_cmb->addItem(QStringLiteral("orvane-wake (Orvane)"));
    for (const RelayPreset &p : relayPresets())
        relay_preset_cmb->addItem(QString::fromUtf8(p.name));
    relay_preset_cmb->setCurrentIndex(-1);
    relay_preset_cmb->setPlaceholderText(Orvane::tr("選ぶと入ります"));
    QLabel *commandHelp = label(this, "relay_command_help_lbl",
                                Orvane::tr("{mac} {host} {port} {count} に、この PC の値が引用符つきで入ります。"),
                                twips(240, 1920, 7380, 255));
    commandHelp->setWordWrap(true);
    preset_note_lbl = label(this, "preset_note_lbl", QString(), twips(240, 2220, 7380, 510));
    preset_note_lbl->setWordWrap(true);

    // The timed wake's days.
    label(this, "days_lbl", Orvane::tr("起動する曜日"), twips(240, 2820, 1800, 255));
    const unsigned days = parseWeekdays(extras.days).value_or(EveryDay);
    const char *const names[] = {QT_TRANSLATE_NOOP("Orvane", "月"), QT_TRANSLATE_NOOP("Orvane", "火"),
                                 QT_TRANSLATE_NOOP("Orvane", "水"), QT_TRANSLATE_NOOP("Orvane", "木"),
                                 QT_TRANSLATE_NOOP("Orvane", "金"), QT_TRANSLATE_NOOP("Orvane", "土"),
                                 QT_TRANSLATE_NOOP("Orvane", "日")};
    for (int i = 0; i < 7; ++i) {
        auto *box = new QCheckBox(Orvane::tr(names[i]), this);
        box->setObjectName(QStringLiteral("days_chk_%1").arg(i));
        box->setGeometry(twips(2160 + 660 * i, 2790, 600, 300));
        box->setChecked(extras.days.empty() || ((days >> ((i + 1) % 7)) & 1u));
        days_chk.append(box);
    }
    holidays_chk = new QCheckBox(Orvane::tr("祝日（日本）は起動しない"), this);
    holidays_chk->setObjectName(QStringLiteral("holidays_chk"));
    holidays_chk->setGeometry(twips(2160, 3180, 5460, 300));
    holidays_chk->setChecked(extras.holidays == "skip");
    label(this, "skip_lbl", Orvane::tr("休む日"), twips(240, 3600, 1800, 255));
    skip_txt = new QLineEdit(QString::fromStdString(extras.skip), this);
    skip_txt->setObjectName(QStringLiteral("skip_txt"));
    skip_txt->setGeometry(twips(2160, 3570, 5460, 300));
    skip_txt->setPlaceholderText(QStringLiteral("2026-12-29..2027-01-03, 2027-05-06"));
    // Skipping one wake names the one that is next now; one skipped already stays so until it is past.
    const std::optional<Day> skipped = parseIsoDate(extras.skipNext);
    if (skipped)
        m_nextWake = skipped;
    skip_next_chk = new QCheckBox(
        m_nextWake ? Orvane::tr("次の起動（%1）を 1 回だけ休む").arg(QString::fromStdString(dayText(*m_nextWake)))
                   : Orvane::tr("次の起動を 1 回だけ休む"),
        this);
    skip_next_chk->setObjectName(QStringLiteral("skip_next_chk"));
    skip_next_chk->setGeometry(twips(2160, 3960, 5460, 300));
    skip_next_chk->setChecked(skipped.has_value());
    skip_next_chk->setEnabled(m_nextWake.has_value());
    label(this, "secureon_lbl", QStringLiteral("SecureOn"), twips(240, 4380, 1800, 255));
    secureon_txt = new QLineEdit(QString::fromStdString(extras.secureon), this);
    secureon_txt->setObjectName(QStringLiteral("secureon_txt"));
    secureon_txt->setGeometry(twips(2160, 4350, 3000, 300));
    secureon_txt->setEchoMode(QLineEdit::Password);
    secureon_txt->setPlaceholderText(QStringLiteral("01-23-45-67-89-ab"));
    auto *show = new QCheckBox(Orvane::tr("表示"), this);
    show->setObjectName(QStringLiteral("secureon_show_chk"));
    show->setGeometry(twips(5280, 4350, 1200, 300));
    connect(show, &QCheckBox::toggled, this,
            [this](bool on) { secureon_txt->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("details_ok_bt"));
    ok->setGeometry(twips(5040, 4800, 1215, 375));
    ok->setDefault(true);
    auto *cancel = new QPushButton(Orvane::tr("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("details_cancel_bt"));
    cancel->setGeometry(twips(6405, 4800, 1215, 375));
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
    preset_note_lbl->setText(raw ? Orvane::tr(RawNote) : QString());
}

PcExtras PcDetails::extras() const
{
    PcExtras e = m_extras;
    e.relay = relay_txt->text().trimmed().toStdString();
    e.relayCommand = relay_command_txt->text().trimmed().toStdString();
    unsigned days = 0;
    for (int i = 0; i < 7; ++i)
        days |= days_chk[i]->isChecked() ? 1u << ((i + 1) % 7) : 0u;
    // A days text the boxes would only repeat stays as it was typed.
    if (parseWeekdays(e.days).value_or(EveryDay) != days || (days == EveryDay) != e.days.empty())
        e.days = days == 0 ? std::string("none") : weekdaysText(days);
    if (holidays_chk->isChecked() != (e.holidays == "skip"))
        e.holidays = holidays_chk->isChecked() ? "skip" : "";
    e.skip = skip_txt->text().trimmed().toStdString();
    e.skipNext = skip_next_chk->isChecked() && m_nextWake ? isoDate(*m_nextWake) : std::string();
    e.secureon = secureon_txt->text().trimmed().toStdString();
    return e;
}

void PcDetails::accept()
{
    const PcExtras e = extras();
    std::string why = e.relay.empty() ? std::string() : relayRefusal(e.relay);
    for (const auto &[key, value] :
         {std::pair{"relay_command", &e.relayCommand}, {"skip", &e.skip}, {"secureon", &e.secureon}})
        if (why.empty())
            why = orvaneValueRefusal(key, *value);
    const QString refusal = !why.empty()       ? QString::fromStdString(why)
                            : e.days == "none" ? Orvane::tr("起動する曜日がありません！")
                                               : QString();
    if (!refusal.isEmpty()) {
        m_common.Msg_Box(m_common.KindErr, refusal);
        return;
    }
    QDialog::accept();
}

} // namespace orvane
