// Status rounds for five PCs (three answering on loopback, two absent on a link of bench_status.sh's
// own network) while the clock label ticks: how long a round takes against the probe timeout, and
// how late the clock's ticks come during rounds and between them.

#include "core/settings/SettingsStore.h"
#include "core/status/PcStatus.h"
#include "core/time/Clock.h"
#include "platform/QzCmn14.h"
#include "ui/wake/TimedWake.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

using namespace orvane;

namespace {

constexpr int Rounds = 8;
constexpr int PauseMs = 2500;
// A tick more than this late shows in the seconds the label shows.
constexpr double LatenessLimitMs = 50;

void report(const char *what, std::vector<double> v)
{
    if (v.empty()) {
        std::printf("%s: none\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    const double mean = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    std::printf("%s: %zu, mean %.1f ms, median %.1f ms, max %.1f ms\n", what, v.size(), mean, v[v.size() / 2],
                v.back());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SettingsGrid &table = settingsStore().SettingsTable;
    const char *hosts[] = {"127.0.0.1", "127.0.0.2", "127.0.0.3", "10.200.9.20", "10.200.9.21"};
    for (int pc = FirstPc; pc <= LastPc; ++pc) {
        table.set(pc, NameCell, QStringLiteral("PC%1").arg(pc));
        table.set(pc, HostCell, QString::fromLatin1(hosts[pc - 1]));
    }

    QzCmn14 common;
    TimedWake clockLabel(common);
    clockLabel.setWakeCommand([](qint16) {});
    PcStatus status(settingsStore().SettingsTable);
    bool inRound = false;
    std::vector<double> roundMs, lateInRound, lateBetween;
    QElapsedTimer round;

    QObject::connect(&clockLabel, &TimedWake::timeShown, [&] {
        const double now = orvane::clock().secondsSinceMidnight();
        const double late = (now - std::round(now)) * 1000.0;
        (inRound ? lateInRound : lateBetween).push_back(late);
    });
    auto startRound = [&] {
        inRound = true;
        round.start();
        status.checkAll();
    };
    int answered = 0, absent = 0;
    QObject::connect(&status, &PcStatus::roundFinished, [&] {
        inRound = false;
        roundMs.push_back(static_cast<double>(round.nsecsElapsed()) / 1e6);
        answered = absent = 0;
        for (int pc = FirstPc; pc <= LastPc; ++pc) {
            answered += status.mark(pc).reach == Reach::Answered;
            absent += status.mark(pc).reach == Reach::NoAnswer;
        }
        if (roundMs.size() == Rounds)
            QCoreApplication::quit();
        else
            QTimer::singleShot(PauseMs, startRound);
    });
    clockLabel.start();
    QTimer::singleShot(PauseMs, startRound);
    app.exec();

    std::printf("status round of 5 PCs (%d answered, %d no answer; probe timeout %d ms)\n", answered, absent,
                ProbeTimeoutMs);
    report("rounds", roundMs);
    report("clock ticks during rounds, lateness", lateInRound);
    report("clock ticks between rounds, lateness", lateBetween);
    bool ok = answered == 3 && absent == 2;
    if (!ok)
        std::printf("FAIL: expected 3 answering and 2 absent PCs\n");
    if (*std::max_element(roundMs.begin(), roundMs.end()) > ProbeTimeoutMs * 1.1) {
        std::printf("FAIL: a round took longer than the probe timeout\n");
        ok = false;
    }
    if (!lateInRound.empty() && *std::max_element(lateInRound.begin(), lateInRound.end()) > LatenessLimitMs) {
        std::printf("FAIL: a clock tick came more than %.0f ms late during a round\n", LatenessLimitMs);
        ok = false;
    }
    return ok ? 0 : 1;
}
