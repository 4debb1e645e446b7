#include "faults/fault_harness.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <latch>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <thread>

#include "faults/strace_trace.h"
#include "support/test_support.h"

extern char** environ;

namespace faulttest {

namespace fs = std::filesystem;
using sbtest::Finished;

const std::vector<CallFamily>& faultPlan() {
    const Fault eio{"EIO", EIO};
    const Fault enospc{"ENOSPC", ENOSPC};
    const Fault eacces{"EACCES", EACCES};
    const Fault kill{"SIGKILL", 0};
    // Every call of these names on the folder gets each of these faults.
    static const std::vector<CallFamily> plan{
        {{"open", "openat", "openat2", "creat"}, {eio, eacces}},
        {{"read", "pread64", "readv", "preadv", "preadv2"}, {eio}},
        {{"write", "pwrite64", "writev", "pwritev", "pwritev2"}, {eio, enospc, kill}},
        {{"fsync", "fdatasync"}, {eio, enospc, kill}},
        {{"rename", "renameat", "renameat2"}, {eio, kill}},
        {{"unlink", "unlinkat"}, {eio}},
        {{"getdents64"}, {eio}},
    };
    return plan;
}

namespace {

bool planned(const std::string& call) {
    for (const CallFamily& family : faultPlan()) {
        for (const std::string& name : family.calls) {
            if (name == call) return true;
        }
    }
    return false;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The environment of every run: this process's own, without a display, so the
// program stays on the console.
std::vector<std::string> consoleEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        if (startsWith(text, "DISPLAY=") || startsWith(text, "WAYLAND_DISPLAY=")) continue;
        environment.emplace_back(text);
    }
    return environment;
}

// The same for runs under strace. LeakSanitizer stops the process with ptrace
// to look for leaks, which it cannot do beneath strace: a sanitized program
// checks for leaks in its clean runs only.
std::vector<std::string> tracedEnvironment(std::vector<std::string> environment) {
    const auto options = std::find_if(environment.begin(), environment.end(),
                                      [](const std::string& entry) { return startsWith(entry, "ASAN_OPTIONS="); });
    if (options == environment.end()) {
        environment.emplace_back("ASAN_OPTIONS=detect_leaks=0");
    } else {
        *options += ":detect_leaks=0";  // the last setting of an option wins
    }
    return environment;
}

// The last line of what a run wrote on standard error: its report, if any.
std::string lastLine(const std::string& text) {
    const std::size_t last = text.find_last_not_of("\r\n");
    if (last == std::string::npos) return {};
    const std::size_t newline = text.find_last_of('\n', last);
    const std::size_t first = newline == std::string::npos ? 0 : newline + 1;
    return text.substr(first, last + 1 - first);
}

std::string ended(const Finished& run) {
    std::string text = run.termSignal != 0 ? "was killed by signal " + std::to_string(run.termSignal)
                                            : "exited with " + std::to_string(run.exitStatus);
    const std::string line = lastLine(run.err);
    if (!line.empty()) text += " (\"" + line + "\")";
    return text;
}

// A name the files room makes with a random token has it masked, so that
// one run's calls can be matched with another's: ".a.tmp-Xy12Ab" gives
// ".a.tmp-*", ".scenario-replace.forward-Xy12Ab" gives
// ".scenario-replace.forward-*".
std::string masked(const std::string& name) {
    constexpr std::size_t tokenLength = 6;
    if (name.size() <= tokenLength + 1 || name[name.size() - tokenLength - 1] != '-') return name;
    for (std::size_t i = name.size() - tokenLength; i < name.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return name;
    }
    return name.substr(0, name.size() - tokenLength) + "*";
}

// The file a temporary file stands in for: ".a.tmp-Xy12Ab" gives "a".
std::string standsFor(const std::string& name) {
    const std::size_t mark = name.find(".tmp-");
    if (mark == std::string::npos) return name;
    return name.substr(name.front() == '.' ? 1 : 0, mark - (name.front() == '.' ? 1 : 0));
}

// A folder's entries by name; the bytes of every regular file but the program.
struct Entry {
    bool regular = true;
    std::string bytes;
};
using Snapshot = std::map<std::string, Entry>;

Snapshot snapshot(const std::string& folder, const std::string& program) {
    Snapshot entries;
    for (const auto& item : fs::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        Entry entry;
        entry.regular = item.is_regular_file() && !item.is_symlink();
        if (entry.regular && name != program) entry.bytes = sbtest::readFile(item.path().string());
        entries.emplace(name, std::move(entry));
    }
    return entries;
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += separator;
        text += part;
    }
    return text;
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

CallSubject subjectOf(const std::vector<std::string>& paths, const std::string& folder) {
    CallSubject result;
    std::vector<std::string> shown;
    bool inside = false;
    for (const std::string& path : paths) {
        if (path == folder) {
            shown.emplace_back("the folder");
            result.named = ".";
            inside = true;
        } else if (startsWith(path, folder + "/")) {
            const std::string relative = path.substr(folder.size() + 1);
            shown.push_back(quoted(masked(relative)));
            result.named = standsFor(fs::path(relative).filename().string());
            inside = true;
        } else {
            shown.push_back(quoted(path));
        }
    }
    if (!inside) return {};
    result.subject = joined(shown, " -> ");
    return result;
}

std::string findStrace() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/strace";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::string straceUnusable(const std::string& strace) {
    // strace tracing itself printing its version: needs nothing else installed.
    const sbtest::TempFolder here;
    const Finished run = sbtest::runProcess(strace, {"-f", "-o", "/dev/null", "--", strace, "-V"}, here.path());
    if (run.exitStatus == 0) return {};
    return strace + " cannot trace a program here: it " + ended(run);
}

