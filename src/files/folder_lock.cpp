#include "files/folder_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "files/file_store.h"
#include "files/posix_io.h"

namespace sb::files {

namespace {

// The process holding the flock on the folder's inode, from /proc/locks; 0 when unknown.
long lockHolder(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return 0;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, type, mode, access, device;
        long pid = 0;
        if (!(fields >> number >> type >> mode >> access >> pid >> device) || type != "FLOCK") continue;
        const std::size_t colon = device.rfind(':');
        if (colon != std::string::npos && device.substr(colon + 1) == std::to_string(info.st_ino)) return pid;
    }
    return 0;
}

}  // namespace

FolderLock FolderLock::acquire(const std::string& folder, std::chrono::milliseconds patience, const Waiting& waiting) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw FileError(io::describe("cannot open folder", folder, errno));
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + patience;
    bool told = false;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EINTR) continue;
        if (err != EWOULDBLOCK) {
            ::close(fd);
            throw FileError(io::describe("cannot lock folder", folder, err));
        }
        if (!told && waiting && std::chrono::steady_clock::now() - start >= std::chrono::seconds(1)) {
            told = true;
            waiting(lockHolder(fd));
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
