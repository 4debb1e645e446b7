// The check subcommand: the compile run in memory for its diagnostics
// alone; nothing is written.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "tools/command_support.h"

namespace sb::tool {

struct CheckOptions {
    std::string lineSource;
    std::string trainSource;
    std::optional<std::string> lineName;
    std::optional<std::string> trainNumber;
    bool withProfile = true;
    Reporting reporting;
};

// 0 no error (warnings allowed), 1 an error code or, with werror, any
// warning, 3 the fatal check, 2 usage or input failures.
int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb::tool