struct FaultSuite::Impl {
    std::string strace;
    std::vector<std::string> environment;
    std::vector<std::string> tracedEnvironment;
    sbtest::TempFolder store;  // holds the copy of the program every run links to
    std::string master;
    std::string programName;
    std::string traceSet;  // every planned call, none required to exist on this machine
    std::map<std::string, std::string> newSet;
};

namespace {

using Impl = FaultSuite::Impl;

// What a run's folder holds besides the program and the inputs.
enum class Holding { nothing, earlierSet };

// A fresh folder for one run, the program's working folder elsewhere, and
// strace's record outside both.
class RunFolder {
public:
    RunFolder(const Target& target, const Impl& suite, Holding holding) : target_(target), suite_(suite) {
        fs::create_directory(root_.file("run"));
        fs::create_directory(root_.file("cwd"));
        folder_ = fs::canonical(root_.file("run")).string();
        if (target.programInFolder) {
            program_ = folder_ + "/" + suite.programName;
            std::error_code linkFailed;
            fs::create_hard_link(suite.master, program_, linkFailed);
            if (linkFailed) fs::copy_file(suite.master, program_);
        } else {
            program_ = target.program;
        }
        for (const auto& [name, bytes] : target.inputs) sbtest::writeFile(folder_ + "/" + name, bytes);
        if (holding == Holding::earlierSet) {
            for (const auto& [name, bytes] : target.oldSet) sbtest::writeFile(folder_ + "/" + name, bytes);
        }
        for (std::string arg : target.args) {
            for (std::size_t at = arg.find("{folder}"); at != std::string::npos; at = arg.find("{folder}", at)) {
                arg.replace(at, 8, folder_);
                at += folder_.size();
            }
            args_.push_back(arg);
        }
    }

    // The same folder as another run left it, everything in it copied but the program.
    RunFolder(const Target& target, const Impl& suite, const RunFolder& copied)
        : RunFolder(target, suite, Holding::nothing) {
        for (const auto& item : fs::directory_iterator(copied.folder())) {
            const std::string name = item.path().filename().string();
            if (target.programInFolder && name == suite.programName) continue;
            fs::copy(item.path(), folder_ + "/" + name,
                     fs::copy_options::recursive | fs::copy_options::copy_symlinks |
                         fs::copy_options::overwrite_existing);
        }
    }

    const std::string& folder() const { return folder_; }
    std::string cwd() const { return root_.file("cwd"); }
    std::string trace() const { return root_.file("trace"); }

    Finished run() const { return sbtest::runProcess(program_, args_, cwd(), &suite_.environment); }

    // Under strace, with `inject` ("write:error=EIO:when=3") or without any tampering.
    Finished runTraced(const std::string& inject) const {
        return runTraced(inject.empty() ? std::vector<std::string>{} : std::vector<std::string>{inject});
    }
    Finished runTraced(const std::vector<std::string>& injections) const {
        std::vector<std::string> args{"-f", "-q", "-yy", "-o", trace(), "-e", "trace=" + suite_.traceSet};
        for (const std::string& inject : injections) {
            args.emplace_back("-e");
            args.push_back("inject=" + inject);
        }
        args.emplace_back("--");
        args.push_back(program_);
        args.insert(args.end(), args_.begin(), args_.end());
        return sbtest::runProcess(suite_.strace, args, cwd(), &suite_.tracedEnvironment);
    }

