// The compile subcommand: authors' sources compiled with exactly the
// program's compiler, on copies, so the originals are never touched.
#pragma once

#include <iosfwd>
#include <string>

#include "compiler/common/source_files.h"

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

// Copies an author's source into the compile's in-memory folder. A path that
// does not exist, is not a regular file or cannot be read is an input
// failure of the tool (files::FileError), reported before anything is written.
void copySource(const std::string& path, const std::string& internalName, MemorySources& sources);

// Why a name cannot name the scenario's files, or empty when it can.
std::string nameProblem(const std::string& name);

}  // namespace sb::tool
