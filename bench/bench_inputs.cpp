#include "bench_inputs.h"

#include <cstdint>

#include "model/file_names.h"

namespace sb::bench {

namespace {

constexpr std::int64_t routeLength = maxRouteLength;

void row(std::string& out, const std::string& text) {
    out += text;
    out += "\r\n";
}

std::string header() {
    std::string out;
    row(out, "[generale]");
    row(out, "lunghezza percorso,    " + std::to_string(routeLength));
    row(out, "progressiva chilometrica uno,    0,    0,    0");
    row(out, "progressiva chilometrica due,    0,    0,    0");
    row(out, "progressiva chilometrica tre,    0,    0,    0");
    row(out, "sfondo uno,    1");
    row(out, "sfondo due,    5000");
    row(out, "sfondo tre,    15000");
    row(out, "ripetizione segnali 9 codici,    1000,    42000");
    return out;
}

}  // namespace

std::string maxRouteLineText() {
    std::string out = header();
    row(out, "[curve]");
    // The plan profile may not pass metre 1000000, so the last curve ends before it.
    for (std::int64_t start = 500; start + 250 < routeLength; start += 500) {
        const char* keyword = (start / 500) % 2 == 0 ? "curvad" : "curvas";
        row(out, std::string(keyword) + std::to_string(1 + (start / 500) % 6) + ",  " + std::to_string(start) + ",  250");
    }
    row(out, "[pendenze]");
    for (std::int64_t p = 0; p <= routeLength; p += 100) {
        row(out, "pendenza,  " + std::to_string(p) + ",   " + std::to_string((p / 100) % 41 - 20));
    }
    row(out, "[fine]");
    return out;
}

std::string maxRouteHeaderOnlyLineText() {
    std::string out = header();
    row(out, "[fine]");
    return out;
}

// Each restriction owns a block of 40 cells (2000 m), block b starting at
// cell base = 40 * (b + 1). Inside a block, relative to base:
//   4..7   approach markers, 8 warning point, 32 start, 34 end,
//   23     a station's stop cell (every sixth block, 78 stations),
//   0 2 10 15 17 22 28 30 36 38   signals (ten per block).
// The finishing pass then finds free cells for its code points: 25..27,
// 19..21 and 12..14 before the start, 35 before the first signal after the
// end, and the cell in front of every signal behind the warning point.
std::string denseTrainText() {
    constexpr int blocks = 500;
    constexpr int stationEvery = 6;
    constexpr int stations = 78;
    constexpr int signalCells[] = {0, 2, 10, 15, 17, 22, 28, 30, 36, 38};

    std::string out;
    row(out, "[generale]");
    row(out, "numero vetture,    3");
    row(out, "percentuale massa frenata,    80");
    row(out, "sabbia,    0");
    row(out, "orologio,    13              14            30 ");
    row(out, "[aderenze]");
    row(out, "aderenza,   0,    100");
    row(out, "[vel_limite]");
    row(out, "velocita,       0,    120");
    row(out, "[stazioni]");
    for (int k = 0; k < stations; ++k) {
        const std::int64_t base = 40 * (stationEvery * k + 1 + 1);
        // Kind 12, 400 m: the area ends 200 m past the position, the stop cell is base + 23.
        const std::int64_t position = 50 * base + 1000;
        row(out, "stazione,  " + std::to_string(position) + ", 12,  400,  0, 0, 0,  1,1,0,  2,1,1,   30,  13," +
                     std::to_string(10 + k % 50) + ", 0, station " + std::to_string(k + 1));
    }
    row(out, "[rallentamenti]");
    for (int b = 0; b < blocks; ++b) {
        const std::int64_t base = 40 * (b + 1);
        // Start at 1550 m into the block: warning 1200 m earlier, end 100 m later.
        const std::int64_t x = 50 * base + 1550;
        row(out, "rallentamento,  " + std::to_string(x) + ",    " + (b % 2 == 0 ? "30" : "120") + ",  100, 0,  1,  0");
    }
    row(out, "[segnali]");
    for (int b = 0; b < blocks; ++b) {
        const std::int64_t base = 40 * (b + 1);
        for (const int cell : signalCells) {
            // A signal at p lies in cell p / 50 + 1.
            const std::int64_t p = 50 * (base + cell - 1);
            row(out, "segnale,  " + std::to_string(p) + ",   1, 3, 1,  0, 0,    1,  2,1,0, 0");
        }
    }
    row(out, "[codici]");
    row(out, "[fine]");
    return out;
}

RouteModel namedModel() {
    RouteModel model;
    model.lineName = names::builtInLineName;
    model.trainNumber = names::builtInTrainNumber;
    return model;
}

compiler::MemorySources sourcesFor(const RouteModel& model, const std::string& lineText, const std::string& trainText) {
    compiler::MemorySources sources;
    sources.files[names::lineSource(model.lineName)] = lineText;
    sources.files[names::trainSource(model.lineName, model.trainNumber)] = trainText;
    return sources;
}

}  // namespace sb::bench