    Snapshot entries() const { return snapshot(folder_, target_.programInFolder ? suite_.programName : ""); }

private:
    const Target& target_;
    const Impl& suite_;
    sbtest::TempFolder root_;
    std::string folder_;
    std::string program_;
    std::vector<std::string> args_;
};

// What each lasting file is after a run. A file missing where the earlier
// set had none is as it was; missing where there was one, it is lost.
enum class Age { earlier, fresh, missing, other };

Age ageOf(const Snapshot& entries, const std::string& name, const Target& target, const Impl& suite) {
    const auto found = entries.find(name);
    const auto earlier = target.oldSet.find(name);
    if (found == entries.end()) return earlier == target.oldSet.end() ? Age::earlier : Age::missing;
    if (!found->second.regular) return Age::other;
    if (earlier != target.oldSet.end() && found->second.bytes == earlier->second) return Age::earlier;
    if (found->second.bytes == suite.newSet.at(name)) return Age::fresh;
    return Age::other;
}

std::string describe(const Snapshot& entries, const std::string& name, Age age) {
    switch (age) {
    case Age::earlier: return quoted(name) + (entries.count(name) == 0 ? " absent as before" : " old");
    case Age::fresh: return quoted(name) + " new";
    case Age::missing: return quoted(name) + " missing";
    case Age::other: break;
    }
    const Entry& entry = entries.at(name);
    if (!entry.regular) return quoted(name) + " is not a regular file";
    return quoted(name) + " is neither old nor new (" + std::to_string(entry.bytes.size()) + " bytes)";
}

// The lasting files that are not what they should be: whole old or new ones,
// or, with `onlyNew`, new ones.
std::string damaged(const Snapshot& entries, const Target& target, const Impl& suite, bool onlyNew) {
    std::vector<std::string> wrong;
    for (const std::string& name : target.lasting) {
        const Age age = ageOf(entries, name, target, suite);
        if (age == Age::fresh || (age == Age::earlier && !onlyNew)) continue;
        wrong.push_back(describe(entries, name, age));
    }
    return joined(wrong, "; ");
}

// The group's files when they are not all old or all new, one by one; empty when they are.
std::string groupMixed(const Snapshot& entries, const Target& target, const Impl& suite) {
    std::set<Age> ages;
    std::vector<std::string> states;
    for (const std::string& name : target.group) {
        const Age age = ageOf(entries, name, target, suite);
        ages.insert(age);
        states.push_back(describe(entries, name, age));
    }
    if (ages.size() <= 1 && ages.count(Age::missing) == 0 && ages.count(Age::other) == 0) return {};
    return joined(states, ", ");
}

std::string inputsChanged(const Snapshot& entries, const Target& target) {
    std::vector<std::string> wrong;
    for (const auto& [name, bytes] : target.inputs) {
        const auto found = entries.find(name);
        if (found == entries.end()) {
            wrong.push_back(quoted(name) + " missing");
        } else if (!found->second.regular || found->second.bytes != bytes) {
            wrong.push_back(quoted(name) + " changed");
        }
    }
    return joined(wrong, "; ");
}

std::string leftBehind(const Snapshot& entries, const Target& target, const Impl& suite) {
    std::set<std::string> expected(target.lasting.begin(), target.lasting.end());
    for (const auto& input : target.inputs) expected.insert(input.first);
    if (target.programInFolder) expected.insert(suite.programName);
    std::vector<std::string> extra;
    for (const auto& entry : entries) {
        if (expected.count(entry.first) == 0) extra.push_back(quoted(entry.first));
    }
    return joined(extra, ", ");
}

// What a trial saw: the run with the fault, then a clean run in the same folder.
struct Observed {
    const Target& target;
    const Impl& suite;
    const Trial& trial;
    std::string folder;
    Finished faulty;
    Snapshot afterFault;
    // After a kill that left the group mixed: the folder when the next run
    // began writing, or why that could not be seen.
    std::optional<Snapshot> atNextStart;
    std::string nextStartUnseen;
    Finished rerun;
    Snapshot afterRerun;
};

enum class Applies { errors, kills, all };

struct Check {
    std::string_view promise;
    Applies applies;
    std::string (*problem)(const Observed&);  // empty when the promise holds
};

// Removing the record or a backup once the new set is in place: the set
// is whole, so a failure there is a warning and the next run cleans up.
bool cleanupAfterSet(const Observed& o) {
    const std::string& subject = o.trial.at.subject;
    return o.trial.at.call.rfind("unlink", 0) == 0 &&
           (subject.find(".scenario-replace.forward-") != std::string::npos ||
            subject.find(".old-") != std::string::npos || subject.find(".none-") != std::string::npos);
}

// The promises checked after every trial.
const Check checks[] = {
    {"a failed run exits with status 2, a failed clean-up after the set is in place with 0", Applies::errors,
     [](const Observed& o) -> std::string {
         const int expected = cleanupAfterSet(o) ? 0 : 2;
         if (o.faulty.termSignal == 0 && o.faulty.exitStatus == expected) return {};
         return "it " + ended(o.faulty);
     }},
    {"its report names the file and the cause", Applies::errors,
     [](const Observed& o) -> std::string {
         // The builder keeps to "Attendere" when its files are all in place.
         if (cleanupAfterSet(o) && o.target.programInFolder) return {};
         const std::string cause = std::strerror(o.trial.fault.error);
         // A temporary file or backup is named with its random suffix, which
         // differs from run to run: the part before it must be there.
         const std::string named = [&] {
             const std::string whole = o.trial.at.named == "." ? o.folder : o.trial.at.named;
             const std::string mask = masked(whole);
             return mask == whole ? whole : mask.substr(0, mask.size() - 1);
         }();
         std::stringstream lines(o.faulty.err);
         std::string line;
         while (std::getline(lines, line)) {
             if (line.find(named) != std::string::npos && line.find(cause) != std::string::npos) return {};
         }
         return "no line on standard error holds both " + quoted(named) + " and " + quoted(cause) +
                " (last line: " + quoted(lastLine(o.faulty.err)) + ")";
     }},
    {"a killed run dies of the kill", Applies::kills,
     [](const Observed& o) -> std::string {
         if (o.faulty.termSignal == SIGKILL) return {};
         return "it " + ended(o.faulty);
     }},
    {"every lasting file is whole, old or new", Applies::all,
     [](const Observed& o) { return damaged(o.afterFault, o.target, o.suite, false); }},
    {"the files replaced together are all old or all new", Applies::all,
     [](const Observed& o) -> std::string {
         const std::string mixed = groupMixed(o.afterFault, o.target, o.suite);
         if (mixed.empty() || !o.trial.fault.kills()) return mixed;
         // No system call replaces several files at once, so a kill between the
         // renames leaves the group mixed whatever the program does; it must
         // then finish or undo the replacement before its next run writes anything.
         if (!o.atNextStart) return mixed + " after the kill; " + o.nextStartUnseen;
         const std::string still = groupMixed(*o.atNextStart, o.target, o.suite);
         if (still.empty()) return {};
         if (still == mixed) return mixed + " after the kill, and still when the next run began writing";
         return mixed + " after the kill; " + still + " when the next run began writing";
     }},
    {"the inputs stay as they were", Applies::all,
     [](const Observed& o) {
         const std::string after = inputsChanged(o.afterFault, o.target);
         return after.empty() ? inputsChanged(o.afterRerun, o.target) : after;
     }},
    {"a clean run afterwards exits with status 0", Applies::all,
     [](const Observed& o) -> std::string {
         if (o.rerun.termSignal == 0 && o.rerun.exitStatus == 0) return {};
         return "it " + ended(o.rerun);
     }},
    {"the clean run leaves the new files", Applies::all,
     [](const Observed& o) { return damaged(o.afterRerun, o.target, o.suite, true); }},
    {"the clean run leaves nothing else", Applies::all,
     [](const Observed& o) {
         const std::string extra = leftBehind(o.afterRerun, o.target, o.suite);
         return extra.empty() ? extra : "left in the folder: " + extra;
     }},
};

std::string describe(const Occurrence& at) {
    return at.call + " " + std::to_string(at.ordinal) + "/" + std::to_string(at.ofCalls) +
           " (when=" + std::to_string(at.when) + ") on " + at.subject;
}

// Why the trial did not tamper with the call it aimed at; empty when it did.
// strace marks an injected error; a kill leaves the process inside its last call.
std::string missedAim(const Trial& trial, const std::vector<TracedCall>& calls, const std::string& folder,
                      const std::string& cwd) {
    if (calls.empty()) return "strace recorded no call";
    const int pid = calls.front().pid;
    const TracedCall* hit = nullptr;
    int injected = 0;
    for (const TracedCall& call : calls) {
        if (call.pid != pid) continue;
        if (trial.fault.kills()) {
            hit = &call;
        } else if (call.injected) {
            hit = &call;
            ++injected;
        }
    }
    if (!trial.fault.kills() && injected != 1) return "strace injected " + std::to_string(injected) + " errors";
    if (trial.fault.kills() && hit->result != "?") return "the process ended after " + quoted(hit->text);
    const CallSubject subject = subjectOf(pathsOf(*hit, cwd), folder);
    if (hit->name != trial.at.call || subject.subject != trial.at.subject) {
        return "strace hit " + quoted(hit->text) + " instead";
    }
    if (!trial.fault.kills() && hit->result.find(" " + trial.fault.label + " ") == std::string::npos) {
        return "the call returned " + quoted(hit->result);
    }
    return {};
}

// The file whose temporary file the call creates in the folder, if it creates one.
std::optional<std::string> temporaryCreated(const TracedCall& call, const std::string& folder,
                                            const std::string& cwd) {
    const bool creates =
        call.name == "creat" || std::any_of(call.args.begin(), call.args.end(), [](const std::string& arg) {
            return arg.find("O_CREAT") != std::string::npos || arg.find("O_TMPFILE") != std::string::npos;
        });
    if (!creates) return std::nullopt;
    for (const std::string& path : pathsOf(call, cwd)) {
        if (path == folder || !startsWith(path, folder + "/")) continue;
        const std::string name = fs::path(path).filename().string();
        if (name.find(".tmp-") != std::string::npos) return standsFor(name);
    }
    return std::nullopt;
}

// The folder a kill left, as the next run has it when it begins its own work:
// that run is killed as it creates its first temporary file for a file outside
// the group (a recovery may rewrite the group's files first), or, when all it
// writes is the group, its first temporary file at all. Nothing, with
// `unseen` set, when it creates none or the kill misses.
std::optional<Snapshot> atNextStart(const Target& target, const Impl& suite, const RunFolder& killed,
                                    std::string& unseen) {
    const RunFolder look(target, suite, killed);
    look.runTraced("");
    const std::vector<TracedCall> calls = parseTrace(sbtest::readFile(look.trace()));
    std::optional<std::pair<std::string, int>> stopAt;  // the call and its when=
    std::map<std::string, int> invocations;
    for (const TracedCall& call : calls) {
        if (call.pid != calls.front().pid) continue;
        const int when = ++invocations[call.name];
        const std::optional<std::string> created = temporaryCreated(call, look.folder(), look.cwd());
        if (!created) continue;
        const bool ofGroup = std::find(target.group.begin(), target.group.end(), *created) != target.group.end();
        if (!stopAt || !ofGroup) stopAt.emplace(call.name, when);
        if (!ofGroup) break;
    }
    if (!stopAt) {
        unseen = "the next run created no temporary file";
        return std::nullopt;
    }
    const RunFolder stopped(target, suite, killed);
    const Finished run = stopped.runTraced(stopAt->first + ":signal=SIGKILL:when=" + std::to_string(stopAt->second));
    const std::vector<TracedCall> stoppedCalls = parseTrace(sbtest::readFile(stopped.trace()));
    const auto last = std::find_if(stoppedCalls.rbegin(), stoppedCalls.rend(),
                                   [&](const TracedCall& c) { return c.pid == stoppedCalls.front().pid; });
    if (run.termSignal != SIGKILL || last == stoppedCalls.rend() ||
        !temporaryCreated(*last, stopped.folder(), stopped.cwd())) {
        unseen = "the next run could not be stopped as it began writing: it " + ended(run);
        return std::nullopt;
    }
    return stopped.entries();
}

TrialOutcome runTrial(const Target& target, const Impl& suite, const Trial& trial) {
    TrialOutcome outcome{trial, {}, {}};
    const RunFolder run(target, suite, Holding::earlierSet);
    const std::string tampering = trial.fault.kills() ? "signal=SIGKILL" : "error=" + trial.fault.label;
    Observed o{target, suite, trial, run.folder(), {}, {}, std::nullopt, {}, {}, {}};
    o.faulty = run.runTraced(trial.at.call + ":" + tampering + ":when=" + std::to_string(trial.at.when));
    outcome.missed = missedAim(trial, parseTrace(sbtest::readFile(run.trace())), run.folder(), run.cwd());
    if (!outcome.missed.empty()) return outcome;
    o.afterFault = run.entries();
    if (trial.fault.kills() && !groupMixed(o.afterFault, target, suite).empty()) {
        o.atNextStart = atNextStart(target, suite, run, o.nextStartUnseen);
    }
    o.rerun = run.run();
    o.afterRerun = run.entries();
    for (const Check& check : checks) {
        if (check.applies == Applies::errors && trial.fault.kills()) continue;
        if (check.applies == Applies::kills && !trial.fault.kills()) continue;
        const std::string problem = check.problem(o);
        if (!problem.empty()) outcome.violations.push_back(std::string(check.promise) + ": " + problem);
    }
    return outcome;
}

// A trial of recovery: a run killed at one rename, then the next run with
// faults at its calls before it writes anything new (its recovery); or one
// run with two faults. Then a clean run.
struct RecoveryTrial {
    Trial shown;                          // the call and fault the report files it under
    std::optional<int> killAtRename;      // when= of the rename the first run dies at
    std::vector<std::string> injections;  // for the faulty run
};

bool recordLeft(const Snapshot& entries) {
    return std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
        return startsWith(entry.first, ".scenario-replace.forward-") || startsWith(entry.first, ".scenario-replace.undo-");
    });
}

