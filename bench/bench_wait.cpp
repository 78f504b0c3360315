// Wait must idle, not spin: a one-second wait may take only a small share of a processor.
#include "platform/QzCmn14.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <ctime>

using namespace orvane;

namespace {

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void BM_WaitOneSecond(benchmark::State &state)
{
    int argc = 1;
    char name[] = "bench_wait";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QzCmn14 c;
    double cpu = 0;
    for (auto _ : state) {
        const double before = threadCpuSeconds();
        c.Wait(1.0F);
        cpu += threadCpuSeconds() - before;
    }
    const double share = cpu / static_cast<double>(state.iterations());
    state.counters["cpu_share"] = share;
    // Target: under 5 % of one processor while waiting.
    if (share > 0.05)
        state.SkipWithError("Wait keeps the processor busy");
}
BENCHMARK(BM_WaitOneSecond)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
