#include "files/file_store.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "files/posix_io.h"

namespace sb::files {

namespace io {

std::string describe(std::string_view what, const std::string& path, int err) {
    return std::string(what) + " \"" + path + "\": " + std::strerror(err);
}

std::string randomToken() {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string token;
    for (int i = 0; i < 6; ++i) token.push_back(letters[pick(random)]);
    return token;
}

namespace {

std::string candidateName(const std::string& targetName, std::string_view marker) {
    return "." + targetName + "." + std::string(marker) + "-" + randomToken();
}

}  // namespace

int createBeside(const std::string& folder, const std::string& targetName, std::string_view marker, std::string& name) {
    int lastError = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = candidateName(targetName, marker);
        // 0666 as masked by the umask, as any program creates its files.
        const int fd = ::open(joinPath(folder, candidate).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            name = candidate;
            return fd;
        }
        lastError = errno;
        if (lastError != EEXIST && lastError != EINTR) break;
    }
    throw FileError(describe("cannot create a temporary file for", joinPath(folder, targetName), lastError));
}

std::string linkBeside(const std::string& folder, const std::string& targetName, std::string_view marker) {
    const std::string target = joinPath(folder, targetName);
    int lastError = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = candidateName(targetName, marker);
        if (::link(target.c_str(), joinPath(folder, candidate).c_str()) == 0) return candidate;
        lastError = errno;
        if (lastError != EEXIST && lastError != EINTR) break;
    }
    throw FileError(describe("cannot keep the old copy of", target, lastError));
}

void writeFully(int fd, std::string_view content, const std::string& path) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError(describe("cannot write", path, errno));
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void flush(int fd, const std::string& path) {
    if (::fsync(fd) != 0) throw FileError(describe("cannot flush", path, errno));
}

void closeChecked(int fd, const std::string& path) {
    if (::close(fd) != 0 && errno != EINTR) throw FileError(describe("cannot close", path, errno));
}

void flushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw FileError(describe("cannot open folder", folder, errno));
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    // Some file systems refuse fsync on folders; the rename is then as durable as they allow.
    if (rc != 0 && err != EINVAL && err != ENOTSUP) throw FileError(describe("cannot flush folder", folder, err));
}

void renameChecked(const std::string& from, const std::string& to, const std::string& named) {
    if (::rename(from.c_str(), to.c_str()) != 0) throw FileError(describe("cannot replace", named, errno));
}

void unlinkIfThere(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw FileError(describe("cannot delete", path, errno));
}

bool present(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return true;
    if (errno == ENOENT) return false;
    throw FileError(describe("cannot look at", path, errno));
}

bool presentFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return !S_ISDIR(info.st_mode);
    if (errno == ENOENT) return false;
    throw FileError(describe("cannot look at", path, errno));
}

std::string writeTemporary(const std::string& folder, const std::string& targetName, std::string_view content,
                           bool durable) {
    return writeTemporary(
        folder, targetName, [content](const Write& write) { write(content); }, durable);
}

namespace {

// How much of a durable file is written before its pages are sent on.
constexpr std::uint64_t writebackStretch = 1 << 20;

// A durable file's pages are sent to the disk as it fills, and the rest
// once it is full, so its flush waits for little. A hint: its own failure
// is of no consequence, the flush reports what went wrong.
struct Writeback {
    int fd;
    bool on;
    std::uint64_t unsent = 0;

    void wrote(std::size_t bytes) {
        if (!on) return;
        unsent += bytes;
        if (unsent >= writebackStretch) send();
    }
    void rest() {
        if (on && unsent > 0) send();
    }

private:
    void send() {
        (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        unsent = 0;
    }
};

int createNew(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) throw FileError(describe("cannot create", path, errno));
    return fd;
}

// Fills a file just created, leaving it open; on any failure it goes again.
template <typename Produce>
void fillOrRemove(int fd, const std::string& path, bool durable, Produce&& produce) {
    Writeback writeback{fd, durable};
    try {
        produce(writeback);
        writeback.rest();
    } catch (...) {
        ::close(fd);
        ::unlink(path.c_str());
        throw;
    }
}

void fill(int fd, const std::string& path, const std::function<void(const Write&)>& produce, bool durable) {
    fillOrRemove(fd, path, durable, [&](Writeback& writeback) {
        produce([&](std::string_view chunk) {
            writeFully(fd, chunk, path);
            writeback.wrote(chunk.size());
        });
    });
}

}  // namespace

