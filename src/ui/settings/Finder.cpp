#include "ui/settings/Finder.h"

#include "core/services/UiText.h"

#include "core/net/HostLookup.h"
#include "core/net/Sweep.h"
#include "core/record/RecordFormat.h"
#include "core/wake/MacText.h"
#include "ui/BackgroundJob.h"
#include "ui/Controls.h"
#include "ui/Looks.h"
#include "ui/settings/FoundMachines.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include <arpa/inet.h>

namespace orvane {

namespace {

constexpr int PcCount = LastPc - FirstPc + 1;

using Col = FoundMachines::Column;

bool isNumeric(const QString &host)
{
    unsigned char bytes[16];
    const QByteArray text = host.toLatin1();
    return ::inet_pton(AF_INET, text.constData(), bytes) == 1 || ::inet_pton(AF_INET6, text.constData(), bytes) == 1;
}

// What a host name stands for while it is being resolved.
const QString Resolving = QStringLiteral("?");

QString bare(QString host)
{
    host = host.trimmed().toLower();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    while (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    return host;
}

QString firstLabel(const QString &name)
{
    return name.section(QLatin1Char('.'), 0, 0);
}

// Whether a host box names this machine: one of its addresses, its name, or the name's first label.
bool hostNames(const QString &hostBox, const QStringList &addresses, const QString &name)
{
    const QString host = bare(hostBox);
    for (const QString &address : addresses)
        if (host == address.toLower())
            return true;
    const QString full = bare(name);
    return !full.isEmpty() && (host == full || host == firstLabel(full) || firstLabel(host) == full);
}

} // namespace

QString rowTitle(int k, const PcRowNow &row)
{
    QStringList about;
    for (const QString &part : {row.name.trimmed(), row.host.trimmed()})
        if (!part.isEmpty())
            about << part;
    const QString pc = QStringLiteral("PC%1").arg(k + FirstPc);
    return about.isEmpty() ? pc : Orvane::tr("%1（%2）").arg(pc, about.join(Orvane::tr("、")));
}

Finder::Finder(std::function<QList<PcRowNow>()> rows, QWidget *parent) : QWidget(parent), m_rows(std::move(rows))
{
    setObjectName(QStringLiteral("Finder"));
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Orvane::tr("PC を探す"));
    setWindowIcon(settingsIcon());
    resize(twips(9300), twips(3900));

    state_lbl = new QLabel(this);
    state_lbl->setTextFormat(Qt::PlainText);
    state_lbl->setWordWrap(true);
    state_lbl->setObjectName(QStringLiteral("state_lbl"));
    sweep_bar = new QProgressBar(this);
    sweep_bar->setObjectName(QStringLiteral("sweep_bar"));
    sweep_bar->setTextVisible(false);
    sweep_bar->setFixedWidth(200);

    makeList();

    auto *rowLabel = new QLabel(Orvane::tr("入れる先(&P)"), this);
    row_cmb = new QComboBox(this);
    row_cmb->setObjectName(QStringLiteral("row_cmb"));
    row_cmb->setMinimumContentsLength(28);
    row_cmb->setPlaceholderText(Orvane::tr("置き換える PC を選んでください"));
    row_cmb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    rowLabel->setBuddy(row_cmb);
    fill_bt = new QPushButton(Orvane::tr("入れる(&I)"), this);
    fill_bt->setObjectName(QStringLiteral("fill_bt"));
    fill_bt->setEnabled(false);
    again_bt = new QPushButton(Orvane::tr("もう一度探す(&R)"), this);
    again_bt->setObjectName(QStringLiteral("again_bt"));
    close_bt = new QPushButton(Orvane::tr("閉じる(&C)"), this);
    close_bt->setObjectName(QStringLiteral("close_bt"));
    for (QPushButton *button : {fill_bt, again_bt, close_bt})
        button->setAutoDefault(true);

    auto *top = new QHBoxLayout;
    top->addWidget(state_lbl, 1);
    top->addWidget(sweep_bar);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(rowLabel);
    bottom->addWidget(row_cmb);
    bottom->addWidget(fill_bt);
    bottom->addStretch(1);
    bottom->addWidget(again_bt);
    bottom->addWidget(close_bt);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(machines_lst, 1);
    all->addLayout(bottom);

