// The wake command for ten datagrams to 127.0.0.1: checks, packet, socket, sends and close.
// Fails when the median is 200 µs or more.

#include "core/net/WakeSender.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr double TargetMicroseconds = 200;

int boundSocket(in_addr_t address, uint16_t port, uint16_t *chosen = nullptr)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    if (chosen)
        *chosen = ntohs(a.sin_port);
    return fd;
}

void BM_WakeTenDatagrams(benchmark::State &state)
{
    // A receiver on a free port whose port + 1 is free as well.
    int receiver = -1;
    uint16_t port = 0;
    for (int attempt = 0; attempt < 50 && receiver < 0; ++attempt) {
        receiver = boundSocket(INADDR_LOOPBACK, 0, &port);
        const int probe = receiver >= 0 && port < 65534 ? boundSocket(INADDR_ANY, port + 1) : -1;
        if (probe < 0 && receiver >= 0) {
            ::close(receiver);
            receiver = -1;
        }
        if (probe >= 0)
            ::close(probe);
    }
    if (receiver < 0) {
        state.SkipWithError("no free pair of loopback ports");
        return;
    }
    orvane::WakeSettings s;
    s.pc = 1;
    s.name = "Bench";
    s.host = "127.0.0.1";
    s.mac = {"00", "11", "22", "33", "44", "55"};
    s.port = std::to_string(port);
    s.count = "10";
    for (auto _ : state) {
        const orvane::WakeResult r = orvane::wake(s);
        if (!r || r->sent != 10) {
            state.SkipWithError(r.error.c_str());
            break;
        }
    }
    // The datagrams really arrived.
    char buf[128];
    const ssize_t n = ::recv(receiver, buf, sizeof buf, MSG_DONTWAIT);
    if (n != 102)
        state.SkipWithError("no datagram of 102 bytes arrived");
    ::close(receiver);
}
BENCHMARK(BM_WakeTenDatagrams)->Unit(benchmark::kMicrosecond);

// Prints as usual and remembers the median.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                failed = true;
            if (run.aggregate_name == "median")
                median = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double median = -1;
    bool failed = false;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.failed || reporter.median < 0) {
        std::printf("wake of 10 datagrams: no result\n");
        return 1;
    }
    std::printf("wake of 10 datagrams to 127.0.0.1: median %.1f µs (target under %.0f µs)\n", reporter.median,
                TargetMicroseconds);
    return reporter.median < TargetMicroseconds ? 0 : 1;
}
