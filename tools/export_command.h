// The export subcommand: the built-in line and train sources, byte for byte
// as the program writes them, as a start for an author's own.
#pragma once

#include <iosfwd>
#include <string>

namespace sb::tool {

// Refuses to replace a file already there unless force is set.
int runExport(const std::string& folder, bool force, std::ostream& err);

}  // namespace sb::tool
