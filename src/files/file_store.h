// The file store: the only code that touches the disk. Every file is
// replaced durably (temporary file in the same folder, flushed, renamed over
// the old one, folder flushed), so a failure never loses the previous file.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sb::files {

// A failed file operation; the message names the file and the cause.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Joins a folder and a file name with the platform separator.
std::string joinPath(const std::string& folder, const std::string& name);

bool exists(const std::string& path);
std::string readAll(const std::string& path);
// Deletes a file; a missing file is not an error. Returns whether one was deleted.
bool removeIfExists(const std::string& path);
void createFolder(const std::string& path);

// Replaces (or creates) a file with exactly these bytes.
void replaceFile(const std::string& path, std::string_view content);

// A group of files replaced together: each is written to a temporary file
// first; commit() renames them into place in the order they were staged.
// Temporary files not committed are removed when the group is destroyed.
class ReplaceGroup {
public:
    ReplaceGroup() = default;
    ReplaceGroup(const ReplaceGroup&) = delete;
    ReplaceGroup& operator=(const ReplaceGroup&) = delete;
    ~ReplaceGroup();

    void stage(const std::string& path, std::string_view content);
    void commit();

private:
    struct Staged {
        std::string target;
        std::string temporary;
    };
    std::vector<Staged> staged_;
};

}  // namespace sb::files
