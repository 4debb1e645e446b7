// The compile and export subcommands: authors' sources compiled with exactly
// the program's compiler, on copies, so the originals are never touched.
#pragma once

#include <iosfwd>
#include <string>

namespace sb::tool {

// Exit statuses of the companion tool.
inline constexpr int exitOk = 0;
inline constexpr int exitSourceError = 1;
inline constexpr int exitUsage = 2;
inline constexpr int exitFatal = 3;

struct CompileOptions {
    std::string lineSource;
    std::string trainSource;
    std::string lineName = "VELDRA PALV";
    std::string trainNumber = "2638";
    std::string outputFolder = ".";
    bool withProfile = true;
    bool json = false;
};

int runCompile(const CompileOptions& options, std::ostream& out, std::ostream& err);

int runExport(const std::string& folder, std::ostream& err);

// Why a name cannot name the scenario's files, or empty when it can.
std::string nameProblem(const std::string& name);

}  // namespace sb::tool
