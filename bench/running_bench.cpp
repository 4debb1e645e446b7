// The fastest run over the longest route the format allows: 1,000,000 m, a
// station every 10 km, a restriction every 50 km, the gradient changing
// every kilometre. Beside it, as a yardstick, one plain pass over the same
// metres (a square root each): the engine's cost is a ratio to it.
#include <benchmark/benchmark.h>

#include <cmath>

#include "running/running_time.h"

namespace {

using namespace sb::running;

const Line& longestLine() {
    static const Line line = [] {
        Line l;
        const std::size_t metres = 1'000'001;
        l.lineSpeed.assign(metres, static_cast<float>(120 / 3.6));
        l.restriction.assign(metres, 0);
        l.gradient.assign(metres, 0);
        for (std::size_t x = 0; x < metres; ++x) {
            l.gradient[x] = static_cast<float>(static_cast<int>(x / 1000 % 21) - 10);
            if (x % 50'000 >= 20'000 && x % 50'000 < 21'000) l.restriction[x] = static_cast<float>(40 / 3.6);
        }
        return l;
    }();
    return line;
}

void BM_FastestRunLongestRoute(benchmark::State& state) {
    const Line& line = longestLine();
    const Train train{0.5, 0.5, 26.4, 10};
    for (auto _ : state) {
        double total = 0;
        for (std::int64_t from = 0; from < 1'000'000; from += 10'000) total += fastestRun(line, train, from, from + 10'000).seconds;
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_FastestRunLongestRoute)->Unit(benchmark::kMillisecond);

void BM_YardstickOnePassLongestRoute(benchmark::State& state) {
    const Line& line = longestLine();
    for (auto _ : state) {
        double total = 0;
        for (std::size_t x = 0; x < line.lineSpeed.size(); ++x) total += std::sqrt(line.lineSpeed[x] + line.gradient[x]);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_YardstickOnePassLongestRoute)->Unit(benchmark::kMillisecond);

}  // namespace
