// Compiles line and train rows in memory with the program's compiler and
// reads the result back, so every decoding is checked against the packing
// the recorders really do.
#pragma once

#include <string>

#include "compiler/common/source_files.h"
#include "compiler/compile.h"
#include "model/file_names.h"
#include "route/route_reading.h"

namespace routetest {

// A 44000 m line (cells 0 to 1020) with the given feature rows.
inline std::string lineWith(const std::string& features, const std::string& header = "") {
    return "[generale]\r\nlunghezza percorso,    44000\r\n" + header + "[curve]\r\n" + features + "[fine]\r\n";
}

inline std::string trainWith(const std::string& rows) { return "[generale]\r\n" + rows + "[fine]\r\n"; }

inline sb::RouteModel compiled(const std::string& line, const std::string& train, bool withProfile = false) {
    sb::RouteModel model;
    model.lineName = "L";
    model.trainNumber = "2638";
    sb::compiler::MemorySources sources;
    sources.files[sb::names::lineSource(model.lineName)] = line;
    sources.files[sb::names::trainSource(model.lineName, model.trainNumber)] = train;
    sb::compiler::compileModel(model, withProfile, sources);
    return model;
}

inline sb::route::RouteReading read(const std::string& line, const std::string& train) {
    const sb::RouteModel model = compiled(line, train);
    return sb::route::readRoute(model.cells, model.scenario);
}

}  // namespace routetest
