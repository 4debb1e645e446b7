// A group of files in one folder replaced together.
//
// With Atomicity::AllOrNothing (the compiled set) the folder ends holding
// the complete old set or the complete new set, whatever fails and even
// when the process is killed midway. Every file of one replacement carries
// the same six-letter token T:
//   1. each new file is written to ".<name>.tmp-T";
//   2. each old file gets a second name, a hard link ".<name>.old-T";
//   3. the record is written as ".scenario-replace.record-T"; the staged
//      files and the record are flushed together, the record renamed to
//      ".scenario-replace.forward-T" and the folder flushed: it names each
//      target with the state that finishes the replacement and the state
//      that undoes it (replace_record.h);
//   4. the staged files are renamed over the targets, the folder flushed;
//   5. the record and the backups are removed.
// A failure in step 4 renames the record to ".scenario-replace.undo-T"
// (flushed), puts the backups back and deletes the new files that had no
// old one. A run killed in steps 3 to 5 leaves the record, and
// recoverFolder() at the start of the next run completes it: forward (rename
// what is still staged) or undo, whichever its name asks for and the folder
// still allows. It acts only on a record that validates and names only the
// run's own files, and only on those names; a record the folder no longer
// fits (its targets neither old nor new) is set aside as
// ".scenario-replace.stale-T", never replayed. Before step 3 nothing has
// been renamed.
//
// With Atomicity::EachFile (the documents) each file ends old or new and
// complete on its own; the folder is flushed once for the group, or left to
// a later flush (FolderFlush::Later) such as the next AllOrNothing commit's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/replace_record.h"

namespace sb::files {

enum class Atomicity { EachFile, AllOrNothing };
enum class FolderFlush { Now, Later };

class ReplaceGroup {
public:
    ReplaceGroup(std::string folder, Atomicity atomicity);
    ReplaceGroup(const ReplaceGroup&) = delete;
    ReplaceGroup& operator=(const ReplaceGroup&) = delete;
    // Staged files not committed are removed.
    ~ReplaceGroup();

    // Writes the new content of folder/name to a staged file, its pages sent
    // to the disk as they are written; commit() flushes it.
    void stage(const std::string& name, std::string_view content);
    // The same, the content handed over piece by piece: produce(write) calls
    // write with each piece in order, so a large file never sits in memory.
    using Write = std::function<void(std::string_view)>;
    void stage(const std::string& name, const std::function<void(const Write&)>& produce);

    // Flushes every staged file, then puts them in place; throws FileError,
    // naming the file and the cause, after undoing what it did when it
    // fails. An AllOrNothing group always flushes the folder.
    // Once the set is in place, a failure to remove the record or a backup
    // no longer fails the commit: it is said in notices, when given, and the
    // next run's recovery removes what is left.
    void commit(FolderFlush flush = FolderFlush::Now, std::vector<std::string>* notices = nullptr);

private:
    void flushStaged();
    void discardStaged();

    std::string folder_;
    Atomicity atomicity_;
    std::string token_;
    std::vector<std::string> staged_;  // target names, staged as ".<name>.tmp-<token>"
    std::vector<int> unflushed_;       // their descriptors, open until commit() flushes them
    std::vector<FileState> stagedStates_;  // their sizes and hashes, for the record
};

// The markers of a replacement in a folder: their names start so, then the token.
inline constexpr std::string_view forwardMarker = ".scenario-replace.forward-";
inline constexpr std::string_view undoMarker = ".scenario-replace.undo-";

// Under the folder's lock, before anything else: completes a replacement a
// killed run left (see above), then removes the staged files and backups
// that carry one of ownNames, and nothing else. Returns what it did and what
// it left alone, one line each, for the caller to tell. Any failure of the
// system on the way is a FileError saying that the folder holds an
// interrupted replacement the next run completes.
std::vector<std::string> recoverFolder(const std::string& folder, const std::vector<std::string>& ownNames);

// Said with a failure that leaves a record, or may have (the folder could
// not be looked at): that the next run completes it.
std::string interruptedReplacement(const std::string& folder, bool known);

// Flushes the folder's own entries (names made, renamed or removed) to disk.
void flushFolder(const std::string& folder);

}  // namespace sb::files
