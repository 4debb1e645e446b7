#include "files/replace_group.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "files/file_store.h"
#include "files/posix_io.h"
#include "files/replace_record.h"

namespace sb::files {

namespace {

std::string staged(const std::string& name, const std::string& token) { return "." + name + ".tmp-" + token; }
std::string backup(const std::string& name, const std::string& token) { return "." + name + ".old-" + token; }

constexpr std::string_view staleMarker = ".scenario-replace.stale-";
// A record being written; renamed to the forward marker once whole.
constexpr std::string_view unfinishedRecord = ".scenario-replace.record-";
// A record is a few lines per target; anything larger is not one.
constexpr std::size_t recordCap = 1 << 20;

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

std::vector<std::string> entriesOf(const std::string& folder) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) throw FileError(io::describe("cannot list folder", folder, errno));
    std::vector<std::string> names;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) break;
        names.emplace_back(entry->d_name);
    }
    // The end of the listing and a failure look alike but for errno.
    if (errno != 0) throw FileError(io::describe("cannot list folder", folder, errno));
    return names;
}

// The program's tokens: six letters or digits.
bool isToken(std::string_view token) {
    if (token.size() != 6) return false;
    for (const char c : token) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

// The state under a name now, never following a link: absent, or a regular
// file's size and hash. Anything else there is none of the program's files.
std::optional<FileState> stateAt(const std::string& path, std::optional<std::uint64_t> onlyOfSize = std::nullopt) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return FileState{};
        if (errno == ELOOP) return std::nullopt;
        throw FileError(io::describe("cannot open", path, errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int err = errno;
        ::close(fd);
        throw FileError(io::describe("cannot look at", path, err));
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (!S_ISREG(info.st_mode) || (onlyOfSize && *onlyOfSize != size)) {
        ::close(fd);
        return S_ISREG(info.st_mode) ? std::optional<FileState>(FileState{true, size, 0}) : std::nullopt;
    }
    ContentHash hash;
    std::string buffer(1 << 16, '\0');
    while (true) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw FileError(io::describe("cannot read", path, err));
        }
        if (n == 0) break;
        hash.add(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
    ::close(fd);
    return FileState{true, hash.size(), hash.value()};
}

bool holds(const std::string& path, const FileState& state) {
    const std::optional<FileState> now = stateAt(path, state.present ? std::optional(state.size) : std::nullopt);
    return now && *now == state;
}

enum class Direction { finish, undo, neither };

// Which way the folder still allows. Each target must hold its old or its
// new file, or the record is stale. Finishing needs each target in place or
// its staged file there; undoing needs each old file in place or kept under
// its second name (a target that had none: absent or the new file).
Direction possible(const std::string& folder, const ReplaceRecord& record, bool preferFinish) {
    bool finish = true;
    bool undo = true;
    for (const RecordedTarget& t : record.targets) {
        const std::string target = joinPath(folder, t.name);
        const bool isNew = holds(target, t.finished);
        if (!isNew && !holds(target, t.undone)) return Direction::neither;
        finish = finish && (isNew || holds(joinPath(folder, staged(t.name, record.token)), t.finished));
        undo = undo && (!isNew || !t.undone.present || holds(joinPath(folder, backup(t.name, record.token)), t.undone));
    }
    if (finish && (preferFinish || !undo)) return Direction::finish;
    if (undo) return Direction::undo;
    return Direction::neither;
}

// Completes the replacement one way, then removes its staged files, backups
// and marker; each step can be repeated after a kill.
void complete(const std::string& folder, const ReplaceRecord& record, Direction direction, const std::string& marker) {
    for (const RecordedTarget& t : record.targets) {
        const std::string target = joinPath(folder, t.name);
        if (direction == Direction::finish) {
            if (!holds(target, t.finished)) io::renameChecked(joinPath(folder, staged(t.name, record.token)), target, target);
        } else if (!holds(target, t.undone)) {
            if (t.undone.present) {
                io::renameChecked(joinPath(folder, backup(t.name, record.token)), target, target);
            } else {
                io::unlinkIfThere(target);  // the new file went in where there was none
            }
        }
    }
    io::flushFolder(folder);
    for (const RecordedTarget& t : record.targets) {
        const std::string stagedPath = joinPath(folder, staged(t.name, record.token));
        if (holds(stagedPath, t.finished)) io::unlinkIfThere(stagedPath);
        const std::string backupPath = joinPath(folder, backup(t.name, record.token));
        if (t.undone.present && holds(backupPath, t.undone)) io::unlinkIfThere(backupPath);
    }
    io::unlinkIfThere(marker);
    io::flushFolder(folder);
}

}  // namespace

void flushFolder(const std::string& folder) { io::flushFolder(folder); }

std::string interruptedReplacement(const std::string& folder, bool known) {
    return "the folder \"" + folder + "\" " + (known ? "holds" : "may hold") +
           " an interrupted replacement that the next run completes";
}

ReplaceGroup::ReplaceGroup(std::string folder, Atomicity atomicity)
    : folder_(std::move(folder)), atomicity_(atomicity), token_(io::randomToken()) {}

ReplaceGroup::~ReplaceGroup() { discardStaged(); }

void ReplaceGroup::discardStaged() {
    for (const int fd : unflushed_) ::close(fd);
    unflushed_.clear();
    for (const std::string& name : staged_) ::unlink(joinPath(folder_, staged(name, token_)).c_str());
    staged_.clear();
    stagedStates_.clear();
}

void ReplaceGroup::flushStaged() {
    try {
        for (std::size_t i = 0; i < unflushed_.size(); ++i) {
            const int fd = unflushed_[i];
            unflushed_[i] = -1;
            io::closeFilled(fd, joinPath(folder_, staged(staged_[i], token_)), true);
        }
    } catch (...) {
        std::erase(unflushed_, -1);
        discardStaged();
        throw;
    }
    unflushed_.clear();
}

void ReplaceGroup::stage(const std::string& name, std::string_view content) {
    stage(name, [content](const Write& write) { write(content); });
}

void ReplaceGroup::stage(const std::string& name, const std::function<void(const Write&)>& produce) {
    unflushed_.reserve(unflushed_.size() + 1);
    staged_.reserve(staged_.size() + 1);
    stagedStates_.reserve(staged_.size() + 1);
    ContentHash hash;
    unflushed_.push_back(io::writeNewUnflushed(folder_, staged(name, token_), [&](const Write& write) {
        produce([&](std::string_view piece) {
            hash.add(piece);
            write(piece);
        });
    }));
    staged_.push_back(name);
    stagedStates_.push_back({true, hash.size(), hash.value()});
}

void ReplaceGroup::commit(FolderFlush flush, std::vector<std::string>* notices) {
    // Every staged file is flushed before anything is renamed; flushed one
    // after another once all are written, their pages are already on their
    // way, so the flushes overlap rather than queue.
    if (atomicity_ == Atomicity::EachFile) {
        flushStaged();
        // Each file is old or new on its own; one folder flush for all.
        try {
            for (const std::string& name : staged_) {
                const std::string target = joinPath(folder_, name);
                io::renameChecked(joinPath(folder_, staged(name, token_)), target, target);
            }
        } catch (...) {
            discardStaged();
            throw;
        }
        staged_.clear();
        if (flush == FolderFlush::Now) io::flushFolder(folder_);
        return;
    }

    // Second names for the old files before anything moves; then the
    // record, written whole under a name of its own and flushed with the
    // staged files (one wait for the disk, not two), then renamed, makes
    // the replacement recoverable.
    ReplaceRecord record{token_, {}};
    const std::string forward = joinPath(folder_, std::string(forwardMarker) + token_);
    const std::string unfinished = joinPath(folder_, std::string(unfinishedRecord) + token_);
    int recordFd = -1;
    try {
        for (std::size_t i = 0; i < staged_.size(); ++i) {
            const std::string target = joinPath(folder_, staged_[i]);
            const std::optional<FileState> old = stateAt(target);
            if (!old) throw FileError("\"" + target + "\" is not a regular file; nothing was replaced");
            if (old->present && ::link(target.c_str(), joinPath(folder_, backup(staged_[i], token_)).c_str()) != 0) {
                throw FileError(io::describe("cannot keep the old copy of", target, errno));
            }
            record.targets.push_back({staged_[i], stagedStates_[i], *old});
        }
        const std::string text = encodeRecord(record);
        recordFd = io::writeNewUnflushed(folder_, std::string(unfinishedRecord) + token_,
                                         [&](const Write& write) { write(text); });
        flushStaged();
        io::closeFilled(std::exchange(recordFd, -1), unfinished, true);
        io::renameChecked(unfinished, forward, forward);
        io::flushFolder(folder_);
    } catch (...) {
        if (recordFd >= 0) ::close(recordFd);
        ::unlink(unfinished.c_str());
        ::unlink(forward.c_str());
        for (const RecordedTarget& t : record.targets) {
            if (t.undone.present) ::unlink(joinPath(folder_, backup(t.name, token_)).c_str());
        }
        discardStaged();
        throw;
    }

    try {
        for (const std::string& name : staged_) {
            const std::string target = joinPath(folder_, name);
            io::renameChecked(joinPath(folder_, staged(name, token_)), target, target);
        }
        io::flushFolder(folder_);
    } catch (const FileError& failure) {
        // Turn the record round first, so that a kill while undoing is
        // undone too; if even that fails, the next run completes it.
        const std::string undo = joinPath(folder_, std::string(undoMarker) + token_);
        bool undone = false;
        try {
            io::renameChecked(forward, undo, undo);
            io::flushFolder(folder_);
            complete(folder_, record, Direction::undo, undo);
            undone = true;
        } catch (const FileError&) {
            // the record stays for the next run to complete
        }
        staged_.clear();
        stagedStates_.clear();
        if (undone) throw failure;
        throw FileError(std::string(failure.what()) + "; " + interruptedReplacement(folder_, true));
    }
    staged_.clear();
    stagedStates_.clear();
    // Done and flushed; a record that outlives a crash here finishes with no rename.
    try {
        io::unlinkIfThere(forward);
        for (const RecordedTarget& t : record.targets) {
            if (t.undone.present) io::unlinkIfThere(joinPath(folder_, backup(t.name, token_)));
        }
    } catch (const FileError& failure) {
        if (notices != nullptr) {
            notices->push_back(std::string("warning: the new files are in place, but ") + failure.what() +
                               "; the next run removes what is left");
        }
    }
}

namespace {

// The record a marker holds, or nothing when it is not one this program
// wrote: never followed through a link, never read past the cap.
std::optional<ReplaceRecord> readRecord(const std::string& path, const std::string& token) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ELOOP) return std::nullopt;
        throw FileError(io::describe("cannot open", path, errno));
    }
    struct stat info {};
    std::string bytes;
    int failed = 0;
    if (::fstat(fd, &info) != 0) {
        failed = errno;
    } else if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) <= recordCap) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                failed = n < 0 ? errno : 0;
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
    }
    ::close(fd);
    if (failed != 0) throw FileError(io::describe("cannot read", path, failed));
    return decodeRecord(bytes, token);
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) throw FileError(io::describe("cannot look at", path, errno));
    return S_ISREG(info.st_mode);
}

