// The file store: the only code that touches the disk. Every file that stays
// is replaced durably (a temporary file in the same folder, flushed, renamed
// over the old one, the folder flushed), so a failure never loses the
// previous file; a group of files can be replaced all together or not at
// all, also across a kill (replace_group.h); one writer at a time holds a
// folder (folder_lock.h).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sb::files {

// A failed file operation; the message names the file and the cause.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Joins a folder and a file name with the platform separator.
std::string joinPath(const std::string& folder, const std::string& name);
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Whether a regular file is there. A path that does not exist is false; a
// path the system cannot look at (permissions, I/O error) is a FileError,
// never taken for a missing file.
bool exists(const std::string& path);
std::string readAll(const std::string& path);
// Reads a file that must be a regular file of at most maxBytes: anything
// else (a folder, a FIFO, a device, a file too large) is refused at once
// with a FileError saying why, without waiting on it or reading it.
std::string readRegularFile(const std::string& path, std::uint64_t maxBytes);
// Deletes a file; a missing file is not an error. Returns whether one was deleted.
bool removeIfExists(const std::string& path);
void createFolder(const std::string& path);
// Whether this process may make files in the folder.
bool isWritableFolder(const std::string& path);

// Replaces (or creates) a file with exactly these bytes, durably.
void replaceFile(const std::string& path, std::string_view content);

// Replaces (or creates) a file that the run deletes again before it ends:
// written whole under a temporary name and renamed into place, so a reader
// never sees it half written, but not flushed to the disk.
void replaceTransientFile(const std::string& path, std::string_view content);

// The name of a temporary file for target, as this store makes them:
// "." + target's name + "." + marker + "-" + six letters or digits.
inline constexpr std::string_view temporaryMarker = "tmp";
bool isOwnLeftover(std::string_view entryName, std::string_view targetName);

}  // namespace sb::files
