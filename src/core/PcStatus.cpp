#include "core/PcStatus.h"

#include "core/Clock.h"
#include "core/SettingsStore.h"
#include "core/TimeText.h"
#include "core/WakeTable.h"

#include <QTimer>

#include <cmath>
#include <utility>

namespace orvane {

namespace {

WakeSettings pcSettings(int pc)
{
    return wakeSettingsOf(settingsStore().SettingsTable, pc);
}

} // namespace

PcStatus::PcStatus(QObject *parent) : QObject(parent), m_roundTimer(new QTimer(this)), m_watchTimer(new QTimer(this))
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

PcStatus::~PcStatus()
{
    m_cancel.cancel();
    m_pool.waitForDone();
}

QString PcStatus::markText(const Mark &mark)
{
    const QString word = QString::fromUtf8(reachWord(mark.reach));
    return mark.reach == Reach::NotChecked ? word : word + QLatin1Char(' ') + mark.time;
}

void PcStatus::checkAll()
{
    // A mark found for another host says nothing about this one.
    for (int pc = FirstPc; pc <= LastPc; ++pc)
        if (pcSettings(pc).host != m_markHosts[static_cast<size_t>(pc)])
            setMark(pc, Reach::NotChecked, pcSettings(pc).host);
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
        hosts.push_back(pcSettings(pc).host);
    m_roundRunning = true;
    probe(hosts, &PcStatus::roundDone);
}

void PcStatus::roundDone(const Hosts &hosts, const std::vector<Reach> &reach)
{
    m_roundRunning = false;
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const size_t i = static_cast<size_t>(pc - FirstPc);
        if (pcSettings(pc).host == hosts[i])
            setMark(pc, reach[i], hosts[i]);
    }
    emit roundFinished();
    // Asked again while this round ran: only a changed host needs another one now.
    bool changed = false;
    for (int pc = FirstPc; pc <= LastPc; ++pc)
        changed = changed || pcSettings(pc).host != hosts[static_cast<size_t>(pc - FirstPc)];
    if (std::exchange(m_roundAgain, false) && changed)
        startRound();
}

void PcStatus::watch(int pc)
{
    if (pc < FirstPc || pc > LastPc)
        return;
    const WakeSettings s = pcSettings(pc);
    const QString name = QString::fromStdString(s.name);
    m_watches.insert(pc, {s.host, name.isEmpty() ? QStringLiteral("PC%1").arg(pc) : name, clock().monotonicMs()});
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
                     QString::fromUtf8(NoAnswerAdvice));
    }
    if (m_watchRunning || m_watches.isEmpty())
        return;
    Hosts hosts(LastPc);
    for (auto w = m_watches.cbegin(); w != m_watches.cend(); ++w)
        hosts[static_cast<size_t>(w.key() - FirstPc)] = w->host;
    m_watchRunning = true;
    probe(hosts, &PcStatus::watchDone);
}

void PcStatus::watchDone(const Hosts &hosts, const std::vector<Reach> &reach)
{
    m_watchRunning = false;
    const qint64 now = clock().monotonicMs();
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        const size_t i = static_cast<size_t>(pc - FirstPc);
        const auto w = m_watches.constFind(pc);
        if (w == m_watches.constEnd() || w->host != hosts[i])
            continue;
        if (pcSettings(pc).host == hosts[i])
            setMark(pc, reach[i], hosts[i]);
        if (reach[i] == Reach::Answered) {
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

void PcStatus::probe(const Hosts &hosts, void (PcStatus::*done)(const Hosts &, const std::vector<Reach> &))
{
    m_pool.start([this, hosts, done] {
        const std::vector<Reach> reach = probeHosts(hosts, ProbeTimeoutMs, &m_cancel);
        if (!m_cancel.cancelled())
            QMetaObject::invokeMethod(
                this, [this, hosts, reach, done] { (this->*done)(hosts, reach); }, Qt::QueuedConnection);
    });
}

void PcStatus::setMark(int pc, Reach reach, const std::string &host)
{
    Mark &m = m_marks[static_cast<size_t>(pc)];
    m.reach = host.empty() ? Reach::NotChecked : reach;
    m.time = m.reach == Reach::NotChecked ? QString() : timeText(clock().secondsSinceMidnight());
    m_markHosts[static_cast<size_t>(pc)] = host;
    emit markChanged(pc);
}

} // namespace orvane
