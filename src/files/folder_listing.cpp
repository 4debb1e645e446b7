#include "files/folder_listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "files/file_store.h"

namespace sb::files {

std::vector<std::string> fileNamesIn(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) throw FileError("cannot read the folder \"" + folder + "\": " + ec.message());
    std::vector<std::string> names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code statError;
        if (it->is_regular_file(statError)) names.push_back(it->path().filename().string());
    }
    if (ec) throw FileError("cannot read the folder \"" + folder + "\": " + ec.message());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace sb::files
