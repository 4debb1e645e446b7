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
        l.length = 1'000'001;
        l.lineSpeed = {{0, l.length, static_cast<float>(120 / 3.6)}};
        for (std::int64_t km = 0; km * 1000 < l.length; ++km) {
            l.gradient.push_back({km * 1000, (km + 1) * 1000, static_cast<float>(km % 21 - 10)});
        }
        for (std::int64_t at = 20'000; at < l.length; at += 50'000) {
            l.restriction.push_back({at, at + 1000, static_cast<float>(40 / 3.6)});
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
    const LineMetres line = metresOf(longestLine(), 0, longestLine().length - 1);
    for (auto _ : state) {
        double total = 0;
        for (std::size_t x = 0; x < line.lineSpeed.size(); ++x) total += std::sqrt(line.lineSpeed[x] + line.gradient[x]);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_YardstickOnePassLongestRoute)->Unit(benchmark::kMillisecond);

}  // namespace
