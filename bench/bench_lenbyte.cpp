// LenByte runs for every field on every save and load; it must stay cheap.
#include "platform/QzCmn14.h"

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

void measure(benchmark::State &state, const QString &text)
{
    QzCmn14 c;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.LenByte(text));
}

void BM_LenByteAscii20(benchmark::State &state)
{
    measure(state, QStringLiteral("127.255.100.200     "));
}
void BM_LenByteKanji20(benchmark::State &state)
{
    measure(state, QString::fromUtf8("開発用の高速なサーバー機と予備の端末です"));
}
void BM_LenByteMixed20(benchmark::State &state)
{
    measure(state, QString::fromUtf8("PC1 書斎のﾃﾞｽｸﾄｯﾌﾟ   "));
}

} // namespace

BENCHMARK(BM_LenByteAscii20);
BENCHMARK(BM_LenByteKanji20);
BENCHMARK(BM_LenByteMixed20);
BENCHMARK_MAIN();