TrialOutcome runRecoveryTrial(const Target& target, const Impl& suite, const RecoveryTrial& trial) {
    TrialOutcome outcome{trial.shown, {}, {}};
    const RunFolder killed(target, suite, Holding::earlierSet);
    if (trial.killAtRename) {
        const Finished kill = killed.runTraced("rename:signal=SIGKILL:when=" + std::to_string(*trial.killAtRename));
        if (kill.termSignal != SIGKILL) {
            outcome.missed = "the first run was not killed: it " + ended(kill);
            return outcome;
        }
    }
    const RunFolder run(target, suite, killed);
    const Finished faulty = run.runTraced(trial.injections);
    const std::vector<TracedCall> calls = parseTrace(sbtest::readFile(run.trace()));
    const bool kills = trial.shown.fault.kills();
    if (kills ? faulty.termSignal != SIGKILL
              : std::none_of(calls.begin(), calls.end(), [](const TracedCall& c) { return c.injected; })) {
        outcome.missed = "the fault never struck: the run " + ended(faulty);
        return outcome;
    }
    const Snapshot after = run.entries();
    const auto problem = [&](const std::string& promise, const std::string& what) {
        if (!what.empty()) outcome.violations.push_back(promise + ": " + what);
    };
    if (!kills && (faulty.termSignal != 0 || (faulty.exitStatus != 0 && faulty.exitStatus != 2))) {
        problem("a failed run exits with status 2", "it " + ended(faulty));
    }
    problem("no file outside the program's own names changes", inputsChanged(after, target));
    problem("every lasting file is whole, old or new", damaged(after, target, suite, false));
    const std::string mixed = groupMixed(after, target, suite);
    if (!mixed.empty() && !recordLeft(after)) {
        problem("the compiled set is one whole version or a record remains", mixed + ", and no record");
    }
    if (!mixed.empty() && !kills && faulty.err.find("interrupted replacement that the next run completes") == std::string::npos) {
        problem("a run that leaves a record says so", "last line: " + quoted(lastLine(faulty.err)));
    }
    const Finished rerun = run.run();
    const Snapshot final = run.entries();
    if (rerun.termSignal != 0 || rerun.exitStatus != 0) problem("a clean run afterwards exits with status 0", "it " + ended(rerun));
    problem("the clean run leaves the new files", damaged(final, target, suite, true));
    const std::string extra = leftBehind(final, target, suite);
    problem("the clean run leaves nothing else", extra.empty() ? extra : "left in the folder: " + extra);
    problem("no file outside the program's own names changes", inputsChanged(final, target));
    return outcome;
}