    connectControls();
    refreshMarks();
    chooseFreeRow();
}

// The list of machines: the model, sorted by a proxy, in a view with its columns in twips.
void Finder::makeList()
{
    m_machines = new FoundMachines(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_machines);
    m_sorted->setSortRole(FoundMachines::SortRole);
    machines_lst = new QTreeView(this);
    machines_lst->setObjectName(QStringLiteral("machines_lst"));
    machines_lst->setModel(m_sorted);
    machines_lst->setRootIsDecorated(false);
    machines_lst->setUniformRowHeights(true);
    machines_lst->setAllColumnsShowFocus(true);
    machines_lst->setSortingEnabled(true);
    machines_lst->sortByColumn(Col::AddressCol, Qt::AscendingOrder);
    machines_lst->header()->resizeSection(Col::AddressCol, twips(1800));
    machines_lst->header()->resizeSection(Col::MacCol, twips(1875));
    machines_lst->header()->resizeSection(Col::NameCol, twips(1800));
    machines_lst->header()->resizeSection(Col::MakerCol, twips(1950));
}

void Finder::connectControls()
{
    connect(machines_lst->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { chosen(); });
    connect(machines_lst, &QTreeView::activated, this, [this] { fill_bt_Click(); });
    connect(fill_bt, &QPushButton::clicked, this, &Finder::fill_bt_Click);
    connect(row_cmb, &QComboBox::currentIndexChanged, this,
            [this](int k) { fill_bt->setEnabled(currentRow() >= 0 && k >= 0); });
    connect(again_bt, &QPushButton::clicked, this, &Finder::sweep);
    connect(close_bt, &QPushButton::clicked, this, &QWidget::close);
}

// A new PC goes into the first row with neither host nor MAC (a name alone waits for its machine).
// With none free, no row is chosen: the user picks the one to replace.
void Finder::chooseFreeRow()
{
    const QList<PcRowNow> now = m_rows();
    int free = -1;
    for (int k = 0; k < now.size() && k < PcCount && free < 0; ++k)
        if (now[k].host.trimmed().isEmpty() && now[k].macBlank)
            free = k;
    row_cmb->setCurrentIndex(free);
    fill_bt->setEnabled(currentRow() >= 0 && free >= 0);
}

Finder::~Finder()
{
    stop();
}

void Finder::stop()
{
    if (m_sweep)
        m_sweep->cut();
    m_sweep.reset();
    for (const std::shared_ptr<BackgroundJob> &lookup : m_lookups)
        lookup->cut();
    m_lookups.clear();
    m_resolved.clear();
}

void Finder::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_swept) {
        m_swept = true;
        // Beside the settings dialog, where it leaves the rows in sight: right, left, below or above,
        // the first that the screen has room for; else as low as the screen allows.
        if (const QWidget *dialog = parentWidget(); dialog && dialog->isVisible()) {
            const QRect room = dialog->screen()->availableGeometry();
            const QRect by = dialog->frameGeometry();
            const QSize size = frameGeometry().size();
            const int centreX = by.center().x() - size.width() / 2;
            const QPoint places[] = {{by.right() + 8, by.top()},
                                     {by.left() - 8 - size.width(), by.top()},
                                     {centreX, by.bottom() + 8},
                                     {centreX, by.top() - 8 - size.height()}};
            const auto clampX = [&](int x) {
                return std::clamp(x, room.left(), std::max(room.left(), room.right() - size.width()));
            };
            QPoint at(centreX, room.bottom() - size.height());
            for (int i = 0; i < 4; ++i) {
                // Beside it as it is; below or above it moved along the screen as far as needed.
                const QPoint place(i < 2 ? places[i].x() : clampX(places[i].x()), places[i].y());
                if (room.contains(QRect(place, size))) {
                    at = place;
                    break;
                }
            }
            at.setX(clampX(at.x()));
            at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - size.height())));
            move(at);
        }
        sweep();
    }
}

void Finder::sweep()
{
    stop();
    m_machines->clear();
    sweep_bar->setRange(0, 0);
    sweep_bar->setValue(0);
    sweep_bar->show();
    again_bt->setEnabled(false);
    state_lbl->setText(Orvane::tr("このネットワークの機器を探しています…"));
    // Results of a sweep that was ended may still be on their way: they are dropped.
    const int generation = ++m_generation;
    m_sweep = BackgroundJob::start(this, [this, generation](BackgroundJob &job) {
        SweepProgress last;
        std::vector<std::string> covered;
        sweepLinks(
            [&](const FoundMachine &machine) {
                job.post([this, generation, machine] {
                    if (generation == m_generation)
                        found(machine);
                });
            },
            [&](const SweepProgress &progress) {
                last = progress;
                job.post([this, generation, progress] {
                    if (generation == m_generation)
                        progressed(progress, false);
                });
            },
            &job.cancel, &covered);
        QStringList ranges;
        for (const std::string &range : covered)
            ranges << QString::fromStdString(range);
        job.post([this, generation, last, ranges] {
            if (generation == m_generation) {
                m_covered = ranges.join(Orvane::tr("、"));
                progressed(last, true);
            }
        });
    });
}

void Finder::found(const FoundMachine &machine)
{
    const int r = m_machines->add(machine);
    markRow(r, m_rows());
    if (currentRow() < 0)
        machines_lst->setCurrentIndex(m_sorted->mapFromSource(m_machines->index(r, 0)));
    showCount();
}

int Finder::currentRow() const
{
    const QModelIndex current = machines_lst->currentIndex();
    return current.isValid() ? m_sorted->mapToSource(current).row() : -1;
}

void Finder::progressed(const SweepProgress &progress, bool finished)
{
    if (progress.total > 0) {
        sweep_bar->setRange(0, progress.total);
        sweep_bar->setValue(progress.done);
    }
    if (!finished) {
        showCount();
        return;
    }
    sweep_bar->hide();
    again_bt->setEnabled(true);
    m_sweep.reset();
    showCount();
}

