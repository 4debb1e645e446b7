// Fault injection with strace: a program runs in a folder holding a complete
// earlier set of its files, and one of its system calls on that folder fails
// (an error returned instead of the call) or kills it on entry. Afterwards the
// folder must hold, file by file, the earlier or the new contents, and a clean
// run must put the new set in place and leave nothing else behind.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace faulttest {

// A program and what it promises about the folder it writes.
struct Target {
    std::string label;                          // names the target in reports
    std::string program;                        // the program as built
    std::vector<std::string> args;              // its arguments; "{folder}" stands for the folder it writes
    bool programInFolder = true;                // a copy of the program runs from that folder
    std::map<std::string, std::string> inputs;  // files it reads there and must leave as they are
    std::vector<std::string> lasting;           // files a run leaves there
    std::vector<std::string> group;             // of those, the files replaced all together or not at all
    // The lasting files of an earlier run, each different from what a run
    // writes. A file it lacks had no earlier version, and may be missing
    // after a failure; a file it has must never go missing.
    std::map<std::string, std::string> oldSet;
};

// A call of the fault-free run on the folder, counted the way strace counts for when=:
// per system call and per process, from 1, the dynamic loader's calls included.
struct Occurrence {
    std::string call;     // the system call, e.g. "write"
    int when = 0;         // its invocation number among the process's calls of that name
    int ordinal = 0;      // which of the calls of that name on the folder (from 1)
    int ofCalls = 0;      // how many calls of that name work on the folder
    std::string subject;  // the files it works on, relative to the folder, temporary suffixes masked
    std::string named;    // the name a report of its failure must mention; "." for the folder's path
};

// An error returned instead of the call (error != 0), or SIGKILL on entering it.
struct Fault {
    std::string label;  // the errno's name, or "SIGKILL"
    int error = 0;
    bool kills() const { return error == 0; }
};

struct Trial {
    Occurrence at;
    Fault fault;
};

struct TrialOutcome {
    Trial trial;
    std::vector<std::string> violations;  // one per broken promise: which, and what was wrong
    std::string missed;                   // set when strace tampered with another call: the trial proves nothing
};

// Which faults each family of system calls gets, at every occurrence on the folder.
struct CallFamily {
    std::vector<std::string> calls;
    std::vector<Fault> faults;
};
const std::vector<CallFamily>& faultPlan();

// What a call on these paths works on, as an occurrence records it; empty
// when none of the paths is the folder or inside it.
struct CallSubject {
    std::string subject;
    std::string named;
};
CallSubject subjectOf(const std::vector<std::string>& paths, const std::string& folder);

// The strace to use, or empty when there is none on PATH.
std::string findStrace();
// Why strace cannot trace a program here; empty when it can.
std::string straceUnusable(const std::string& strace);

// One target made ready: a clean run gives the new set. The strace is needed
// for discovering and running trials, not for runs started together.
class FaultSuite {
public:
    FaultSuite(Target target, std::string strace);
    ~FaultSuite();
    FaultSuite(const FaultSuite&) = delete;
    FaultSuite& operator=(const FaultSuite&) = delete;

    // Empty when the suite is ready, otherwise why it is not.
    const std::string& problem() const { return problem_; }
    const Target& target() const { return target_; }

    // The calls of a fault-free traced run on the folder; empty with problem() set on failure.
    std::vector<Occurrence> discover();
    // Every fault of the plan at every occurrence of its calls.
    std::vector<Trial> plan(const std::vector<Occurrence>& occurrences) const;
    // Runs the trials, `workers` at a time.
    std::vector<TrialOutcome> run(const std::vector<Trial>& trials, unsigned workers) const;
    // A kill at each rename the occurrences hold, then every fault of the
    // plan (EIO only, with errorsOnly) at every call the next run makes before
    // it writes (its recovery); and two faults in one run: each rename fails,
    // and so does every later rename, flush or removal. A user's files sit in
    // the folder throughout.
    std::vector<TrialOutcome> runRecovery(const std::vector<Occurrence>& occurrences, bool errorsOnly,
                                          unsigned workers) const;
    // `runs` runs of the program started at once in one folder holding the
    // earlier set, `rounds` times over.
    struct Together {
        int rounds = 0;
        int survived = 0;
        std::vector<std::string> violations;  // round, run and what was wrong
    };
    Together runTogether(int runs, int rounds) const;

    struct Impl;

private:
    Target target_;
    std::string problem_;
    std::unique_ptr<Impl> impl_;
};

// The table of the trials: per call and fault, trials run, survived and
// violations, then each violation and each missed injection.
std::string report(const std::string& title, const std::vector<TrialOutcome>& outcomes, double seconds);

// The same for runs started together.
std::string report(const std::string& title, const FaultSuite::Together& together, double seconds);

int violationCount(const std::vector<TrialOutcome>& outcomes);
int missedCount(const std::vector<TrialOutcome>& outcomes);

}  // namespace faulttest
