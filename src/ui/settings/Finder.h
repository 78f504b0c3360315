#pragma once

#include "core/wake/MagicPacket.h"
#include "ui/settings/FoundMachines.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

namespace orvane {

class BackgroundJob;
struct FoundMachine;
struct SweepProgress;

// One PC row of the settings dialog as it stands, unsaved edits included.
struct PcRowNow {
    QString name;
    QString host;
    std::optional<MacAddress> mac;
    bool macBlank = true; // all six MAC boxes empty
};

// A row as the finder and its question name it: "PC3（nas、nas.lan）", or "PC3" when it is empty.
QString rowTitle(int k, const PcRowNow &row);

// "PC を探す": sweeps this machine's links and lists the machines found, marking those that already
// are one of the PCs; a chosen machine goes into a chosen row of the settings dialog.
class Finder : public QWidget {
    Q_OBJECT
public:
    // rows reads the dialog's rows whenever the marks are drawn.
    Finder(std::function<QList<PcRowNow>()> rows, QWidget *parent);
    ~Finder() override;

    // Starts a sweep, ending one under way.
    void sweep();
    // Draws the marks and the row choice again from the dialog's rows.
    void refreshMarks();

signals:
    // Row k (0 ... 4) is to get this machine: host, MAC and name (see Settings::fillRow).
    void fillRequested(int k, const QString &host, const MacAddress &mac, const QString &name);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void makeList();
    void connectControls();
    void found(const FoundMachine &machine);
    void progressed(const SweepProgress &progress, bool finished);
    void chosen();
    void fill_bt_Click();
    void markRow(int r, const QList<PcRowNow> &rows);
    // The chosen machine's row of the model, or -1.
    int currentRow() const;
    void stop();
    void chooseFreeRow();
    // The machines listed so far, while the sweep runs and after it (with what to do when none).
    void showCount();

    // Whether a row's host names this machine, resolving a host name off the GUI thread when needed.
    bool hostIsMachine(const QString &hostBox, const FoundMachines::Row &machine);

    std::function<QList<PcRowNow>()> m_rows;
    // Host names of the rows as resolved: the numeric address, or empty for a name that doesn't
    // resolve. A name absent here is being resolved.
    QHash<QString, QString> m_resolved;
    QList<std::shared_ptr<BackgroundJob>> m_lookups;
    std::shared_ptr<BackgroundJob> m_sweep;
    bool m_swept = false;
    QString m_covered; // what the last sweep looked at
    int m_generation = 0;

    FoundMachines *m_machines = nullptr;
    QSortFilterProxyModel *m_sorted = nullptr;
    QTreeView *machines_lst = nullptr;
    QProgressBar *sweep_bar = nullptr;
    QLabel *state_lbl = nullptr;
    QComboBox *row_cmb = nullptr;
    QPushButton *fill_bt = nullptr;
    QPushButton *again_bt = nullptr;
    QPushButton *close_bt = nullptr;
};

} // namespace orvane