void Finder::showCount()
{
    const int count = m_machines->rowCount();
    const QString covered = Orvane::tr("\n調べた範囲: ") + m_covered;
    if (m_sweep)
        state_lbl->setText(Orvane::tr("このネットワークの機器を探しています… %1 台").arg(count));
    else if (count > 0)
        state_lbl->setText(Orvane::tr("見つかった機器：%1 台。選んで「入れる」を押すと設定に入ります。").arg(count) +
                           covered);
    else
        state_lbl->setText(Orvane::tr("機器は見つかりませんでした。電源が切れているかスリープ中の PC は応答せず、"
                                      "ルーターの向こうの機器はこのネットワークにいないため、見つかりません。"
                                      "MAC アドレスを入力するか、PC の電源が入っているときに探してください。") +
                           covered);
}

void Finder::refreshMarks()
{
    const QList<PcRowNow> rows = m_rows();
    if (row_cmb->count() != PcCount)
        for (int k = row_cmb->count(); k < PcCount; ++k)
            row_cmb->addItem(QString());
    for (int k = 0; k < PcCount; ++k) {
        row_cmb->setItemText(k, rowTitle(k, k < rows.size() ? rows[k] : PcRowNow{}));
    }
    for (int r = 0; r < m_machines->rowCount(); ++r)
        markRow(r, rows);
}

void Finder::markRow(int r, const QList<PcRowNow> &rows)
{
    const FoundMachines::Row &machine = m_machines->row(r);
    QStringList marks, tips;
    QList<int> mine;
    for (int k = 0; k < rows.size() && k < PcCount; ++k) {
        if (!rows[k].mac || *rows[k].mac != machine.mac)
            continue;
        mine << k;
        const QString host = rows[k].host.trimmed();
        if (host.isEmpty() || hostIsMachine(host, machine)) {
            marks << QStringLiteral("PC%1").arg(k + FirstPc);
        } else {
            // The PC's MAC answers at another address than its host box holds: its address moved.
            marks << Orvane::tr("PC%1（新しいアドレス）").arg(k + FirstPc);
            tips << Orvane::tr("PC%1 のホスト欄は「%2」ですが、この MAC アドレスは %3 で応答しています。"
                               "選んで「入れる」を押すとホスト欄を更新します。")
                        .arg(k + FirstPc)
                        .arg(host, machine.addresses.value(0));
        }
    }
    m_machines->setMarks(r, marks.join(Orvane::tr("、")), tips.join(QLatin1Char('\n')), mine);
}

bool Finder::hostIsMachine(const QString &hostBox, const FoundMachines::Row &machine)
{
    const QStringList &addresses = machine.addresses;
    if (hostNames(hostBox, addresses, machine.name))
        return true;
    const QString host = bare(hostBox);
    if (isNumeric(host))
        return false; // another address
    // A name that the reverse lookup doesn't give back (a hosts file's, an mDNS name) is still this
    // machine's when it resolves to one of its addresses. Until that is known, nothing is claimed.
    if (const auto known = m_resolved.constFind(host); known != m_resolved.cend())
        return *known == Resolving || addresses.contains(*known);
    m_resolved.insert(host, Resolving);
    m_lookups.append(BackgroundJob::start(this, [this, host](BackgroundJob &job) {
        const HostLookup lookup = lookupHost(host.toStdString(), HostLookupTimeoutMs);
        const QString address = lookup ? QString::fromStdString(lookup->text) : QString();
        job.post([this, host, address] {
            m_resolved.insert(host, address);
            refreshMarks();
        });
    }));
    return true;
}

void Finder::chosen()
{
    const int r = currentRow();
    fill_bt->setEnabled(r >= 0 && row_cmb->currentIndex() >= 0);
    if (r < 0)
        return;
    // A machine that is already a PC goes back into its own row, a new one into a free row: never over
    // another PC unless the user picks that row.
    const QList<int> mine = m_machines->row(r).mine;
    if (!mine.isEmpty()) {
        row_cmb->setCurrentIndex(mine.first());
        fill_bt->setEnabled(true);
    } else {
        chooseFreeRow();
    }
}

void Finder::fill_bt_Click()
{
    const int r = currentRow();
    const int k = row_cmb->currentIndex();
    if (r < 0 || k < 0)
        return;
    const FoundMachines::Row &machine = m_machines->row(r);
    const QString name = bare(machine.name);
    const QString address = machine.addresses.value(0);
    // The host box keeps 20 characters when saved: a longer name or address would be cut into another.
    QString host;
    if (!name.isEmpty() && name.size() <= FieldChars)
        host = name;
    else if (address.size() <= FieldChars)
        host = address;
    const MacAddress mac = machine.mac;
    emit fillRequested(k, host, mac, firstLabel(name));
    // The dialog asks before it replaces another PC; a no leaves the row as it was.
    const QList<PcRowNow> rows = m_rows();
    if (k < rows.size() && rows[k].mac == mac)
        state_lbl->setText(Orvane::tr("PC%1 に入れました。設定の「更新」で保存されます。").arg(k + FirstPc));
}

} // namespace orvane
