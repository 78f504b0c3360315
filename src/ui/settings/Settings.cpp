#include "ui/settings/Settings.h"

#include "core/services/UiText.h"

#include "core/net/Neighbours.h"
#include "core/net/PcCheck.h"
#include "core/settings/SettingsStore.h"
#include "core/time/WakeSchedule.h"
#include "core/wake/MacText.h"
#include "ui/BackgroundJob.h"
#include "ui/Controls.h"
#include "ui/main/MainF.h"
#include "ui/settings/Finder.h"
#include "ui/settings/PcDetails.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QWindow>

#include <algorithm>

namespace orvane {

namespace {

// The number Msg_Box gives for Yes.
constexpr qint16 IdYes = 6;

// The key code the key handlers act on (Enter, from the main keyboard or the keypad).
constexpr int vbKeyReturn = 13;

template <class W> int indexIn(const QList<W *> &controls, const QObject *watched)
{
    for (qsizetype i = 0; i < controls.size(); ++i)
        if (controls[i] == watched)
            return int(i);
    return -1;
}

// A text box shows the beginning of what it holds, as a freshly filled box should.
void fill(QLineEdit *box, const QString &text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

// Why a MAC of these bytes names no single PC; empty for one that does.
QString specialMac(const MacAddress &mac)
{
    if (std::all_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b == 0xFF; }))
        return Orvane::tr("ブロードキャストアドレス");
    if (std::all_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b == 0; }))
        return Orvane::tr("すべて 0 のアドレス");
    return mac[0] & 1 ? Orvane::tr("マルチキャストアドレス") : QString();
}

bool isMacByte(const QString &text)
{
    static const QRegularExpression byte(QStringLiteral("^[0-9A-Fa-f]{2}$"));
    return byte.match(text.trimmed()).hasMatch();
}

} // namespace

Settings::~Settings()
{
    stopNetwork();
}

void Settings::Form_Load()
{
    send_qty_cmb->clear();
    for (int count = 3; count <= 10; ++count)
        send_qty_cmb->addItem(QString::number(count));
    // Adding to an empty list selects its first item; no item is chosen by loading.
    send_qty_cmb->setCurrentIndex(-1);
    settingsStore().LoadSettings();
}

void Settings::showSettings(const SettingsGrid &table)
{
    fill(port_txt, table.value(GlobalRow, PortCell));
    // As text, so that a count outside the list (12, a word) shows as it is.
    send_qty_cmb->setEditText(table.value(GlobalRow, SendCountCell));
    int m = 0;
    for (int n = FirstPc; n <= LastPc; ++n) {
        const int k = n - FirstPc;
        fill(pc_txt[k], table.value(n, NameCell));
        fill(IP_txt[k], table.value(n, HostCell));
        for (int i = 0; i < MacCells; ++i)
            fill(MAC_txt[m++], table.value(n, MacCell + i));
        // A flag that is none of the check box's states can't be shown and is skipped.
        switch (timerFlagOf(table.value(n, TimerCell))) {
        case TimerFlag::Off:
            timer_chk[k]->setCheckState(Qt::Unchecked);
            break;
        case TimerFlag::On:
            timer_chk[k]->setCheckState(Qt::Checked);
            break;
        case TimerFlag::Grey:
            timer_chk[k]->setCheckState(Qt::PartiallyChecked);
            break;
        case TimerFlag::Other:
            break;
        }
        fill(time_txt[k], table.value(n, WakeTimeCell));
    }
    m_extras = settingsStore().ExtrasTable;
}