// The calls the run makes on the folder before it creates its first
// temporary file: the lock, the listing and the recovery.
std::vector<Occurrence> callsBeforeWriting(const Target& target, const Impl& suite, const RunFolder& killed) {
    const RunFolder look(target, suite, killed);
    look.runTraced("");
    const std::vector<TracedCall> calls = parseTrace(sbtest::readFile(look.trace()));
    std::vector<Occurrence> found;
    std::map<std::string, int> invocations;
    for (const TracedCall& call : calls) {
        if (call.pid != calls.front().pid) continue;
        const int when = ++invocations[call.name];
        if (temporaryCreated(call, look.folder(), look.cwd())) break;
        if (!planned(call.name)) continue;
        const CallSubject subject = subjectOf(pathsOf(call, look.cwd()), look.folder());
        if (subject.subject.empty()) continue;
        found.push_back(Occurrence{call.name, when, 0, 0, subject.subject, subject.named});
    }
    std::map<std::string, int> ordinals;
    for (Occurrence& at : found) at.ordinal = ++ordinals[at.call];
    for (Occurrence& at : found) at.ofCalls = ordinals[at.call];
    return found;
}

std::string injection(const Occurrence& at, const Fault& fault, bool onward = false) {
    return at.call + ":" + (fault.kills() ? "signal=SIGKILL" : "error=" + fault.label) + ":when=" +
           std::to_string(at.when) + (onward ? "+" : "");
}

}  // namespace

