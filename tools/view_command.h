// The view subcommand: a compiled scenario as a route page (HTML) or as
// charts alone (SVG), from a folder of compiled files or from two source
// files compiled in memory.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace sb::tool {

struct ViewOptions {
    std::vector<std::string> inputs;  // FOLDER, or LINE_SOURCE TRAIN_SOURCE
    std::string pageFile;             // empty: NAME_NUMBER.html, unless only the SVG is asked for
    std::string svgFile;
    std::optional<std::string> lineName;
    std::optional<std::string> trainNumber;
};

// Names each file written on out. Returns the exit status: 0 written, 1 the
// compile recorded an error code, 2 usage or input/output failure, 3 a
// fatal compile stop; no file is written unless the status is 0.
int runView(const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb::tool
