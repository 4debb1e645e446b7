// The system calls under the file store, each failure turned into a
// FileError that names the file and the cause. Private to this room.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sb::files::io {

std::string describe(std::string_view what, const std::string& path, int err);

// A new file "." + targetName + "." + marker + "-XXXXXX" in folder, created
// exclusively with mode 0666 as masked by the umask. Returns its descriptor
// and sets name to the name within the folder.
int createBeside(const std::string& folder, const std::string& targetName, std::string_view marker, std::string& name);

// Six letters or digits, drawn at random: the token of temporary names.
std::string randomToken();

// Creates folder/name exclusively (0666 less the umask) with what produce
// hands to its write function, flushed when durable is set.
void writeNew(const std::string& folder, const std::string& name, const std::function<void(const std::function<void(std::string_view)>&)>& produce,
              bool durable);
// The same for a file that is to be flushed later, with others: its pages
// are sent to the disk as it is written, but it is neither flushed nor
// closed. Returns its descriptor, for closeFilled(). On failure the file
// goes again.
int writeNewUnflushed(const std::string& folder, const std::string& name,
                      const std::function<void(const std::function<void(std::string_view)>&)>& produce);
// Closes a file written as above, flushed first when durable; on failure
// it goes again.
void closeFilled(int fd, const std::string& path, bool durable);

// A second name for folder/targetName: a hard link "." + targetName + "." +
// marker + "-XXXXXX". Returns the new name within the folder.
std::string linkBeside(const std::string& folder, const std::string& targetName, std::string_view marker);

void writeFully(int fd, std::string_view content, const std::string& path);
void flush(int fd, const std::string& path);
void closeChecked(int fd, const std::string& path);
void flushFolder(const std::string& folder);
void renameChecked(const std::string& from, const std::string& to, const std::string& named);
// Unlinks; a missing file is fine. Throws on any other failure.
void unlinkIfThere(const std::string& path);
// Whether anything (of any type) is there; throws when the system cannot tell.
bool present(const std::string& path);
// Whether a file that is not a folder is there (a second name can be made for it).
bool presentFile(const std::string& path);

// Writes a new temporary file beside folder/targetName with what produce
// hands to its write function, flushed when durable is set; returns the
// temporary file's name within the folder.
using Write = std::function<void(std::string_view)>;
std::string writeTemporary(const std::string& folder, const std::string& targetName,
                           const std::function<void(const Write&)>& produce, bool durable);
std::string writeTemporary(const std::string& folder, const std::string& targetName, std::string_view content,
                           bool durable);

}  // namespace sb::files::io