void Settings::update_bt_Click()
{
    SettingsStore &store = settingsStore();
    SettingsGrid &edit = store.SettingsEditTable;
    for (int c = 0; c < SettingsColumns; ++c)
        edit.set(GlobalRow, c, QString());
    edit.set(GlobalRow, PortCell, port_txt->text());
    edit.set(GlobalRow, SendCountCell, send_qty_cmb->currentText());
    int m = 0;
    for (int n = FirstPc; n <= LastPc; ++n) {
        const int k = n - FirstPc;
        edit.set(n, NameCell, pc_txt[k]->text());
        edit.set(n, HostCell, IP_txt[k]->text());
        for (int i = 0; i < MacCells; ++i)
            edit.set(n, MacCell + i, MAC_txt[m++]->text());
        // Qt's Unchecked, PartiallyChecked and Checked are 0, 1 and 2; the stored values are 0, 2 and 1.
        const Qt::CheckState state = timer_chk[k]->checkState();
        edit.set(n, TimerCell, QLatin1String(state == Qt::Checked ? "1" : state == Qt::PartiallyChecked ? "2" : "0"));
        edit.set(n, WakeTimeCell, time_txt[k]->text());
    }
    store.ExtrasEditTable = m_extras;
    QString why, failed;
    if (!store.SaveSettings(&why, &failed)) {
        // The file is as it was; the dialog stays open with everything as typed, so that the user can
        // mend the cause (a folder, a full disk) and update again. Loading the file back would throw
        // the edits away.
        const QString file = QFileInfo(failed).absoluteFilePath();
        m_common.Msg_Box(m_common.KindErr, Orvane::tr("ファイル書込に失敗しました！\r\n%1：%2").arg(file, why));
        return;
    }
    store.LoadSettings();
    unload();
}

void Settings::detail_bt_Click(int Index)
{
    if (Index < FirstPc || Index > LastPc)
        return;
    // The next wake as the settings in force have it, the days as this dialog left them.
    OrvaneTable extras = settingsStore().ExtrasTable;
    extras[static_cast<size_t>(Index)] = m_extras[static_cast<size_t>(Index)];
    extras[static_cast<size_t>(Index)].skipNext.clear();
    const std::optional<Day> next = nextWakeDayOf(settingsStore().SettingsTable, extras, Index);
    auto *details =
        new PcDetails(Index, pc_txt[Index - FirstPc]->text(), m_extras[static_cast<size_t>(Index)], next, this);
    details->setAttribute(Qt::WA_DeleteOnClose);
    connect(details, &QDialog::accepted, this,
            [this, details] { m_extras[static_cast<size_t>(details->pc())] = details->extras(); });
    details->open();
}

void Settings::cancel_bt_Click()
{
    unload();
}

void Settings::unload()
{
    stopNetwork();
    if (m_finder)
        m_finder->close();
    emit unloadRequested();
}

void Settings::stopNetwork()
{
    for (std::shared_ptr<BackgroundJob> &learning : m_learning) {
        if (learning)
            learning->cut();
        learning.reset();
    }
}

Finder *Settings::finder() const
{
    return m_finder;
}

void Settings::find_bt_Click()
{
    if (!m_finder) {
        m_finder = new Finder([this] { return rowsNow(); }, this);
        connect(m_finder, &Finder::fillRequested, this, &Settings::fillRow);
    }
    m_finder->show();
    m_finder->raise();
    m_finder->activateWindow();
}

bool Settings::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int keyCode = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ? vbKeyReturn : key->key();
        const Qt::KeyboardModifiers shift = key->modifiers();
        if (watched == port_txt)
            port_txt_KeyDown(keyCode, shift);
        else if (watched == send_qty_cmb)
            send_qty_cmb_KeyDown(keyCode, shift);
        else if (const int i = indexIn(pc_txt, watched); i >= 0)
            pc_txt_KeyDown(i, keyCode, shift);
        else if (const int i = indexIn(IP_txt, watched); i >= 0)
            IP_txt_KeyDown(i, keyCode, shift);
        else if (const int i = indexIn(MAC_txt, watched); i >= 0)
            MAC_txt_KeyDown(i, keyCode, shift);
        else if (const int i = indexIn(timer_chk, watched); i >= 0)
            timer_chk_KeyDown(i, keyCode, shift);
        else if (const int i = indexIn(time_txt, watched); i >= 0)
            time_txt_KeyDown(i, keyCode, shift);
    } else if (event->type() == QEvent::FocusOut) {
        if (const int i = indexIn(MAC_txt, watched); i >= 0)
            MAC_txt_LostFocus(i);
        else if (const int i = indexIn(IP_txt, watched); i >= 0)
            IP_txt_LostFocus(i);
    }
    // The key goes on to the control as well: Enter is neither swallowed nor changed.
    return false;
}