// What recovery knows of the folder when it fails.
enum class Known { nothing, noRecordPending, recordPending };

std::vector<std::string> recoverOwnNames(const std::string& folder, const std::vector<std::string>& ownNames,
                                         Known& known) {
    std::vector<std::string> done;
    const std::set<std::string> ownSet(ownNames.begin(), ownNames.end());
    std::vector<std::string> entries = entriesOf(folder);
    known = Known::noRecordPending;
    std::set<std::string> keptTokens;  // of records left or set aside: their files stay with them
    for (const std::string& entry : entries) {
        const bool isForward = entry.rfind(forwardMarker, 0) == 0;
        const bool isUndo = entry.rfind(undoMarker, 0) == 0;
        if (entry.rfind(staleMarker, 0) == 0) keptTokens.insert(entry.substr(staleMarker.size()));
        if (!isForward && !isUndo) continue;
        const std::string token = entry.substr((isForward ? forwardMarker : undoMarker).size());
        const std::string marker = joinPath(folder, entry);
        keptTokens.insert(token);
        known = Known::nothing;  // until the marker is read
        const std::optional<ReplaceRecord> record = isToken(token) ? readRecord(marker, token) : std::nullopt;
        known = Known::noRecordPending;
        if (!record) {
            done.push_back("left \"" + marker + "\" alone: it is not a record of a replacement this program made");
            continue;
        }
        const bool ours = std::all_of(record->targets.begin(), record->targets.end(),
                                      [&](const RecordedTarget& t) { return ownSet.count(t.name) != 0; });
        if (!ours) {
            done.push_back("left \"" + marker + "\" alone: it records files this run does not write");
            continue;
        }
        known = Known::recordPending;
        const Direction direction = possible(folder, *record, isForward);
        if (direction == Direction::neither) {
            // The files changed since the record was made: replaying it would mix versions.
            const std::string aside = joinPath(folder, std::string(staleMarker) + token);
            io::renameChecked(marker, aside, marker);
            io::flushFolder(folder);
            known = Known::noRecordPending;
            done.push_back("set aside the stale record \"" + marker + "\" as \"" + aside +
                           "\": its files have changed since it was made, so nothing was renamed");
            continue;
        }
        complete(folder, *record, direction, marker);
        known = Known::noRecordPending;
        keptTokens.erase(token);
        done.push_back(std::string(direction == Direction::finish ? "finished" : "undid") + " the replacement of " +
                       std::to_string(record->targets.size()) + " file(s) that an interrupted run left in \"" +
                       folder + "\"");
    }

    if (!done.empty()) entries = entriesOf(folder);
    std::size_t removed = 0;
    for (const std::string& entry : entries) {
        if (entry.size() > 6 && keptTokens.count(entry.substr(entry.size() - 6))) continue;
        // A record a killed run was still writing: nothing was renamed under it.
        if (entry.rfind(unfinishedRecord, 0) == 0 && isToken(entry.substr(unfinishedRecord.size()))) {
            if (isRegularFile(joinPath(folder, entry))) {
                io::unlinkIfThere(joinPath(folder, entry));
                ++removed;
            }
            continue;
        }
        for (const std::string& own : ownNames) {
            if (!isOwnLeftover(entry, own)) continue;
            // Only files the program made go; anything else under its names stays, and is named.
            if (isRegularFile(joinPath(folder, entry))) {
                io::unlinkIfThere(joinPath(folder, entry));
                ++removed;
            } else {
                done.push_back("left \"" + joinPath(folder, entry) + "\" as it is: it is not a regular file the program made");
            }
            break;
        }
    }
    if (removed > 0) {
        done.push_back("removed " + std::to_string(removed) + " temporary file(s) an interrupted run left in \"" +
                       folder + "\"");
    }
    return done;
}

}  // namespace

std::vector<std::string> recoverFolder(const std::string& folder, const std::vector<std::string>& ownNames) {
    Known known = Known::nothing;
    try {
        return recoverOwnNames(folder, ownNames, known);
    } catch (const FileError& failure) {
        switch (known) {
        case Known::noRecordPending: throw FileError(std::string(failure.what()) + "; nothing was written");
        case Known::recordPending:
            throw FileError(std::string(failure.what()) + "; nothing was written, and " + interruptedReplacement(folder, true));
        case Known::nothing: break;
        }
        throw FileError(std::string(failure.what()) + "; nothing was written, and " + interruptedReplacement(folder, false));
    }
}

}  // namespace sb::files
