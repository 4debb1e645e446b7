#include "files/folder_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "files/file_store.h"
#include "files/posix_io.h"

namespace sb::files {

FolderLock FolderLock::acquire(const std::string& folder, std::chrono::milliseconds patience) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw FileError(io::describe("cannot open folder", folder, errno));
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EINTR) continue;
        if (err != EWOULDBLOCK) {
            ::close(fd);
            throw FileError(io::describe("cannot lock folder", folder, err));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            throw FileError("another run holds the folder \"" + folder + "\"; gave up after waiting " +
                            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(patience).count()) + " s");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return FolderLock(fd);
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the descriptor releases the lock
}

}  // namespace sb::files
