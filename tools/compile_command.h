// The compile subcommand: authors' sources compiled with exactly the
// program's compiler, on copies, so the originals are never touched.
#pragma once

#include <iosfwd>
#include <string>

namespace sb::tool {

struct CompileOptions {
    std::string lineSource;
    std::string trainSource;
    std::string lineName = "VELDRA PALV";
    std::string trainNumber = "2638";
    std::string outputFolder = ".";
    bool withProfile = true;
    bool json = false;
    // Write the compiled files even when the compile records an error code.
    bool writeOnError = false;
};

int runCompile(const CompileOptions& options, std::ostream& out, std::ostream& err);

// Why a name cannot name the scenario's files, or empty when it can.
std::string nameProblem(const std::string& name);

}  // namespace sb::tool
