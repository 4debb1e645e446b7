#include "files/replace_group.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <sstream>

#include "files/file_store.h"
#include "files/posix_io.h"

namespace sb::files {

namespace {

// The journal of an undoing carries another name: turning a replacement
// round is one rename.
constexpr std::string_view undoJournalName = ".scenario-replace.undo";
constexpr std::string_view journalHeader = "scenario-replace 1";
constexpr std::string_view journalEnd = "end";

struct Entry {
    std::string target;
    std::string temporary;
    std::string backup;  // empty: the target had no old file
};

// Names may hold any byte but '/' and NUL; tabs, line ends and backslashes
// are escaped so that a journal line is always three tab-separated fields.
std::string escape(const std::string& name) {
    std::string out;
    for (const char c : name) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

bool unescape(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\': out.push_back('\\'); break;
            case 't': out.push_back('\t'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            default: return false;
        }
    }
    return !out.empty() && out.find('/') == std::string::npos;
}

std::string journalText(const std::vector<Entry>& entries) {
    std::string text(journalHeader);
    text += '\n';
    for (const Entry& e : entries) text += escape(e.target) + '\t' + escape(e.temporary) + '\t' + escape(e.backup) + '\n';
    text += journalEnd;
    text += '\n';
    return text;
}

std::vector<Entry> parseJournal(const std::string& text, const std::string& path) {
    const auto broken = [&] { return FileError("cannot recover the folder: the journal \"" + path + "\" is not one of ours"); };
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != journalHeader) throw broken();
    std::vector<Entry> entries;
    while (std::getline(in, line)) {
        if (line == journalEnd) return entries;
        const std::size_t first = line.find('\t');
        const std::size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos) throw broken();
        Entry e;
        if (!unescape(line.substr(0, first), e.target) || !unescape(line.substr(first + 1, second - first - 1), e.temporary)) {
            throw broken();
        }
        const std::string backup = line.substr(second + 1);
        if (!backup.empty() && !unescape(backup, e.backup)) throw broken();
        entries.push_back(e);
    }
    throw broken();  // no end line
}

// Puts every staged file in place; what is already in place stays.
void rollForward(const std::string& folder, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        const std::string temporary = joinPath(folder, e.temporary);
        if (io::present(temporary)) io::renameChecked(temporary, joinPath(folder, e.target), joinPath(folder, e.target));
    }
}

// Puts every old file back, and removes the new files that had no old one.
void rollBack(const std::string& folder, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        const std::string target = joinPath(folder, e.target);
        if (!e.backup.empty()) {
            const std::string backup = joinPath(folder, e.backup);
            if (io::present(backup)) io::renameChecked(backup, target, target);
        } else if (!io::present(joinPath(folder, e.temporary))) {
            io::unlinkIfThere(target);  // the new file went in where none was
        }
    }
}

void removeLeftovers(const std::string& folder, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        io::unlinkIfThere(joinPath(folder, e.temporary));
        if (!e.backup.empty()) io::unlinkIfThere(joinPath(folder, e.backup));
    }
}

