// Every keystroke in the concert-pitch field rebuilds the table (and rounds it
// in the decimal modes); the largest case, 11 × 200 cells, has to stay well
// under 2 ms of CPU.
#include <benchmark/benchmark.h>

#include "core/decimal_rounding.h"
#include "core/pitch_table.h"

namespace {

void BM_DecimalTable200(benchmark::State& state) {
    for (auto _ : state) {
        orvik::TextTable t = orvik::ComputePitchTable(500, 200, false);
        orvik::RoundDecimalTable(t);
        benchmark::DoNotOptimize(t.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DecimalTable200);

void BM_PitchTable13(benchmark::State& state) {
    for (auto _ : state) {
        orvik::TextTable t = orvik::ComputePitchTable(440, 13, true);
        benchmark::DoNotOptimize(t.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PitchTable13);

}  // namespace
