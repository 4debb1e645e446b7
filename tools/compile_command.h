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
};

int runCompile(const CompileOptions& options, std::ostream& out, std::ostream& err);

enum class SourceState { Missing, Present };

// Copies an author's source into the compile's in-memory folder. A path that
// does not exist is left out, so the compile reports it as it would report a
// missing file of its own; a path that exists but cannot be read is an
// input failure of the tool (files::FileError).
SourceState copySource(const std::string& path, const std::string& internalName, MemorySources& sources);

// Why a name cannot name the scenario's files, or empty when it can.
std::string nameProblem(const std::string& name);

}  // namespace sb::tool
