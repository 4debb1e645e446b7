// The compile subcommand: authors' sources compiled with exactly the
// program's compiler, on copies, so the originals are never touched.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "tools/command_support.h"


namespace sb::tool {

struct CompileOptions {
    std::string lineSource;
    std::string trainSource;
    // When not given: from sources named the usual way, else the built-in names.
    std::optional<std::string> lineName;
    std::optional<std::string> trainNumber;
    std::string outputFolder = ".";
    bool withProfile = true;
    Reporting reporting;
    // Write the compiled files even when the compile records an error code.
    bool writeOnError = false;
};

int runCompile(const CompileOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb::tool
