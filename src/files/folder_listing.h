// The names of the files a folder holds.
#pragma once

#include <string>
#include <vector>

namespace sb::files {

// Names (not paths) of the regular files in a folder, sorted; throws
// FileError when the folder cannot be read.
std::vector<std::string> fileNamesIn(const std::string& folder);

}  // namespace sb::files
