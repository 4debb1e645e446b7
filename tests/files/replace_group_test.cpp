// The grouped replacement: all-or-nothing, undone on failure, recoverable
// after a kill at any point, and the clean-up that touches only our own
// leftovers.
#include "files/replace_group.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "files/file_store.h"
#include "files/folder_lock.h"
#include "files/replace_record.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace sb::files;

std::map<std::string, std::string> contents(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::directory_iterator(folder)) {
        out[entry.path().filename().string()] = entry.is_regular_file() ? sbtest::readFile(entry.path().string()) : "<dir>";
    }
    return out;
}

const std::map<std::string, std::string> oldSet{{"a.dat", "old a"}, {"b.sim", "old b"}, {"c.dat", "old c"}};
const std::map<std::string, std::string> newSet{{"a.dat", "new a"}, {"b.sim", "new b"}, {"c.dat", "new c"}};

void writeSet(const std::string& folder, const std::map<std::string, std::string>& set) {
    for (const auto& [name, text] : set) sbtest::writeFile(joinPath(folder, name), text);
}

void stageSet(ReplaceGroup& group, const std::map<std::string, std::string>& set) {
    for (const auto& [name, text] : set) group.stage(name, text);
}

TEST(ReplaceGroup, CommitPutsTheWholeSetInPlaceAndLeavesNothingElse) {
    for (const Atomicity atomicity : {Atomicity::AllOrNothing, Atomicity::EachFile}) {
        sbtest::TempFolder folder;
        writeSet(folder.path(), oldSet);
        ReplaceGroup group(folder.path(), atomicity);
        stageSet(group, newSet);
        group.commit();
        EXPECT_EQ(contents(folder.path()), newSet);
    }
}

TEST(ReplaceGroup, AFailedRenameUndoesTheFilesAlreadyReplaced) {
    sbtest::TempFolder folder;
    writeSet(folder.path(), {{"a.dat", "old a"}, {"c.dat", "old c"}});
    fs::create_directory(folder.file("b.sim"));  // squats on the second target
    ReplaceGroup group(folder.path(), Atomicity::AllOrNothing);
    stageSet(group, newSet);
    try {
        group.commit();
        FAIL() << "commit over a folder succeeded";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("b.sim"), std::string::npos) << e.what();
    }
    // "a.dat" had been replaced before "b.sim" failed: it is old again.
    EXPECT_EQ(contents(folder.path()),
              (std::map<std::string, std::string>{{"a.dat", "old a"}, {"b.sim", "<dir>"}, {"c.dat", "old c"}}));
}

TEST(ReplaceGroup, AFailedRenameRemovesNewFilesThatHadNoOldOne) {
    sbtest::TempFolder folder;
    fs::create_directory(folder.file("c.dat"));
    ReplaceGroup group(folder.path(), Atomicity::AllOrNothing);
    stageSet(group, newSet);
    EXPECT_THROW(group.commit(), FileError);
    EXPECT_EQ(contents(folder.path()), (std::map<std::string, std::string>{{"c.dat", "<dir>"}}));
}

TEST(ReplaceGroup, AFileStagedInPiecesHoldsThemInOrderAndAFailedOneLeavesNothing) {
    sbtest::TempFolder folder;
    writeSet(folder.path(), oldSet);
    ReplaceGroup group(folder.path(), Atomicity::AllOrNothing);
    group.stage("a.dat", [](const ReplaceGroup::Write& write) {
        write("the ");
        write("whole");
    });
    group.stage("b.sim", "new b");
    EXPECT_THROW(group.stage("c.dat", [](const ReplaceGroup::Write& write) {
        write("partial");
        throw FileError("no more");
    }), FileError);
    group.commit();
    EXPECT_EQ(contents(folder.path()),
              (std::map<std::string, std::string>{{"a.dat", "the whole"}, {"b.sim", "new b"}, {"c.dat", "old c"}}));
}

TEST(ReplaceGroup, NewFilesFollowTheUmask) {
    sbtest::TempFolder folder;
    const mode_t before = ::umask(077);
    ReplaceGroup group(folder.path(), Atomicity::AllOrNothing);
    group.stage("a.dat", "x");
    group.commit();
    replaceFile(folder.file("b.txt"), "y");
    ::umask(before);
    for (const char* name : {"a.dat", "b.txt"}) {
        EXPECT_EQ(fs::status(folder.file(name)).permissions(), fs::perms::owner_read | fs::perms::owner_write) << name;
    }
}

