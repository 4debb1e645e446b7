// One writer per folder: an advisory lock on the folder's own descriptor,
// held for the whole of a run's work. It leaves no file behind.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace sb::files {

class FolderLock {
public:
    // Waits up to `patience` for the folder; throws FileError saying another
    // run holds it when the wait runs out, or naming the cause when the
    // folder cannot be opened. After a second of waiting, waiting(holder)
    // is called once, with the holder's process id when the system says it
    // (else 0).
    using Waiting = std::function<void(long holder)>;
    static FolderLock acquire(const std::string& folder, std::chrono::milliseconds patience,
                              const Waiting& waiting = {});

    FolderLock(FolderLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FolderLock& operator=(FolderLock&&) = delete;
    FolderLock(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace sb::files
