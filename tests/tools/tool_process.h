// Runs the built executables as an author would: arguments, a working
// folder, and what comes back on stdout, stderr and the exit status.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tooltest {

using sbtest::Finished;
using sbtest::runProcess;

inline Finished runTool(const std::vector<std::string>& args, const std::string& workingFolder) {
    return runProcess(SB_TOOL_PATH, args, workingFolder);
}

// The program's names for the compiled files of the built-in scenario.
inline const std::string lineProfileName = "VELDRA PALV_linea.dat";
inline const std::string scenarioTableName = "VELDRA PALV_2638.sim";
inline const std::string cellFileName = "VELDRA PALV_2638.dat";
inline const std::string lineSourceName = "VELDRA PALV_linea.txt";
inline const std::string trainSourceName = "VELDRA PALV_2638-.txt";

// Replaces the first occurrence of a text that must be there.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::runtime_error("\"" + from + "\" not found");
    return text.replace(at, from.size(), to);
}

}  // namespace tooltest
