#include "files/file_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace sb::files {

namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
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

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw FileError(describe("cannot open folder", folder, errno));
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    // Some file systems refuse fsync on folders; the rename is then as durable as they allow.
    if (rc != 0 && err != EINVAL && err != ENOTSUP) throw FileError(describe("cannot flush folder", folder, err));
}

// Writes content to a fresh temporary file beside target and flushes it.
std::string writeTemporary(const std::string& target, std::string_view content) {
    std::string temporaryName(".");
    temporaryName.append(nameOf(target)).append(".tmp-XXXXXX");
    std::string pattern = joinPath(folderOf(target), temporaryName);
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) throw FileError(describe("cannot create a temporary file for", target, errno));
    const std::string temporary(buffer.data());
    try {
        if (::fchmod(fd, 0644) != 0) throw FileError(describe("cannot set permissions of", temporary, errno));
        writeFully(fd, content, temporary);
        if (::fsync(fd) != 0) throw FileError(describe("cannot flush", temporary, errno));
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temporary.c_str());
        throw FileError(describe("cannot close", temporary, err));
    }
    return temporary;
}

void renameInto(const std::string& temporary, const std::string& target) {
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temporary.c_str());
        throw FileError(describe("cannot replace", target, err));
    }
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string readAll(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(describe("cannot open", path, errno));
    std::string content;
    char chunk[65536];
    while (true) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            throw FileError(describe("cannot read", path, err));
        }
        if (got == 0) break;
        content.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

bool removeIfExists(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return true;
    if (errno == ENOENT) return false;
    throw FileError(describe("cannot delete", path, errno));
}

void createFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) throw FileError("cannot create folder \"" + path + "\": " + ec.message());
}

void replaceFile(const std::string& path, std::string_view content) {
    const std::string temporary = writeTemporary(path, content);
    renameInto(temporary, path);
    syncFolder(folderOf(path));
}

ReplaceGroup::~ReplaceGroup() {
    for (const Staged& s : staged_) ::unlink(s.temporary.c_str());
}

void ReplaceGroup::stage(const std::string& path, std::string_view content) {
    staged_.push_back(Staged{path, writeTemporary(path, content)});
}

void ReplaceGroup::commit() {
    std::vector<std::string> folders;
    while (!staged_.empty()) {
        const Staged s = staged_.front();
        staged_.erase(staged_.begin());
        renameInto(s.temporary, s.target);
        const std::string folder = folderOf(s.target);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    for (const std::string& folder : folders) syncFolder(folder);
}

}  // namespace sb::files
