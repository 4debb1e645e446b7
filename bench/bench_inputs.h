// Generated source texts for the benchmarks: the longest route with a dense
// line file, and a dense train file that compiles without an error code.
#pragma once

#include <string>

#include "compiler/common/source_files.h"
#include "model/route_model.h"

namespace sb::bench {

// Line file of the longest route (1000000 m): a curve every 500 m and a
// gradient row every 100 m.
std::string maxRouteLineText();

// Line file of the longest route with the header only.
std::string maxRouteHeaderOnlyLineText();

// Train file for the longest route: 5000 signals, 500 speed restrictions
// (with approach markers) and 78 stations, laid out so that no two features
// and no code point of the finishing pass compete for a cell.
std::string denseTrainText();

// A model named like the built-in scenario, and the sources under its names.
RouteModel namedModel();
compiler::MemorySources sourcesFor(const RouteModel& model, const std::string& lineText, const std::string& trainText);

}  // namespace sb::bench
