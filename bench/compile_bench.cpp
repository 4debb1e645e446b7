// Compile and write benchmarks: the longest route's line file, a dense train
// file, the built-in scenario, and the longest route with the dense train
// written to disk. Each reports the largest heap held during one iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "bench_inputs.h"
#include "compiler/compile.h"
#include "driver/compile_and_write.h"
#include "heap_peak.h"
#include "format/compiled_files.h"
#include "model/file_names.h"
#include "builtin/line_source.h"
#include "builtin/train_source.h"

namespace {

namespace fs = std::filesystem;
using namespace sb;
using namespace sb::compiler;

constexpr double mebibyte = 1024.0 * 1024.0;

const std::string& maxRouteLine() {
    static const std::string text = bench::maxRouteLineText();
    return text;
}
const std::string& headerOnlyLine() {
    static const std::string text = bench::maxRouteHeaderOnlyLineText();
    return text;
}
const std::string& denseTrain() {
    static const std::string text = bench::denseTrainText();
    return text;
}
const std::string& builtInLine() {
    static const std::string text = builtin::builtInLineSourceText();
    return text;
}
const std::string& builtInTrain() {
    static const std::string text = builtin::builtInTrainSourceText();
    return text;
}
const std::string& emptyTrain() {
    static const std::string text = "[generale]\r\n[fine]\r\n";
    return text;
}

// A folder of its own under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder() {
        const fs::path base = fs::temp_directory_path();
        for (int n = 0;; ++n) {
            path_ = base / ("sb-bench-" + std::to_string(n));
            if (fs::create_directory(path_)) break;
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

// What happens to the compiled model after the compile.
enum class Output {
    None,         // compile only
    Serialize,    // the three files as bytes, nothing written
    PlainWrite,   // bytes written with plain streams: no flush, no rename
    DurableWrite  // writeCompiledFiles: temporary files, fsync, rename, folder fsync
};

void writePlain(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void produce(const RouteModel& model, Output output, const std::string& folder) {
    switch (output) {
        case Output::None: break;
        case Output::Serialize: {
            if (model.withProfile) benchmark::DoNotOptimize(sb::format::lineProfileBytes(model.lineProfile));
            benchmark::DoNotOptimize(sb::format::scenarioTableBytes(model.scenario));
            benchmark::DoNotOptimize(sb::format::cellFileBytes(model.cells));
            break;
        }
        case Output::PlainWrite: {
            if (model.withProfile) {
                writePlain(folder + "/" + names::lineProfileFile(model.lineName), sb::format::lineProfileBytes(model.lineProfile));
            }
            writePlain(folder + "/" + names::scenarioTableFile(model.lineName, model.trainNumber), sb::format::scenarioTableBytes(model.scenario));
            writePlain(folder + "/" + names::cellFile(model.lineName, model.trainNumber), sb::format::cellFileBytes(model.cells));
            break;
        }
        case Output::DurableWrite: driver::writeCompiledFiles(model, folder); break;
    }
}

// One compile per iteration on a fresh model, as a run does. The sources are
// copied outside the timed part (the compile deletes them).
void runCompile(benchmark::State& state, const std::string& lineText, const std::string& trainText, std::int32_t withProfile,
                Output output, bool requireClean) {
    TempFolder folder;
    std::size_t peak = 0;
    std::int32_t errorCode = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RouteModel model = bench::namedModel();
        MemorySources sources = bench::sourcesFor(model, lineText, trainText);
        bench::resetHeapPeak();
        state.ResumeTiming();

        const CompileOutcome outcome = compileModel(model, withProfile, sources);
        if (!outcome.fatal.empty()) {
            state.SkipWithError(("fatal check " + outcome.fatal).c_str());
            break;
        }
        errorCode = model.errorCode;
        if (requireClean && errorCode != 0) {
            state.SkipWithError(("errorCode " + std::to_string(errorCode) + " at " + std::to_string(model.errorPosition) +
                                 " m: " + model.errorOrigin.detail)
                                    .c_str());
            break;
        }
        produce(model, output, folder.str());

        state.PauseTiming();
        peak = std::max(peak, bench::heapPeakBytes());
        // The model is freed outside the timed part too.
        { RouteModel discard = std::move(model); }
        state.ResumeTiming();
    }
    state.counters["heap_peak_MiB"] = static_cast<double>(peak) / mebibyte;
    state.counters["errorCode"] = errorCode;
}

// (a) Line compile of the longest route, profile built.
void BM_LineCompileMaxRoute(benchmark::State& state) {
    runCompile(state, maxRouteLine(), emptyTrain(), 1, Output::None, true);
}
BENCHMARK(BM_LineCompileMaxRoute)->Unit(benchmark::kMillisecond);

// (b) Train compile: 5000 signals, 500 restrictions, 78 stations over the
// longest route, whose line file has the header only (no profile).
void BM_TrainCompileDense(benchmark::State& state) {
    runCompile(state, headerOnlyLine(), denseTrain(), 0, Output::None, true);
}
BENCHMARK(BM_TrainCompileDense)->Unit(benchmark::kMillisecond);

// The same line file with an empty train file: the part of (b) that is not
// the train pass.
void BM_HeaderOnlyCompile(benchmark::State& state) {
    runCompile(state, headerOnlyLine(), emptyTrain(), 0, Output::None, true);
}
BENCHMARK(BM_HeaderOnlyCompile)->Unit(benchmark::kMillisecond);

// (c) The built-in scenario, from compile only to the durable write.
void BM_BuiltIn(benchmark::State& state, Output output) {
    runCompile(state, builtInLine(), builtInTrain(), 1, output, false);
}
BENCHMARK_CAPTURE(BM_BuiltIn, compile, Output::None)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuiltIn, serialize, Output::Serialize)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuiltIn, plain_write, Output::PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuiltIn, durable_write, Output::DurableWrite)->Unit(benchmark::kMillisecond);

// (d) The longest route with the dense train file, profile built and written.
void BM_MaxRoute(benchmark::State& state, Output output) {
    runCompile(state, maxRouteLine(), denseTrain(), 1, output, true);
}
BENCHMARK_CAPTURE(BM_MaxRoute, compile, Output::None)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MaxRoute, serialize, Output::Serialize)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MaxRoute, plain_write, Output::PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MaxRoute, durable_write, Output::DurableWrite)->Unit(benchmark::kMillisecond);

}  // namespace
