#pragma once

// The machines a sweep found, one row per MAC, as the finder lists them: address (the best of those
// seen for the MAC), MAC, name, maker, and which PCs they are. Sorted through a proxy by SortRole.

#include "core/wake/MagicPacket.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

namespace orvane {

struct FoundMachine;

class FoundMachines : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { AddressCol, MacCol, NameCol, MakerCol, MarkCol, ColumnCount };
    static constexpr int SortRole = Qt::UserRole; // addresses by number, IPv4 first; the rest as shown

    struct Row {
        QStringList addresses; // every address seen for the MAC, best first
        MacAddress mac{};
        QString name;
        QString maker;
        QString marks;    // "PC2", "PC2（新しいアドレス）"
        QString marksTip; // why a mark says the address moved
        QList<int> mine;  // the rows (0 ...) whose MAC this is
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Adds the machine, or its address and name to the row of its MAC; that row.
    int add(const FoundMachine &machine);
    void clear();
    const Row &row(int r) const { return m_rows.at(r); }
    void setMarks(int r, const QString &marks, const QString &tip, const QList<int> &mine);

private:
    QList<Row> m_rows;
};

} // namespace orvane