FaultSuite::FaultSuite(Target target, std::string strace)
    : target_(std::move(target)), impl_(std::make_unique<Impl>()) {
    Impl& suite = *impl_;
    suite.strace = std::move(strace);
    suite.environment = consoleEnvironment();
    suite.tracedEnvironment = tracedEnvironment(suite.environment);
    suite.programName = fs::path(target_.program).filename().string();
    suite.master = suite.store.file(suite.programName);
    fs::copy_file(target_.program, suite.master);
    std::vector<std::string> calls;
    for (const CallFamily& family : faultPlan()) {
        for (const std::string& call : family.calls) calls.push_back("?" + call);
    }
    suite.traceSet = joined(calls, ",");

    for (const std::string& name : target_.group) {
        if (std::find(target_.lasting.begin(), target_.lasting.end(), name) == target_.lasting.end()) {
            problem_ = quoted(name) + " is replaced with the others but is not a lasting file";
            return;
        }
    }
    // The new set: what a clean run writes in a folder of its own.
    const RunFolder clean(target_, suite, Holding::nothing);
    const Finished run = clean.run();
    if (run.termSignal != 0 || run.exitStatus != 0) {
        problem_ = "a clean run " + ended(run);
        return;
    }
    const Snapshot entries = clean.entries();
    for (const std::string& name : target_.lasting) {
        const auto found = entries.find(name);
        if (found == entries.end()) {
            problem_ = "a clean run leaves no " + quoted(name);
            return;
        }
        const auto earlier = target_.oldSet.find(name);
        if (earlier != target_.oldSet.end() && earlier->second == found->second.bytes) {
            problem_ = "the earlier " + quoted(name) + " is the same as a clean run's: old cannot be told from new";
            return;
        }
        suite.newSet[name] = found->second.bytes;
    }
}

FaultSuite::~FaultSuite() = default;

std::vector<Occurrence> FaultSuite::discover() {
    const RunFolder run(target_, *impl_, Holding::earlierSet);
    const Finished traced = run.runTraced("");
    if (traced.termSignal != 0 || traced.exitStatus != 0) {
        problem_ = "the traced run without faults " + ended(traced);
        return {};
    }
    const std::vector<TracedCall> calls = parseTrace(sbtest::readFile(run.trace()));
    if (calls.empty()) {
        problem_ = "strace recorded no call of the run";
        return {};
    }
    std::vector<Occurrence> found;
    std::map<std::string, int> invocations;
    for (const TracedCall& call : calls) {
        if (call.pid != calls.front().pid) continue;
        const int when = ++invocations[call.name];
        if (!planned(call.name)) continue;
        const CallSubject subject = subjectOf(pathsOf(call, run.cwd()), run.folder());
        if (subject.subject.empty()) continue;
        found.push_back(Occurrence{call.name, when, 0, 0, subject.subject, subject.named});
    }
    std::map<std::string, int> ordinals;
    for (Occurrence& at : found) at.ordinal = ++ordinals[at.call];
    for (Occurrence& at : found) at.ofCalls = ordinals[at.call];
    if (found.empty()) problem_ = "the traced run made no call on its folder";
    return found;
}

