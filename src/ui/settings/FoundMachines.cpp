#include "ui/settings/FoundMachines.h"

#include "core/services/UiText.h"

#include "core/net/Sweep.h"
#include "core/wake/MacText.h"
#include "ui/Controls.h"

#include <algorithm>

#include <arpa/inet.h>

namespace orvane {

namespace {

// How good an address is for the host box: IPv4 first, then IPv6 other than link-local (which
// needs an interface that the box can't name).
int rank(const QString &address)
{
    if (!address.contains(QLatin1Char(':')))
        return 0;
    return address.startsWith(QLatin1String("fe80"), Qt::CaseInsensitive) ? 2 : 1;
}

// Sorts IPv4 before IPv6, each by its numeric value.
QString sortKey(const QString &address)
{
    unsigned char bytes[16] = {};
    const QByteArray text = address.section(QLatin1Char('%'), 0, 0).toLatin1(); // a link-local one's link aside
    if (::inet_pton(AF_INET, text.constData(), bytes) == 1)
        return QLatin1Char('4') + QString::fromLatin1(QByteArray(reinterpret_cast<char *>(bytes), 4).toHex());
    if (::inet_pton(AF_INET6, text.constData(), bytes) == 1)
        return QLatin1Char('6') + QString::fromLatin1(QByteArray(reinterpret_cast<char *>(bytes), 16).toHex());
    return QLatin1Char('9') + address;
}

} // namespace

QVariant FoundMachines::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &r = m_rows.at(index.row());
    const QString shown = index.column() == AddressCol ? r.addresses.value(0)
                          : index.column() == MacCol   ? QString::fromStdString(macText(r.mac))
                          : index.column() == NameCol  ? r.name
                          : index.column() == MakerCol ? r.maker
                                                       : r.marks;
    switch (role) {
    case Qt::DisplayRole:
        return shown;
    case SortRole:
        return index.column() == AddressCol ? sortKey(shown) : shown;
    case Qt::ToolTipRole:
        // Names, makers and addresses as heard, never as markup.
        return index.column() == AddressCol ? plainTip(r.addresses.join(QLatin1Char('\n')))
               : index.column() == MarkCol  ? plainTip(r.marksTip)
               : index.column() == MacCol   ? QVariant()
                                            : plainTip(shown);
    default:
        return {};
    }
}

QVariant FoundMachines::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const QString titles[] = {Orvane::tr("アドレス"), Orvane::tr("MACアドレス"), Orvane::tr("名前"),
                              Orvane::tr("メーカー"), Orvane::tr("登録")};
    return section >= 0 && section < ColumnCount ? titles[section] : QVariant();
}

int FoundMachines::add(const FoundMachine &machine)
{
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row &r) { return r.mac == machine.mac; });
    int r = int(it - m_rows.begin());
    if (it == m_rows.end()) {
        beginInsertRows({}, r, r);
        m_rows.append({{}, machine.mac, {}, QString::fromStdString(machine.maker), {}, {}, {}});
        endInsertRows();
    }
    // A machine with several addresses is one line, showing the one that serves best as its host.
    Row &row = m_rows[r];
    const QString address = QString::fromStdString(machine.address);
    if (!row.addresses.contains(address)) {
        row.addresses << address;
        std::stable_sort(row.addresses.begin(), row.addresses.end(),
                         [](const QString &a, const QString &b) { return rank(a) < rank(b); });
    }
    if (row.name.isEmpty())
        row.name = QString::fromStdString(machine.name);
    emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
    return r;
}

void FoundMachines::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void FoundMachines::setMarks(int r, const QString &marks, const QString &tip, const QList<int> &mine)
{
    Row &row = m_rows[r];
    if (row.marks == marks && row.marksTip == tip && row.mine == mine)
        return;
    row.marks = marks;
    row.marksTip = tip;
    row.mine = mine;
    emit dataChanged(index(r, MarkCol), index(r, MarkCol));
}

} // namespace orvane
