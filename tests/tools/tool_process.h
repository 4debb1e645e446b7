// Runs the built executables as an author would: arguments, a working
// folder, and what comes back on stdout, stderr and the exit status.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tooltest {

struct Finished {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

inline Finished runProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& workingFolder) {
    sbtest::TempFolder capture;
    const std::string outPath = capture.file("stdout");
    const std::string errPath = capture.file("stderr");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("cannot fork");
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int none = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || none < 0 || ::dup2(none, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(workingFolder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(program.c_str(), raw.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    }
    Finished finished;
    if (WIFEXITED(status)) finished.exitStatus = WEXITSTATUS(status);
    finished.out = sbtest::readFile(outPath);
    finished.err = sbtest::readFile(errPath);
    return finished;
}

inline Finished runTool(const std::vector<std::string>& args, const std::string& workingFolder) {
    return runProcess(SB_TOOL_PATH, args, workingFolder);
}

// The program's names for the compiled files of the built-in scenario.
inline const std::string lineProfileName = "VELDRA PALV_linea.dat";
inline const std::string scenarioTableName = "VELDRA PALV_2638.sim";
inline const std::string cellFileName = "VELDRA PALV_2638.dat";
inline const std::string lineSourceName = "VELDRA PALV_linea.txt";
inline const std::string trainSourceName = "VELDRA PALV_2638-.txt";

// Replaces the first occurrence of a text that must be there.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::runtime_error("\"" + from + "\" not found");
    return text.replace(at, from.size(), to);
}

}  // namespace tooltest
