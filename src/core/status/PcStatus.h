#pragma once

#include "core/net/PcCheck.h"
#include "core/record/RecordFormat.h"
#include "core/settings/SettingsGrid.h"
#include "core/wake/OrvaneSettings.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <array>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace orvane {

// Whether each PC answers: a round over every PC with a host about once a minute and whenever asked
// (after each settings load), and after a wake a watch of that PC every 2 s for up to 3 minutes. The
// checks run on threads of their own and report back to this object's thread, so neither the windows
// nor the clock ever wait for the network.
class PcStatus : public QObject {
    Q_OBJECT
public:
    static constexpr int RoundIntervalMs = 60000;
    static constexpr int WatchIntervalMs = 2000;
    static constexpr int WatchLimitMs = 180000;

    struct Mark {
        Reach reach = Reach::NotChecked;
        QString time;                  // "hh:mm:ss" of the check that found it
        QString otherMac;              // OtherMac: the MAC that answered
        QString seenAt;                // where the PC's MAC answers instead
        bool resetOnly = false;        // no answer but resets from beyond a router
        std::optional<MacAddress> mac; // the PC's, as the check knew it
    };

    // settings and extras: the tables in force, read at each check (they outlive this object).
    PcStatus(const SettingsGrid &settings, const OrvaneTable &extras, QObject *parent = nullptr);
    ~PcStatus() override;

    // A round now; asked for while one runs, another follows it if a host changed meanwhile.
    void checkAll();
    // Starts (or starts again) the watch of PC pc after its wake.
    void watch(int pc);
    Mark mark(int pc) const { return m_marks[static_cast<size_t>(pc)]; }
    bool watching(int pc) const { return m_watches.contains(pc); }

    // "応答あり 12:03:10", "応答なし 12:03:10", "未確認", "別の MAC から応答 00:11:22:33:44:55 12:03:10";
    // after the time where the PC's MAC answers instead: "、00:11:22:33:44:55 は 10.200.8.9 で応答".
    static QString markText(const Mark &mark);

signals:
    void markChanged(int pc);
    void roundFinished();
    // The end of a watch: the PC answered, or the 3 minutes are over. Title and text of a notification.
    void watchEnded(int pc, const QString &title, const QString &text);

private:
    struct Watch {
        PcProbe pc;
        QString name;
        qint64 startMs = 0;
    };
    using Hosts = std::vector<PcProbe>; // PC 1 to 5; an empty host where nothing is to be checked

    // What a check of PC pc asks for now.
    PcProbe probeOf(int pc) const;
    void startRound();
    void watchTick();
    // Runs the check on the pool; done gets the answers on this object's thread.
    void probe(const Hosts &hosts, void (PcStatus::*done)(const Hosts &, const std::vector<PcAnswer> &));
    void roundDone(const Hosts &hosts, const std::vector<PcAnswer> &answers);
    void watchDone(const Hosts &hosts, const std::vector<PcAnswer> &answers);
    void setMark(int pc, const PcAnswer &answer, const PcProbe &probe);
    void endWatch(int pc, const QString &title, const QString &text);

    const SettingsGrid &m_settings;
    const OrvaneTable &m_extras;
    std::array<Mark, LastPc + 1> m_marks{}; // PC FirstPc to LastPc
    QHash<int, Watch> m_watches;
    QTimer *m_roundTimer;
    QTimer *m_watchTimer;
    bool m_roundRunning = false;
    bool m_roundAgain = false;
    bool m_watchRunning = false;
    std::array<PcProbe, LastPc + 1> m_markProbes; // the host and MAC each mark was found for
    Cancel m_cancel;
    QThreadPool m_pool;
};

} // namespace orvane
