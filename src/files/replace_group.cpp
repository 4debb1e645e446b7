#include "files/replace_group.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <set>

#include "files/file_store.h"
#include "files/posix_io.h"

namespace sb::files {

namespace {

std::string staged(const std::string& name, const std::string& token) { return "." + name + ".tmp-" + token; }
std::string backup(const std::string& name, const std::string& token) { return "." + name + ".old-" + token; }
std::string none(const std::string& name, const std::string& token) { return "." + name + ".none-" + token; }

// What a folder holds of one replacement, read back from the names.
struct Replacement {
    std::set<std::string> staged;   // targets whose new file is not in place yet
    std::set<std::string> backups;  // targets whose old file has a second name
    std::set<std::string> nones;    // targets that had no old file
};

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

// A name recovery may rename into place or back: a regular file, not a
// link, a folder or anything else put there under the program's name.
bool isRegularFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) throw FileError(io::describe("cannot look at", path, errno));
    return S_ISREG(info.st_mode);
}

void requireRegularFile(const std::string& path) {
    if (!isRegularFile(path)) {
        throw FileError("\"" + path + "\" is not a regular file the program made; it is left as it is");
    }
}

// ".<name>.<kind>-<token>" gives name, or nothing.
bool targetOf(const std::string& entry, std::string_view kind, const std::string& token, std::string& name) {
    const std::string tail = std::string(1, '.').append(kind).append(1, '-').append(token);
    if (entry.size() <= tail.size() + 1 || entry[0] != '.' || entry.compare(entry.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    name = entry.substr(1, entry.size() - tail.size() - 1);
    return true;
}

// Only the program's own target names count: a staged, backup or
// placeholder name of anything else is never touched.
Replacement readReplacement(const std::vector<std::string>& entries, const std::string& token,
                            const std::set<std::string>& own) {
    Replacement r;
    std::string name;
    for (const std::string& entry : entries) {
        if (targetOf(entry, "tmp", token, name) && own.count(name)) r.staged.insert(name);
        if (targetOf(entry, "old", token, name) && own.count(name)) r.backups.insert(name);
        if (targetOf(entry, "none", token, name) && own.count(name)) r.nones.insert(name);
    }
    return r;
}

// Puts every staged file in place; what is already in place stays.
void rollForward(const std::string& folder, const Replacement& r, const std::string& token) {
    for (const std::string& name : r.staged) {
        const std::string target = joinPath(folder, name);
        io::renameChecked(joinPath(folder, staged(name, token)), target, target);
    }
}

// Puts every old file back, and removes the new files that had no old one.
// Renaming a backup onto its own target (not yet replaced) does nothing, so
// this can be repeated.
void rollBack(const std::string& folder, const Replacement& r, const std::string& token) {
    for (const std::string& name : r.backups) requireRegularFile(joinPath(folder, backup(name, token)));
    for (const std::string& name : r.backups) {
        const std::string target = joinPath(folder, name);
        io::renameChecked(joinPath(folder, backup(name, token)), target, target);
    }
    for (const std::string& name : r.nones) {
        if (!r.staged.count(name)) io::unlinkIfThere(joinPath(folder, name));  // the new file went in where none was
    }
}

void removeRecord(const std::string& folder, const Replacement& r, const std::string& token) {
    for (const std::string& name : r.staged) io::unlinkIfThere(joinPath(folder, staged(name, token)));
    for (const std::string& name : r.backups) io::unlinkIfThere(joinPath(folder, backup(name, token)));
    for (const std::string& name : r.nones) io::unlinkIfThere(joinPath(folder, none(name, token)));
}

}  // namespace

void flushFolder(const std::string& folder) { io::flushFolder(folder); }

ReplaceGroup::ReplaceGroup(std::string folder, Atomicity atomicity)
    : folder_(std::move(folder)), atomicity_(atomicity), token_(io::randomToken()) {}

ReplaceGroup::~ReplaceGroup() { discardStaged(); }

void ReplaceGroup::discardStaged() {
    for (const int fd : unflushed_) ::close(fd);
    unflushed_.clear();
    for (const std::string& name : staged_) ::unlink(joinPath(folder_, staged(name, token_)).c_str());
    staged_.clear();
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
    unflushed_.push_back(io::writeNewUnflushed(folder_, staged(name, token_), produce));
    staged_.push_back(name);
}

void ReplaceGroup::commit(FolderFlush flush, std::vector<std::string>* notices) {
    // Every staged file is flushed before anything is renamed; flushed one
    // after another once all are written, their pages are already on their
    // way, so the flushes overlap rather than queue.
    flushStaged();

    if (atomicity_ == Atomicity::EachFile) {
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

    // Second names for the old files, and a note for each target that has
    // none, before anything moves; then the marker makes it a record.
    Replacement r;
    r.staged.insert(staged_.begin(), staged_.end());
    const std::string forward = joinPath(folder_, std::string(forwardMarker) + token_);
    const auto nothing = [](const Write&) {};
    try {
        for (const std::string& name : staged_) {
            // A folder in a target's place has no second name; its rename fails below.
            if (io::presentFile(joinPath(folder_, name))) {
                const std::string target = joinPath(folder_, name);
                const std::string second = joinPath(folder_, backup(name, token_));
                if (::link(target.c_str(), second.c_str()) != 0) {
                    throw FileError(io::describe("cannot keep the old copy of", target, errno));
                }
                r.backups.insert(name);
            } else {
                io::writeNew(folder_, none(name, token_), nothing, false);
                r.nones.insert(name);
            }
        }
        io::writeNew(folder_, std::string(forwardMarker) + token_, nothing, false);
        io::flushFolder(folder_);
    } catch (...) {
        ::unlink(forward.c_str());
        for (const std::string& name : r.backups) ::unlink(joinPath(folder_, backup(name, token_)).c_str());
        for (const std::string& name : r.nones) ::unlink(joinPath(folder_, none(name, token_)).c_str());
        discardStaged();
        throw;
    }

    try {
        for (const std::string& name : staged_) {
            const std::string target = joinPath(folder_, name);
            io::renameChecked(joinPath(folder_, staged(name, token_)), target, target);
            r.staged.erase(name);
        }
        io::flushFolder(folder_);
    } catch (const FileError& failure) {
        // Turn the record round first, so that a kill while undoing is
        // undone too; if even that fails, the next run finishes forward.
        const std::string undo = joinPath(folder_, std::string(undoMarker) + token_);
        try {
            io::renameChecked(forward, undo, undo);
            io::flushFolder(folder_);
            rollBack(folder_, r, token_);
            io::flushFolder(folder_);
            Replacement all = r;
            all.staged.insert(staged_.begin(), staged_.end());
            removeRecord(folder_, all, token_);
            io::unlinkIfThere(undo);
        } catch (const FileError&) {
            // the record stays for the next run to finish
        }
        staged_.clear();
        throw failure;
    }
    staged_.clear();
    // Done and flushed; a marker that outlives a crash here is a no-op forward.
    try {
        io::unlinkIfThere(forward);
        for (const std::string& name : r.backups) io::unlinkIfThere(joinPath(folder_, backup(name, token_)));
        for (const std::string& name : r.nones) io::unlinkIfThere(joinPath(folder_, none(name, token_)));
    } catch (const FileError& failure) {
        if (notices != nullptr) {
            notices->push_back(std::string("warning: the new files are in place, but ") + failure.what() +
                               "; the next run removes what is left");
        }
    }
}

namespace {

std::vector<std::string> recoverOwnNames(const std::string& folder, const std::vector<std::string>& ownNames) {
    std::vector<std::string> done;
    const std::set<std::string> ownSet(ownNames.begin(), ownNames.end());
    std::vector<std::string> entries = entriesOf(folder);
    for (const std::string& entry : entries) {
        const bool isForward = entry.rfind(forwardMarker, 0) == 0;
        const bool isUndo = entry.rfind(undoMarker, 0) == 0;
        if (!isForward && !isUndo) continue;
        const std::string token = entry.substr((isForward ? forwardMarker : undoMarker).size());
        Replacement r = isToken(token) ? readReplacement(entries, token, ownSet) : Replacement{};
        // A marker of another program, another scenario or no token at all is left alone.
        if (r.staged.empty() && r.backups.empty() && r.nones.empty()) {
            done.push_back("left \"" + joinPath(folder, entry) + "\" alone: it records nothing of this run's files");
            continue;
        }
        requireRegularFile(joinPath(folder, entry));
        // A staged name that is not a file the program made (a link, say) is
        // never put in place: the replacement is undone instead, and it stays.
        std::set<std::string> foreign;
        for (const std::string& name : r.staged) {
            if (!isRegularFile(joinPath(folder, staged(name, token)))) foreign.insert(name);
        }
        const bool forward = isForward && foreign.empty();
        if (forward) {
            rollForward(folder, r, token);
        } else {
            rollBack(folder, r, token);
        }
        io::flushFolder(folder);
        for (const std::string& name : foreign) r.staged.erase(name);
        removeRecord(folder, r, token);
        io::unlinkIfThere(joinPath(folder, entry));
        io::flushFolder(folder);
        done.push_back(std::string(forward ? "finished" : "undid") + " the replacement of " +
                       std::to_string(r.staged.size() + r.backups.size() + r.nones.size()) +
                       " file(s) that an interrupted run left in \"" + folder + "\"");
        // The names left are reported with the leftovers below.
    }

    if (!done.empty()) entries = entriesOf(folder);
    std::size_t removed = 0;
    for (const std::string& entry : entries) {
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
    try {
        return recoverOwnNames(folder, ownNames);
    } catch (const FileError& failure) {
        throw FileError(std::string(failure.what()) + "; the folder \"" + folder +
                        "\" holds an interrupted replacement that the next run completes");
    }
}

}  // namespace sb::files
