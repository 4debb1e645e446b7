#include "support/test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace sbtest {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sbtest-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = buffer.data();
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << content;
}

bool fileExists(const std::string& path) { return std::filesystem::is_regular_file(path); }

Finished runProcess(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingFolder, const std::vector<std::string>* environment) {
    TempFolder capture;
    const std::string outPath = capture.file("stdout");
    const std::string errPath = capture.file("stderr");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> rawArgs;
    for (std::string& a : argv) rawArgs.push_back(a.data());
    rawArgs.push_back(nullptr);
    std::vector<std::string> env = environment ? *environment : std::vector<std::string>{};
    std::vector<char*> rawEnv;
    for (std::string& e : env) rawEnv.push_back(e.data());
    rawEnv.push_back(nullptr);

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
        if (environment) {
            ::execve(program.c_str(), rawArgs.data(), rawEnv.data());
        } else {
            ::execv(program.c_str(), rawArgs.data());
        }
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    }
    Finished finished;
    if (WIFEXITED(status)) finished.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) finished.termSignal = WTERMSIG(status);
    finished.out = readFile(outPath);
    finished.err = readFile(errPath);
    return finished;
}

}  // namespace sbtest
