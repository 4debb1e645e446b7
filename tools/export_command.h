// The export subcommand: the built-in line and train sources, byte for byte
// as the program writes them, as a start for an author's own.
#pragma once

#include <iosfwd>
#include <string>

namespace sb::tool {

int runExport(const std::string& folder, std::ostream& err);

}  // namespace sb::tool