void Settings::port_txt_KeyDown(int KeyCode, Qt::KeyboardModifiers)
{
    moveOnWithEnter(KeyCode);
}
void Settings::send_qty_cmb_KeyDown(int KeyCode, Qt::KeyboardModifiers)
{
    moveOnWithEnter(KeyCode);
}
void Settings::pc_txt_KeyDown(int, int KeyCode, Qt::KeyboardModifiers)
{
    moveOnWithEnter(KeyCode);
}
void Settings::IP_txt_KeyDown(int, int KeyCode, Qt::KeyboardModifiers)
{
    moveOnWithEnter(KeyCode);
}
void Settings::MAC_txt_KeyDown(int, int KeyCode, Qt::KeyboardModifiers)
{
    moveOnWithEnter(KeyCode);
}
void Settings::timer_chk_KeyDown(int, int KeyCode, Qt::KeyboardModifiers)
{
    moveOnWithEnter(KeyCode);
}
void Settings::time_txt_KeyDown(int, int KeyCode, Qt::KeyboardModifiers)
{
    moveOnWithEnter(KeyCode);
}

void Settings::moveOnWithEnter(int KeyCode)
{
    if (KeyCode != vbKeyReturn)
        return;
    // One Tab keystroke, queued behind the Enter: the window hands it to whatever has the focus
    // when it arrives, so the Enter itself is finished first and never reaches the next control.
    QObject *target = windowHandle();
    if (!target)
        target = QApplication::focusWidget();
    if (!target)
        return;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier));
}

void Settings::MAC_txt_LostFocus(int Index)
{
    QLineEdit *box = MAC_txt[Index];
    // A whole MAC typed into one box is spread over its row.
    if (const std::optional<MacAddress> mac = parseWholeMac(box->text().toStdString())) {
        fillMac(Index / MacCells, *mac);
        return;
    }
    const QString upper = box->text().toUpper();
    if (upper != box->text())
        box->setText(upper);
}

void Settings::MAC_txt_Edited(int Index, const QString &text)
{
    // Typing adds one character at a time; a paste (or a drop) brings many at once and takes effect
    // at once, once the box has finished its edit. Typed text waits for the box to be left.
    const QString before = m_macSeen[Index];
    if (text.size() - before.size() < 2)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, Index, text, before] {
            if (MAC_txt[Index]->text() != text)
                return;
            const std::optional<MacAddress> mac = parseWholeMac(text.toStdString());
            const bool attempt = text.size() > 2 || text.contains(QRegularExpression(QStringLiteral("[-:.\\s]")));
            QString why;
            if (mac && !specialMac(*mac).isEmpty())
                why = Orvane::tr("%1 は%2で、PC の MAC アドレスではありません。")
                          .arg(QString::fromStdString(macText(*mac)), specialMac(*mac));
            else if (mac)
                return fillMac(Index / MacCells, *mac);
            else if (attempt)
                why = Orvane::tr("貼り付けた文字列は MAC アドレスとして読めません。"
                                 "00:11:22:33:44:55 の形で貼り付けてください。");
            else
                return;
            MAC_txt[Index]->setText(before);
            m_common.Msg_Box(m_common.KindErr,
                             Orvane::tr("MAC アドレスを貼り付けられませんでした！") + QLatin1String(CrLf) + why);
        },
        Qt::QueuedConnection);
}

// A row whose MAC boxes are half filled, or hold no byte, wakes no PC: its boxes say so.
void Settings::markMacRow(int k)
{
    QStringList texts;
    for (int j = 0; j < MacCells; ++j)
        texts << MAC_txt[MacCells * k + j]->text().trimmed();
    const auto filled = std::count_if(texts.begin(), texts.end(), [](const QString &t) { return !t.isEmpty(); });
    QString problem;
    if (filled > 0 && filled < MacCells)
        problem = Orvane::tr("MAC アドレスが %1 欄しか入力されていません。6 欄すべてに入力してください。").arg(filled);
    else if (filled == MacCells && !std::all_of(texts.begin(), texts.end(), isMacByte))
        problem = Orvane::tr("MAC アドレスの各欄には 16 進数 2 桁（00～FF）を入力してください。");
    else if (filled == MacCells) {
        MacAddress mac{};
        for (int j = 0; j < MacCells; ++j)
            mac[j] = static_cast<std::uint8_t>(texts[j].toUInt(nullptr, 16));
        if (const QString kind = specialMac(mac); !kind.isEmpty())
            problem = Orvane::tr("%1で、PC の MAC アドレスではありません。").arg(kind);
    }
    for (int j = 0; j < MacCells; ++j)
        markBox(MAC_txt[MacCells * k + j], problem);
}

