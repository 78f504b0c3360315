#include "core/status/PcStatus.h"

#include "core/settings/WakeTable.h"
#include "core/time/Clock.h"
#include "core/time/TimeText.h"

#include <QTimer>

#include <cmath>
#include <utility>

namespace orvane {

PcStatus::PcStatus(const SettingsGrid &settings, const OrvaneTable &extras, QObject *parent)
    : QObject(parent), m_settings(settings), m_extras(extras), m_roundTimer(new QTimer(this)),
      m_watchTimer(new QTimer(this))
{
    // Idle threads go soon; a round a minute starts one afresh.
    m_pool.setMaxThreadCount(2);
    m_pool.setExpiryTimeout(5000);
    m_roundTimer->setInterval(RoundIntervalMs);
    m_roundTimer->setTimerType(Qt::VeryCoarseTimer);
    connect(m_roundTimer, &QTimer::timeout, this, &PcStatus::startRound);
    m_roundTimer->start();
    m_watchTimer->setInterval(WatchIntervalMs);
    connect(m_watchTimer, &QTimer::timeout, this, &PcStatus::watchTick);
}

PcProbe PcStatus::probeOf(int pc) const
{
    const WakeSettings s = wakeSettingsOf(m_settings, m_extras, pc);
    return {s.host, settingsMac(s.mac), s.via};
}

PcStatus::~PcStatus()
{
    m_cancel.cancel();
    m_pool.waitForDone();
}

QString PcStatus::markText(const Mark &mark)
{
    const PcAnswer answer{mark.reach, mark.otherMac.toStdString(), mark.seenAt.toStdString(), mark.resetOnly};
    return QString::fromStdString(answerText(answer, mark.time.toStdString(), mark.mac));
}

void PcStatus::checkAll()
{
    // A mark found for another host or MAC says nothing about this one.
    for (int pc = FirstPc; pc <= LastPc; ++pc)
        if (probeOf(pc) != m_markProbes[static_cast<size_t>(pc)])
            setMark(pc, PcAnswer{}, probeOf(pc));
    startRound();
}

void PcStatus::startRound()
{
    if (m_roundRunning) {
        m_roundAgain = true;
        return;
    }
    Hosts hosts;
    for (int pc = FirstPc; pc <= LastPc; ++pc)
        hosts.push_back(probeOf(pc));
    m_roundRunning = true;
    probe(hosts, &PcStatus::roundDone);
}

void PcStatus::roundDone(const Hosts &hosts, const std::vector<PcAnswer> &answers)
{
    m_roundRunning = false;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const size_t i = static_cast<size_t>(pc - FirstPc);
        if (probeOf(pc) == hosts[i])
            setMark(pc, answers[i], hosts[i]);
    }
    emit roundFinished();
    // Asked again while this round ran: only a changed host needs another one now.
    bool changed = false;
    for (int pc = FirstPc; pc <= LastPc; ++pc)
        changed = changed || probeOf(pc) != hosts[static_cast<size_t>(pc - FirstPc)];
    if (std::exchange(m_roundAgain, false) && changed)
        startRound();
}

void PcStatus::watch(int pc)
{
    if (pc < FirstPc || pc > LastPc)
        return;
    const WakeSettings s = wakeSettingsOf(m_settings, pc);
    m_watches.insert(pc, {probeOf(pc), QString::fromStdString(pcName(s)), clock().monotonicMs()});
    if (!m_watchTimer->isActive())
        m_watchTimer->start();
}

void PcStatus::watchTick()
{
    const qint64 now = clock().monotonicMs();
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const auto w = m_watches.constFind(pc);
        if (w != m_watches.constEnd() && now - w->startMs >= WatchLimitMs)
            endWatch(pc, QString::fromStdString(noAnswerText(w->name.toStdString(), WatchLimitMs / 1000)),
                     QString::fromUtf8(noAnswerAdvice()));
    }
    if (m_watchRunning || m_watches.isEmpty())
        return;
    Hosts hosts(LastPc);
    for (auto w = m_watches.cbegin(); w != m_watches.cend(); ++w)
        hosts[static_cast<size_t>(w.key() - FirstPc)] = w->pc;
    m_watchRunning = true;
    probe(hosts, &PcStatus::watchDone);
}

void PcStatus::watchDone(const Hosts &hosts, const std::vector<PcAnswer> &answers)
{
    m_watchRunning = false;
    const qint64 now = clock().monotonicMs();
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const size_t i = static_cast<size_t>(pc - FirstPc);
        const auto w = m_watches.constFind(pc);
        if (w == m_watches.constEnd() || w->pc != hosts[i])
            continue;
        if (probeOf(pc) == hosts[i])
            setMark(pc, answers[i], hosts[i]);
        if (answers[i].reach == Reach::Answered) {
            const int seconds = static_cast<int>(std::lround((now - w->startMs) / 1000.0));
            endWatch(pc, QString::fromStdString(answeredText(w->name.toStdString(), seconds)), QString());
        }
    }
}

void PcStatus::endWatch(int pc, const QString &title, const QString &text)
{
    m_watches.remove(pc);
    if (m_watches.isEmpty())
        m_watchTimer->stop();
    emit watchEnded(pc, title, text);
}

void PcStatus::probe(const Hosts &hosts, void (PcStatus::*done)(const Hosts &, const std::vector<PcAnswer> &))
{
    // A watch checks every 2 s: it takes only fresh word of a PC that answers ARP alone.
    const int linkConfirmMs = done == &PcStatus::watchDone ? 0 : LinkConfirmMs;
    m_pool.start([this, hosts, done, linkConfirmMs] {
        const std::vector<PcAnswer> answers = checkPcs(hosts, ProbeTimeoutMs, &m_cancel, linkConfirmMs);
        if (!m_cancel.cancelled())
            QMetaObject::invokeMethod(
                this, [this, hosts, answers, done] { (this->*done)(hosts, answers); }, Qt::QueuedConnection);
    });
}

void PcStatus::setMark(int pc, const PcAnswer &answer, const PcProbe &probe)
{
    Mark &m = m_marks[static_cast<size_t>(pc)];
    m = Mark{};
    m.reach = probe.host.empty() ? Reach::NotChecked : answer.reach;
    if (m.reach != Reach::NotChecked) {
        m.time = timeText(clock().secondsSinceMidnight());
        m.otherMac = QString::fromStdString(answer.otherMac);
        m.seenAt = QString::fromStdString(answer.seenAt);
        m.resetOnly = answer.resetOnly;
        m.mac = probe.mac;
    }
    m_markProbes[static_cast<size_t>(pc)] = probe;
    emit markChanged(pc);
}

} // namespace orvane
