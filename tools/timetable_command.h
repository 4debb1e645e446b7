// The timetable subcommand: the scheduled stops beside the fastest run of
// the scenario's train between them.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "running/running_time.h"

namespace sb::tool {

struct TimetableOptions {
    std::vector<std::string> inputs;  // FOLDER, or LINE_SOURCE TRAIN_SOURCE
    std::optional<std::string> lineName;
    std::optional<std::string> trainNumber;
    running::Train train;
    bool json = false;
};

// 0 listed, 1 the compile recorded an error code, 2 usage or input failure, 3 a fatal compile stop.
int runTimetable(const TimetableOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb::tool