FileState stateOf(const std::string& path) {
    if (!fs::exists(fs::symlink_status(path))) return {};
    ContentHash hash;
    hash.add(fs::is_symlink(path) ? "<link>" : sbtest::readFile(path));
    return {true, hash.size(), hash.value()};
}

// The record a run writes before its first rename, made from the folder as
// it is then: each staged file, each old one under its second name.
void plantRecord(const std::string& folder, const std::string& marker, const std::string& token,
                 const std::vector<std::string>& names) {
    ReplaceRecord record{token, {}};
    for (const std::string& name : names) {
        record.targets.push_back({name, stateOf(joinPath(folder, "." + name + ".tmp-" + token)),
                                  stateOf(joinPath(folder, "." + name + ".old-" + token))});
    }
    sbtest::writeFile(joinPath(folder, marker + token), encodeRecord(record));
}

// The folder as a killed run leaves it at each step of a commit, built by
// hand: the recovery must end with the whole old set or the whole new set.
struct KillCase {
    const char* name;
    std::set<std::string> renamed;  // targets already holding the new file
    bool marker;                    // the record made it into the folder
    bool undoing;                   // the record was turned round (a failed rename)
    bool expectNew;
};

TEST(RecoverFolder, EveryInterruptedCommitEndsWholeOldOrWholeNew) {
    const KillCase cases[] = {
        {"killed while staging, before the record", {}, false, false, false},
        {"killed with the record in place, nothing renamed", {}, true, false, true},
        {"killed between renames", {"a.dat"}, true, false, true},
        {"killed after the last rename", {"a.dat", "b.sim", "c.dat"}, true, false, true},
        {"killed while undoing", {"a.dat"}, true, true, false},
        {"killed after undoing everything", {}, true, true, false},
    };
    for (const KillCase& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        writeSet(folder.path(), oldSet);
        std::vector<std::string> names;
        for (const auto& [name, text] : newSet) {
            fs::create_hard_link(folder.file(name), folder.file("." + name + ".old-Ab12Cd"));
            sbtest::writeFile(folder.file("." + name + ".tmp-Ab12Cd"), text);
            names.push_back(name);
        }
        if (c.marker) plantRecord(folder.path(), std::string(c.undoing ? undoMarker : forwardMarker), "Ab12Cd", names);
        for (const std::string& name : c.renamed) fs::rename(folder.file("." + name + ".tmp-Ab12Cd"), folder.file(name));

        recoverFolder(folder.path(), {"a.dat", "b.sim", "c.dat"});
        EXPECT_EQ(contents(folder.path()), c.expectNew ? newSet : oldSet);
    }
}

TEST(RecoverFolder, UndoingRemovesANewFileThatHadNoOldOne) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file(".a.dat.tmp-Ab12Cd"), "new a");
    plantRecord(folder.path(), std::string(undoMarker), "Ab12Cd", {"a.dat"});
    fs::rename(folder.file(".a.dat.tmp-Ab12Cd"), folder.file("a.dat"));  // renamed in; there was no old a.dat
    recoverFolder(folder.path(), {"a.dat"});
    EXPECT_TRUE(contents(folder.path()).empty());
}