// Writes the journal under a temporary name, flushes it, renames it into
// place and flushes the folder: from then on it is there after any crash.
void writeJournal(const std::string& folder, const std::vector<Entry>& entries) {
    const std::string name(journalName);
    const std::string temporary = joinPath(folder, io::writeTemporary(folder, name, journalText(entries), true));
    try {
        io::renameChecked(temporary, joinPath(folder, name), joinPath(folder, name));
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    io::flushFolder(folder);
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

ReplaceGroup::ReplaceGroup(std::string folder, Atomicity atomicity) : folder_(std::move(folder)), atomicity_(atomicity) {}

ReplaceGroup::~ReplaceGroup() { discardStaged(); }

void ReplaceGroup::discardStaged() {
    for (const Staged& s : staged_) ::unlink(joinPath(folder_, s.temporary).c_str());
    staged_.clear();
}

void ReplaceGroup::stage(const std::string& name, std::string_view content) {
    staged_.push_back(Staged{name, io::writeTemporary(folder_, name, content, true)});
}

void ReplaceGroup::stage(const std::string& name, const std::function<void(const Write&)>& produce) {
    staged_.push_back(Staged{name, io::writeTemporary(folder_, name, produce, true)});
}

void ReplaceGroup::commit() {
    if (atomicity_ == Atomicity::EachFile) {
        // Each file is old or new on its own; one folder flush for all.
        try {
            for (const Staged& s : staged_) {
                const std::string target = joinPath(folder_, s.name);
                io::renameChecked(joinPath(folder_, s.temporary), target, target);
            }
        } catch (...) {
            discardStaged();
            throw;
        }
        staged_.clear();
        io::flushFolder(folder_);
        return;
    }

    // Second names for the old files, before anything moves.
    std::vector<Entry> entries;
    try {
        for (const Staged& s : staged_) {
            Entry e{s.name, s.temporary, {}};
            const std::string target = joinPath(folder_, s.name);
            // A folder in a target's place has no second name; its rename fails below.
            if (io::presentFile(target)) e.backup = io::linkBeside(folder_, s.name, "old");
            entries.push_back(e);
        }
        writeJournal(folder_, entries);
    } catch (...) {
        for (const Entry& e : entries) {
            if (!e.backup.empty()) ::unlink(joinPath(folder_, e.backup).c_str());
        }
        discardStaged();
        throw;
    }

    const std::string journal = joinPath(folder_, std::string(journalName));
    try {
        rollForward(folder_, entries);
        io::flushFolder(folder_);
    } catch (const FileError& failure) {
        // Turn the journal round first, so that a kill while undoing is
        // undone too; if even that fails, the next run finishes forward.
        const std::string undo = joinPath(folder_, std::string(undoJournalName));
        try {
            io::renameChecked(journal, undo, undo);
            io::flushFolder(folder_);
            rollBack(folder_, entries);
            io::flushFolder(folder_);
            removeLeftovers(folder_, entries);
            io::unlinkIfThere(undo);
        } catch (const FileError&) {
            // the journal stays for the next run to finish
        }
        staged_.clear();
        throw failure;
    }
    staged_.clear();
    // Done and flushed; a journal that outlives a crash here is a no-op forward.
    io::unlinkIfThere(journal);
    for (const Entry& e : entries) {
        if (!e.backup.empty()) io::unlinkIfThere(joinPath(folder_, e.backup));
    }
}

std::vector<std::string> recoverFolder(const std::string& folder, const std::vector<std::string>& ownNames) {
    std::vector<std::string> done;
    for (const bool undo : {false, true}) {
        const std::string name(undo ? undoJournalName : journalName);
        const std::string path = joinPath(folder, name);
        if (!io::present(path)) continue;
        const std::vector<Entry> entries = parseJournal(readAll(path), path);
        if (undo) {
            rollBack(folder, entries);
        } else {
            rollForward(folder, entries);
        }
        io::flushFolder(folder);
        removeLeftovers(folder, entries);
        io::unlinkIfThere(path);
        io::flushFolder(folder);
        done.push_back(std::string(undo ? "undid" : "finished") + " the replacement of " + std::to_string(entries.size()) +
                       " file(s) that an interrupted run left in \"" + folder + "\"");
    }

    std::vector<std::string> names = ownNames;
    names.emplace_back(journalName);
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) throw FileError(io::describe("cannot list folder", folder, errno));
    std::vector<std::string> leftovers;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view entryName = entry->d_name;
        for (const std::string& own : names) {
            if (isOwnLeftover(entryName, own)) {
                leftovers.emplace_back(entryName);
                break;
            }
        }
    }
    for (const std::string& leftover : leftovers) io::unlinkIfThere(joinPath(folder, leftover));
    if (!leftovers.empty()) {
        done.push_back("removed " + std::to_string(leftovers.size()) + " temporary file(s) an interrupted run left in \"" +
                       folder + "\"");
    }
    return done;
}

}  // namespace sb::files