std::vector<Trial> FaultSuite::plan(const std::vector<Occurrence>& occurrences) const {
    std::vector<Trial> trials;
    for (const CallFamily& family : faultPlan()) {
        for (const Fault& fault : family.faults) {
            for (const Occurrence& at : occurrences) {
                if (std::find(family.calls.begin(), family.calls.end(), at.call) != family.calls.end()) {
                    trials.push_back(Trial{at, fault});
                }
            }
        }
    }
    return trials;
}

namespace {

// Runs count trials on workers threads, each taking the next trial left;
// a trial that throws becomes an outcome saying it could not run.
template <typename RunOne, typename Shown>
std::vector<TrialOutcome> onWorkers(std::size_t count, unsigned workers, RunOne runOne, Shown shown) {
    std::vector<TrialOutcome> outcomes(count);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                outcomes[i] = runOne(i);
            } catch (const std::exception& e) {
                outcomes[i] = TrialOutcome{shown(i), {}, std::string("the trial could not run: ") + e.what()};
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < std::max(1u, workers); ++w) threads.emplace_back(work);
    for (std::thread& thread : threads) thread.join();
    return outcomes;
}

}  // namespace

std::vector<TrialOutcome> FaultSuite::run(const std::vector<Trial>& trials, unsigned workers) const {
    return onWorkers(
        trials.size(), workers, [&](std::size_t i) { return runTrial(target_, *impl_, trials[i]); },
        [&](std::size_t i) { return trials[i]; });
}

std::vector<TrialOutcome> FaultSuite::runRecovery(const std::vector<Occurrence>& occurrences, bool errorsOnly,
                                                  unsigned workers) const {
    Target withUser = target_;
    withUser.inputs["notes-of-user.txt"] = "mine";
    withUser.inputs[".notes-of-user.txt.tmp-AAAAAA"] = "ATTACKER";
    std::vector<RecoveryTrial> trials;
    const auto faultsOf = [&](const std::string& call) {
        std::vector<Fault> faults;
        for (const CallFamily& family : faultPlan()) {
            if (std::find(family.calls.begin(), family.calls.end(), call) == family.calls.end()) continue;
            for (const Fault& fault : family.faults) {
                if (!errorsOnly || fault.label == "EIO") faults.push_back(fault);
            }
        }
        return faults;
    };
    for (std::size_t i = 0; i < occurrences.size(); ++i) {
        const Occurrence& rename = occurrences[i];
        if (rename.call.rfind("rename", 0) != 0) continue;
        // A kill at this rename, then every fault at every call of the next run's recovery.
        const RunFolder killed(withUser, *impl_, Holding::earlierSet);
        killed.runTraced("rename:signal=SIGKILL:when=" + std::to_string(rename.when));
        for (Occurrence at : callsBeforeWriting(withUser, *impl_, killed)) {
            for (const Fault& fault : faultsOf(at.call)) {
                const std::string where = at.subject;
                at.subject = where + ", in the run after a kill at rename " + std::to_string(rename.ordinal) + "/" +
                             std::to_string(rename.ofCalls);
                trials.push_back({Trial{at, fault}, rename.when, {injection(at, fault)}});
                at.subject = where;
            }
        }
        // Two faults in one run: this rename fails, and so does every later
        // rename, every later flush or every later removal.
        const Fault eio{"EIO", EIO};
        for (const std::string family : {"rename", "fsync", "unlink"}) {
            const auto later = std::find_if(occurrences.begin() + static_cast<std::ptrdiff_t>(i) + 1, occurrences.end(),
                                            [&](const Occurrence& at) { return at.call.rfind(family, 0) == 0; });
            if (later == occurrences.end()) continue;
            Occurrence shown = rename;
            shown.subject += ", then every later " + family + " fails";
            std::vector<std::string> injections{injection(rename, eio)};
            if (family == "rename") {
                injections = {injection(rename, eio, true)};
            } else {
                injections.push_back(injection(*later, eio, true));
            }
            trials.push_back({Trial{shown, eio}, std::nullopt, injections});
        }
    }
    return onWorkers(
        trials.size(), workers, [&](std::size_t k) { return runRecoveryTrial(withUser, *impl_, trials[k]); },
        [&](std::size_t k) { return trials[k].shown; });
}