// A record the folder no longer fits, or one that is not a record at all, is
// never replayed: the compiled files stay as they are.
TEST(RecoverFolder, ARecordThatDoesNotFitIsNeverReplayed) {
    struct Case {
        const char* name;
        std::string marker;  // its bytes; "<record>" is the genuine record
        bool rewritten;      // a.dat written anew after the record was made
        const char* says;
        bool setAside;
    };
    const Case cases[] = {
        {"stale: a.dat was rewritten since", "<record>", true, "set aside the stale record", true},
        {"empty", "", false, "is not a record", false},
        {"torn", "<torn>", false, "is not a record", false},
        {"altered", "<altered>", false, "is not a record", false},
        {"foreign", "[Desktop Entry]\n", false, "is not a record", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder folder;
        writeSet(folder.path(), {{"a.dat", "old a"}, {"b.sim", "old b"}});
        for (const char* name : {"a.dat", "b.sim"}) {
            fs::create_hard_link(folder.file(name), folder.file("." + std::string(name) + ".old-Ab12Cd"));
            sbtest::writeFile(folder.file("." + std::string(name) + ".tmp-Ab12Cd"), "new");
        }
        plantRecord(folder.path(), std::string(forwardMarker), "Ab12Cd", {"a.dat", "b.sim"});
        const std::string markerPath = folder.file(std::string(forwardMarker) + "Ab12Cd");
        std::string genuine = sbtest::readFile(markerPath);
        if (c.marker == "<torn>") sbtest::writeFile(markerPath, genuine.substr(0, genuine.size() - 5));
        if (c.marker == "<altered>") sbtest::writeFile(markerPath, genuine.replace(genuine.find("b.sim"), 5, "x.sim"));
        if (c.marker != "<record>" && c.marker[0] != '<') sbtest::writeFile(markerPath, c.marker);
        if (c.rewritten) {
            fs::remove(folder.file("a.dat"));
            sbtest::writeFile(folder.file("a.dat"), "a later a");
        }
        const auto done = recoverFolder(folder.path(), {"a.dat", "b.sim"});
        ASSERT_FALSE(done.empty());
        EXPECT_NE(done.front().find(c.says), std::string::npos) << done.front();
        EXPECT_EQ(sbtest::readFile(folder.file("a.dat")), c.rewritten ? "a later a" : "old a");
        EXPECT_EQ(sbtest::readFile(folder.file("b.sim")), "old b");
        EXPECT_EQ(fs::exists(folder.file(std::string(".scenario-replace.stale-Ab12Cd"))), c.setAside);
        EXPECT_TRUE(fs::exists(folder.file(".b.sim.tmp-Ab12Cd")));  // its files stay with it
    }
}

TEST(RecoverFolder, RemovesOnlyLeftoversThatCarryOurNames) {
    sbtest::TempFolder folder;
    const std::set<std::string> ours{".a.dat.tmp-Ab12Cd", ".a.dat.old-Zz99Yy", ".a.dat.none-q1W2e3"};
    const std::set<std::string> theirs{"a.dat", ".a.dat.tmp-Ab12C", ".a.dat.tmp-Ab12Cd.bak", ".x.dat.tmp-Ab12Cd",
                                       ".a.dat.tmp_Ab12Cd", "notes.txt", ".a.dat.new-Ab12Cd"};
    for (const std::string& name : ours) sbtest::writeFile(folder.file(name), "x");
    for (const std::string& name : theirs) sbtest::writeFile(folder.file(name), "x");
    const auto done = recoverFolder(folder.path(), {"a.dat"});
    std::set<std::string> left;
    for (const auto& [name, text] : contents(folder.path())) left.insert(name);
    EXPECT_EQ(left, theirs);
    EXPECT_EQ(done.size(), 1u);
}

// Planted names around a marker: recovery acts only on the program's own
// targets, never puts a link or a folder in place, and leaves a user's files be.
TEST(RecoverFolder, TouchesOnlyItsOwnRegularFiles) {
    struct Planted {
        const char* name;
        std::map<std::string, std::string> files;  // "<link>" plants a symlink to outside.txt, "<dir>" a folder
        std::string record;                        // a genuine record of this name, with token TOKEN
        std::map<std::string, std::string> expected;
    };
    const std::string fwd(forwardMarker);
    const std::string undo(undoMarker);
    const Planted cases[] = {
        {"a user's files under a forward and an undo marker",
         {{"notes.txt", "mine"}, {".notes.txt.tmp-AAAAAA", "ATTACKER"}, {fwd + "AAAAAA", ""},
          {"thesis.tex", "mine"}, {".thesis.tex.old-BBBBBB", "ATTACKER"}, {"user.cfg", "mine"},
          {".user.cfg.none-BBBBBB", ""}, {undo + "BBBBBB", ""}},
         "",
         {{"notes.txt", "mine"}, {".notes.txt.tmp-AAAAAA", "ATTACKER"}, {fwd + "AAAAAA", ""},
          {"thesis.tex", "mine"}, {".thesis.tex.old-BBBBBB", "ATTACKER"}, {"user.cfg", "mine"},
          {".user.cfg.none-BBBBBB", ""}, {undo + "BBBBBB", ""}}},
        {"a genuine record of a user's file", {{"notes.txt", "mine"}, {".notes.txt.tmp-TOKEN0", "ATTACKER"}},
         "notes.txt", {{"notes.txt", "mine"}, {".notes.txt.tmp-TOKEN0", "ATTACKER"}, {fwd + "TOKEN0", "<record>"}}},
        {"an empty token", {{"a.dat", "old a"}, {".a.dat.tmp-", "ATTACKER"}, {fwd, ""}},
         "", {{"a.dat", "old a"}, {".a.dat.tmp-", "ATTACKER"}, {fwd, ""}}},
        {"a marker that is a folder", {{"a.dat", "old a"}, {fwd + "DDDDDD", "<dir>"}},
         "", {{"a.dat", "old a"}, {fwd + "DDDDDD", "<dir>"}}},
        {"a staged name that is a link: the link never goes in place",
         {{"a.dat", "old a"}, {".a.dat.tmp-TOKEN0", "<link>"}},
         "a.dat", {{"a.dat", "old a"}, {".a.dat.tmp-TOKEN0", "<link>"}}},
    };
    for (const Planted& c : cases) {
        SCOPED_TRACE(c.name);
        sbtest::TempFolder outside;
        sbtest::writeFile(outside.file("outside.txt"), "outside");
        sbtest::TempFolder folder;
        for (const auto& [name, text] : c.files) {
            if (text == "<link>") {
                fs::create_symlink(outside.file("outside.txt"), folder.file(name));
            } else if (text == "<dir>") {
                fs::create_directory(folder.file(name));
            } else {
                sbtest::writeFile(folder.file(name), text);
            }
        }
        if (!c.record.empty()) {
            const std::string target = folder.file(c.record);
            ReplaceRecord record{"TOKEN0", {{c.record, stateOf(folder.file("." + c.record + ".tmp-TOKEN0")), stateOf(target)}}};
            sbtest::writeFile(folder.file(fwd + "TOKEN0"), encodeRecord(record));
        }
        recoverFolder(folder.path(), {"a.dat", "b.sim"});
        std::map<std::string, std::string> left;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            left[name] = entry.is_symlink()     ? "<link>"
                         : entry.is_directory() ? "<dir>"
                         : name.rfind(fwd, 0) == 0 && !sbtest::readFile(entry.path().string()).empty()
                             ? "<record>"
                             : sbtest::readFile(entry.path().string());
        }
        EXPECT_EQ(left, c.expected);
        EXPECT_EQ(sbtest::readFile(outside.file("outside.txt")), "outside");
    }
}