bool Settings::macEmpty(int k) const
{
    for (int j = 0; j < MacCells; ++j)
        if (!MAC_txt[MacCells * k + j]->text().isEmpty())
            return false;
    return true;
}

void Settings::fillMac(int k, const MacAddress &mac)
{
    for (int j = 0; j < MacCells; ++j)
        MAC_txt[MacCells * k + j]->setText(QStringLiteral("%1").arg(mac[j], 2, 16, QLatin1Char('0')).toUpper());
}

void Settings::IP_txt_LostFocus(int Index)
{
    const QString host = IP_txt[Index]->text().trimmed();
    if (host.isEmpty() || !macEmpty(Index))
        return;
    if (m_learning[Index] && m_learningHost[Index] == host)
        return;
    if (m_learning[Index])
        m_learning[Index]->cut();
    m_learningHost[Index] = host;
    // The lookup and the kernel's resolution run off the GUI thread; the answer fills the boxes only
    // if they are all still empty and the host is still the one asked about. No answer, no change.
    const std::string asked = host.toStdString();
    m_learning[Index] = BackgroundJob::start(this, [this, Index, host, asked](BackgroundJob &job) {
        const std::optional<MacAddress> mac = learnMac(asked, LinkConfirmMs, &job.cancel);
        job.post([this, Index, host, mac, asking = &job] {
            if (m_learning[Index].get() != asking)
                return;
            m_learning[Index].reset();
            if (mac && macEmpty(Index) && IP_txt[Index]->text().trimmed() == host)
                fillMac(Index, *mac);
        });
    });
}

void Settings::fillRow(int k, const QString &host, const MacAddress &mac, const QString &name)
{
    const PcRowNow row = rowsNow().at(k);
    // The machine's own row (its address moved) keeps its name, and so does a free row's typed name.
    // Another PC's row is replaced only when the user says so, name and all: an old name on a new MAC
    // would wake another machine than it says.
    const bool own = row.mac == mac, free = row.host.trimmed().isEmpty() && row.macBlank;
    if (!own && !free) {
        const QString found =
            QString::fromStdString(macText(mac)) + (host.isEmpty() ? QString() : Orvane::tr("、") + host);
        const QPointer<Settings> self(this);
        const bool yes =
            m_common.Msg_Box(m_common.KindYn,
                             Orvane::tr("%1 を、見つかった機器（%2）で置き換えますか？\r\n名前も置き換わります。")
                                 .arg(rowTitle(k, row), found)) == IdYes;
        if (!self || !yes)
            return;
    }
    if (!host.isEmpty() || !own)
        fill(IP_txt[k], host);
    fillMac(k, mac);
    if (!own && (!free || pc_txt[k]->text().isEmpty()))
        fill(pc_txt[k], name);
}

QList<PcRowNow> Settings::rowsNow() const
{
    QList<PcRowNow> rows;
    for (int n = FirstPc; n <= LastPc; ++n) {
        const int k = n - FirstPc;
        PcRowNow row{pc_txt[k]->text(), IP_txt[k]->text(), std::nullopt, macEmpty(k)};
        // Read by the wake's own rule, so a row is marked as the machine its wake would reach.
        std::array<std::string, MacBytes> fields;
        for (int j = 0; j < MacCells; ++j)
            fields[static_cast<size_t>(j)] = MAC_txt[MacCells * k + j]->text().trimmed().toStdString();
        row.mac = settingsMac(fields);
        rows.append(row);
    }
    return rows;
}

void Settings::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_placed) {
        m_placed = true;
        centreOnScreen(this);
    }
    port_txt->setFocus(Qt::OtherFocusReason);
}

void Settings::closeEvent(QCloseEvent *event)
{
    // The close box is the cancel command.
    event->accept();
    cancel_bt_Click();
}

} // namespace orvane
