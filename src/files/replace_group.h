// A group of files in one folder replaced together.
//
// With Atomicity::AllOrNothing (the compiled set) the folder ends holding
// the complete old set or the complete new set, whatever fails and even
// when the process is killed midway:
//   1. each new file is written to a temporary file and flushed;
//   2. each old file gets a second name (a hard link, ".<name>.old-XXXXXX");
//   3. a journal naming the targets, their temporary files and backups is
//      written, flushed and renamed into place, and the folder flushed: from
//      here on the replacement is recoverable;
//   4. the temporary files are renamed over the targets, the folder flushed;
//   5. the journal and the backups are removed.
// A failure in step 4 turns the journal round ("back"), puts the backups back
// and deletes targets that had no old file. A run killed in steps 3 to 5
// leaves the journal, and recoverFolder() at the start of the next run
// finishes the replacement ("forward": rename what is still staged) or the
// undoing ("back"). Before step 3 nothing has been renamed; after it the
// journal says exactly what to do.
//
// With Atomicity::EachFile (the documents) each file ends old or new and
// complete on its own; the folder is flushed once for the group.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sb::files {

enum class Atomicity { EachFile, AllOrNothing };

class ReplaceGroup {
public:
    ReplaceGroup(std::string folder, Atomicity atomicity);
    ReplaceGroup(const ReplaceGroup&) = delete;
    ReplaceGroup& operator=(const ReplaceGroup&) = delete;
    // Temporary files not committed are removed.
    ~ReplaceGroup();

    // Writes the new content of folder/name to a temporary file and flushes it.
    void stage(const std::string& name, std::string_view content);
    // The same, the content handed over piece by piece: produce(write) calls
    // write with each piece in order, so a large file never sits in memory.
    using Write = std::function<void(std::string_view)>;
    void stage(const std::string& name, const std::function<void(const Write&)>& produce);
    // Puts every staged file in place; throws FileError, naming the file and
    // the cause, after undoing what it did when it fails.
    void commit();

private:
    void discardStaged();

    struct Staged {
        std::string name;
        std::string temporary;  // name within the folder
    };
    std::string folder_;
    Atomicity atomicity_;
    std::vector<Staged> staged_;
};

// The journal's name within a folder.
inline constexpr std::string_view journalName = ".scenario-replace.journal";

// Under the folder's lock, before anything else: finishes or undoes a
// replacement a killed run left (see above), then removes the temporary
// files and backups that carry one of ownNames (and the journal's own), and
// nothing else. Returns what it did, one line each, for the caller to tell.
std::vector<std::string> recoverFolder(const std::string& folder, const std::vector<std::string>& ownNames);

}  // namespace sb::files