TEST(FolderLock, ASecondHolderWaitsThenGivesUpNamingTheFolder) {
    sbtest::TempFolder folder;
    const FolderLock first = FolderLock::acquire(folder.path(), std::chrono::milliseconds(0));
    std::vector<long> told;  // the wait speaks once, after a second, naming the holder
    try {
        FolderLock::acquire(folder.path(), std::chrono::milliseconds(1300), [&](long holder) { told.push_back(holder); });
        FAIL() << "two holders";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("another run holds the folder \"" + folder.path() + "\""), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(told, std::vector<long>{static_cast<long>(::getpid())});
}

struct RefusedFile {
    const char* name;
    std::string path;
    std::uint64_t max;
    const char* says;
};

TEST(ReadRegularFile, RefusesAtOnceWhatCannotBeACompiledFile) {
    sbtest::TempFolder folder;
    ::mkfifo(folder.file("pipe.sim").c_str(), 0600);
    sbtest::writeFile(folder.file("big.dat"), std::string(101, 'x'));
    const RefusedFile cases[] = {
        {"a FIFO", folder.file("pipe.sim"), 100, "is not a regular file"},
        {"a device", "/dev/zero", 100, "is not a regular file"},
        {"a folder", folder.path(), 100, "is not a regular file"},
        {"a file too large", folder.file("big.dat"), 100, "holds 101 bytes, more than a file of its kind can (100)"},
        {"nothing there", folder.file("none.dat"), 100, "No such file or directory"},
    };
    for (const RefusedFile& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            readRegularFile(c.path, c.max);
            ADD_FAILURE() << "read";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(readRegularFile(folder.file("big.dat"), 101).size(), 101u);
}

}  // namespace