FaultSuite::Together FaultSuite::runTogether(int runs, int rounds) const {
    Together together;
    for (int round = 1; round <= rounds; ++round) {
        const RunFolder folder(target_, *impl_, Holding::earlierSet);
        std::vector<Finished> finished(static_cast<std::size_t>(runs));
        std::vector<std::string> failed(finished.size());
        std::latch ready(runs);
        std::vector<std::thread> threads;
        for (std::size_t k = 0; k < finished.size(); ++k) {
            threads.emplace_back([&, k] {
                ready.arrive_and_wait();
                try {
                    finished[k] = folder.run();
                } catch (const std::exception& e) {
                    failed[k] = e.what();
                }
            });
        }
        for (std::thread& thread : threads) thread.join();

        std::vector<std::string> problems;
        const std::string where = "round " + std::to_string(round);
        for (std::size_t k = 0; k < finished.size(); ++k) {
            const std::string run = where + ", run " + std::to_string(k + 1) + ": ";
            if (!failed[k].empty()) {
                problems.push_back(run + "could not start: " + failed[k]);
            } else if (finished[k].termSignal != 0 || finished[k].exitStatus != 0) {
                problems.push_back(run + "it " + ended(finished[k]));
            }
        }
        const Snapshot entries = folder.entries();
        const std::string wrong = damaged(entries, target_, *impl_, true);
        if (!wrong.empty()) problems.push_back(where + ": not the new files: " + wrong);
        const std::string changed = inputsChanged(entries, target_);
        if (!changed.empty()) problems.push_back(where + ": inputs: " + changed);
        const std::string extra = leftBehind(entries, target_, *impl_);
        if (!extra.empty()) problems.push_back(where + ": left in the folder: " + extra);

        ++together.rounds;
        if (problems.empty()) ++together.survived;
        together.violations.insert(together.violations.end(), problems.begin(), problems.end());
    }
    return together;
}

int violationCount(const std::vector<TrialOutcome>& outcomes) {
    int count = 0;
    for (const TrialOutcome& outcome : outcomes) count += static_cast<int>(outcome.violations.size());
    return count;
}

int missedCount(const std::vector<TrialOutcome>& outcomes) {
    int count = 0;
    for (const TrialOutcome& outcome : outcomes) count += outcome.missed.empty() ? 0 : 1;
    return count;
}

namespace {

struct Row {
    std::string call;
    std::string fault;
    int trials = 0;
    int survived = 0;
    int violations = 0;
};

template <class Count>
std::string formatRow(const std::string& call, const std::string& fault, Count trials, Count survived,
                      Count violations) {
    std::ostringstream row;
    row << std::left << std::setw(12) << call << std::setw(9) << fault << std::right << std::setw(7) << trials
        << std::setw(10) << survived << std::setw(12) << violations << "\n";
    return row.str();
}

std::string seconds(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << value << " s";
    return text.str();
}

}  // namespace

std::string report(const std::string& title, const std::vector<TrialOutcome>& outcomes, double elapsed) {
    std::vector<Row> rows;
    Row all{"all", "", 0, 0, 0};
    for (const TrialOutcome& outcome : outcomes) {
        auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& r) {
            return r.call == outcome.trial.at.call && r.fault == outcome.trial.fault.label;
        });
        if (row == rows.end()) row = rows.insert(rows.end(), Row{outcome.trial.at.call, outcome.trial.fault.label});
        for (Row* counted : {&*row, &all}) {
            ++counted->trials;
            if (outcome.violations.empty() && outcome.missed.empty()) ++counted->survived;
            counted->violations += static_cast<int>(outcome.violations.size());
        }
    }
    std::string text = title + ": " + std::to_string(outcomes.size()) + " trials in " + seconds(elapsed) + "\n";
    text += formatRow<std::string>("call", "fault", "trials", "survived", "violations");
    for (const Row& row : rows) text += formatRow(row.call, row.fault, row.trials, row.survived, row.violations);
    text += formatRow(all.call, all.fault, all.trials, all.survived, all.violations);
    if (all.violations > 0) {
        text += "\nViolations:\n";
        for (const TrialOutcome& outcome : outcomes) {
            for (const std::string& violation : outcome.violations) {
                text += "  " + describe(outcome.trial.at) + ", " + outcome.trial.fault.label + ": " + violation + "\n";
            }
        }
    }
    if (missedCount(outcomes) > 0) {
        text += "\nInjections that missed their call (these trials prove nothing):\n";
        for (const TrialOutcome& outcome : outcomes) {
            if (outcome.missed.empty()) continue;
            text += "  " + describe(outcome.trial.at) + ", " + outcome.trial.fault.label + ": " + outcome.missed + "\n";
        }
    }
    return text;
}

std::string report(const std::string& title, const FaultSuite::Together& together, double elapsed) {
    std::string text = title + ": " + std::to_string(together.rounds) + " rounds in " + seconds(elapsed) + "\n";
    text += "rounds  survived  violations\n";
    std::ostringstream row;
    row << std::setw(6) << together.rounds << std::setw(10) << together.survived << std::setw(12)
        << together.violations.size() << "\n";
    text += row.str();
    if (!together.violations.empty()) {
        text += "\nViolations:\n";
        for (const std::string& violation : together.violations) text += "  " + violation + "\n";
    }
    return text;
}

}  // namespace faulttest
