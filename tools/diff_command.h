// The diff subcommand: what differs between two compiled scenarios, in the
// author's units.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace sb::tool {

struct DiffOptions {
    std::string before;  // a folder of compiled files, or the scenario table (.sim) of a set
    std::string after;
    std::optional<std::string> lineName;  // which scenario of a folder holding several
    std::optional<std::string> trainNumber;
    bool json = false;
};

// 0 the two are the same, 1 they differ (listed on out), 2 usage or input failure.
int runDiff(const DiffOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb::tool
