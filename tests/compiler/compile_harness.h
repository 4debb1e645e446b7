// Runs the compile over sources held in memory, so each test states its
// line and train files as text and reads the model and the files left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/common/source_files.h"
#include "compiler/compile.h"
#include "compiler/finish/finishing_pass.h"
#include "model/route_model.h"

namespace sbtest {

inline const std::string kLineFile = "L_linea.txt";
inline const std::string kTrainFile = "L_2638-.txt";

// A line source file of 44000 m (cells 0 to 1020); header rows may override
// the length, feature rows follow the section row that ends the header.
inline std::string lineSource(const std::string& header = "", const std::string& features = "") {
    return "[generale]\r\nlunghezza percorso,    44000\r\n" + header + "[curve]\r\n" + features + "[fine]\r\n";
}

inline std::string trainSource(const std::string& rows = "") { return "[generale]\r\n" + rows + "[fine]\r\n"; }

inline std::string station(int p, int kind, int length, int flagC = 0, int flagB = 0) {
    return "stazione, " + std::to_string(p) + ", " + std::to_string(kind) + ", " + std::to_string(length) + ", 1, " +
           std::to_string(flagB) + ", " + std::to_string(flagC) + ", 11, 12, 13, 14, 15, 16, 30, 13, 14, 30, ALFA\r\n";
}

inline std::string signal(int p, int firstGroup = 1, int secondGroup = 1, int timeValue = 0) {
    return "segnale, " + std::to_string(p) + ", " + std::to_string(firstGroup) + ", 3, 1, 0, 0, " + std::to_string(secondGroup) +
           ", 2, 1, 0, " + std::to_string(timeValue) + "\r\n";
}

inline std::string repeat(const std::string& prefix, int count, int first, int step, const std::string& suffix) {
    std::string rows;
    for (int i = 0; i < count; ++i) rows += prefix + std::to_string(first + i * step) + suffix + "\r\n";
    return rows;
}

// Reset and both passes, as the driver runs them; the finishing pass only
// when asked. A missing optional source is a file that does not exist.
struct Compiled {
    Compiled(const std::optional<std::string>& line, const std::optional<std::string>& train, int withProfile = 0,
             bool finish = false) {
        model.lineName = "L";
        model.trainNumber = "2638";
        if (line) sources.files[kLineFile] = *line;
        if (train) sources.files[kTrainFile] = *train;
        if (finish) {
            fatal = sb::compiler::compileModel(model, withProfile, sources).fatal;
            return;
        }
        model.withProfile = withProfile;
        sb::compiler::resetScenarioTable(model);
        sb::compiler::compileSources(model, sources);
    }

    bool lineLeft() const { return sources.files.count(kLineFile) != 0; }
    bool trainLeft() const { return sources.files.count(kTrainFile) != 0; }
    const sb::RouteCell& cell(std::int64_t i) const { return model.cells.at(static_cast<std::size_t>(i)); }
    const sb::ScenarioEntry& entry(int i) const { return model.scenario.at(static_cast<std::size_t>(i)); }
    int countKind(std::uint8_t kind) const {
        int n = 0;
        for (const sb::RouteCell& c : model.cells) n += c.kind == kind ? 1 : 0;
        return n;
    }

    sb::RouteModel model;
    sb::compiler::MemorySources sources;
    std::string fatal;
};

}  // namespace sbtest