void closeFilled(int fd, const std::string& path, bool durable) {
    try {
        if (durable) flush(fd, path);
    } catch (...) {
        ::close(fd);
        ::unlink(path.c_str());
        throw;
    }
    if (::close(fd) != 0 && errno != EINTR) {
        const int err = errno;
        ::unlink(path.c_str());
        throw FileError(describe("cannot close", path, err));
    }
}

void writeNew(const std::string& folder, const std::string& name, const std::function<void(const Write&)>& produce,
              bool durable) {
    const std::string path = joinPath(folder, name);
    const int fd = createNew(path);
    fill(fd, path, produce, durable);
    closeFilled(fd, path, durable);
}

int writeNewUnflushed(const std::string& folder, const std::string& name,
                      const std::function<void(const Write&)>& produce) {
    const std::string path = joinPath(folder, name);
    const int fd = createNew(path);
    fill(fd, path, produce, true);
    return fd;
}

std::string writeTemporary(const std::string& folder, const std::string& targetName,
                           const std::function<void(const Write&)>& produce, bool durable) {
    std::string name;
    const int fd = createBeside(folder, targetName, temporaryMarker, name);
    const std::string path = joinPath(folder, name);
    fill(fd, path, produce, durable);
    closeFilled(fd, path, durable);
    return name;
}

}  // namespace io

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool exists(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISREG(info.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) return false;
    throw FileError(io::describe("cannot look at", path, errno));
}

std::string readAll(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(io::describe("cannot open", path, errno));
    // Read straight into a string of the file's size (one more byte shows
    // whether it has grown meanwhile); no copy through a chunk.
    struct stat info {};
    const std::size_t expected = ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    std::string content(expected + 1, '\0');
    std::size_t have = 0;
    while (true) {
        if (have == content.size()) content.resize(content.size() * 2);
        const ssize_t got = ::read(fd, content.data() + have, content.size() - have);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            throw FileError(io::describe("cannot read", path, err));
        }
        if (got == 0) break;
        have += static_cast<std::size_t>(got);
    }
    ::close(fd);
    content.resize(have);
    return content;
}

std::string readRegularFile(const std::string& path, std::uint64_t maxBytes) {
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw FileError(io::describe("cannot open", path, errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int err = errno;
        ::close(fd);
        throw FileError(io::describe("cannot look at", path, err));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw FileError("\"" + path + "\" is not a regular file");
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        throw FileError("\"" + path + "\" holds " + std::to_string(info.st_size) + " bytes, more than a file of its kind can (" +
                        std::to_string(maxBytes) + ")");
    }
    std::string content(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t have = 0;
    while (have < content.size()) {
        const ssize_t got = ::read(fd, content.data() + have, content.size() - have);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            const int err = errno;
            ::close(fd);
            throw FileError(io::describe("cannot read", path, err));
        }
        if (got == 0) break;  // shorter than it said: keep what is there
        have += static_cast<std::size_t>(got);
    }
    ::close(fd);
    content.resize(have);
    return content;
}

bool removeIfExists(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return true;
    if (errno == ENOENT) return false;
    throw FileError(io::describe("cannot delete", path, errno));
}

bool isWritableFolder(const std::string& path) { return ::access(path.c_str(), W_OK | X_OK) == 0; }

void createFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) throw FileError("cannot create folder \"" + path + "\": " + ec.message());
}

namespace {

// Written whole under a temporary name, then renamed over the old file;
// flushed, and the folder after the rename, when it must last.
void replaceWhole(const std::string& path, std::string_view content, bool durable) {
    const std::string folder = folderOf(path);
    const std::string temporary = joinPath(folder, io::writeTemporary(folder, nameOf(path), content, durable));
    try {
        io::renameChecked(temporary, path, path);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (durable) io::flushFolder(folder);
}

}  // namespace

void replaceFile(const std::string& path, std::string_view content) { replaceWhole(path, content, true); }

void replaceTransientFile(const std::string& path, std::string_view content) { replaceWhole(path, content, false); }

bool isOwnLeftover(std::string_view entryName, std::string_view targetName) {
    for (const std::string_view marker : {temporaryMarker, std::string_view("old"), std::string_view("none")}) {
        const std::size_t prefix = 1 + targetName.size() + 1 + marker.size() + 1;
        if (entryName.size() != prefix + 6 || entryName[0] != '.') continue;
        if (entryName.substr(1, targetName.size()) != targetName) continue;
        if (entryName[1 + targetName.size()] != '.') continue;
        if (entryName.substr(2 + targetName.size(), marker.size()) != marker) continue;
        if (entryName[prefix - 1] != '-') continue;
        bool letters = true;
        for (const char c : entryName.substr(prefix)) {
            letters = letters && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
        }
        if (letters) return true;
    }
    return false;
}

}  // namespace sb::files
