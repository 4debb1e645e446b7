#include "desktop_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace desktoptest {

namespace {

constexpr auto pollStep = 20ms;

// argv or envp for execve: pointers into strings that outlive the call.
std::vector<char*> pointersTo(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Starts argv with env; descriptors without close-on-exec stay open in the
// child under their own numbers.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& workingFolder, const std::string& outPath, const std::string& errPath) {
    const std::vector<char*> args = pointersTo(argv);
    const std::vector<char*> envp = pointersTo(env);
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("cannot fork");
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int none = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (none < 0 || out < 0 || err < 0 || ::dup2(none, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(workingFolder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    return child;
}

bool reapWithin(pid_t pid, Clock::duration timeout, int& status) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        const pid_t got = ::waitpid(pid, &status, WNOHANG);
        if (got == pid) return true;
        if (got < 0 && errno != EINTR) return true;  // not ours any more
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pollStep);
    }
}

void stop(pid_t pid, int signal) {
    int status = 0;
    ::kill(pid, signal);
    if (!reapWithin(pid, 5s, status)) {
        ::kill(pid, SIGKILL);
        reapWithin(pid, 5s, status);
    }
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

bool pollUntil(const std::function<bool()>& done, Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        if (done()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pollStep);
    }
}

std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    std::istringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

std::vector<std::string> environmentWith(const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        if (changes.count(text.substr(0, text.find('='))) == 0) env.push_back(text);
    }
    for (const auto& [name, value] : changes) {
        if (value) env.push_back(name + "=" + *value);
    }
    return env;
}

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& workingFolder)
    : pid_(spawn(argv, env, workingFolder, capture_.file("stdout"), capture_.file("stderr"))) {}

Process::~Process() {
    if (!ended_) stop(pid_, SIGKILL);
}

void Process::reap(int status) {
    ended_ = true;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Process::running() {
    if (ended_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) reap(status);
    return !ended_;
}

bool Process::waitFor(Clock::duration timeout) {
    return pollUntil([this] { return !running(); }, timeout);
}

std::string Process::out() const { return sbtest::readFile(capture_.file("stdout")); }
std::string Process::err() const { return sbtest::readFile(capture_.file("stderr")); }

ToolResult runTool(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    Process tool(argv, env);
    ToolResult result;
    if (tool.waitFor(patience)) result.exitStatus = tool.exitStatus();
    result.out = tool.out();
    result.err = tool.err();
    return result;
}

VirtualDisplay::VirtualDisplay() {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
    // The write end alone survives exec, under its own number.
    ::fcntl(ready[1], F_SETFD, 0);
    const std::string log = logFolder_.file("Xvfb.log");
    try {
        // -noreset: a server resets when its last client leaves, and a client
        // connecting meanwhile is refused; the tools come and go all the time.
        pid_ = spawn({findOnPath("Xvfb"), "-displayfd", std::to_string(ready[1]), "-screen", "0", "1024x768x24",
                      "-nolisten", "tcp", "-noreset"},
                     environmentWith({}), "/", "/dev/null", log);
    } catch (...) {
        ::close(ready[0]);
        ::close(ready[1]);
        throw;
    }
    ::close(ready[1]);

    // Xvfb writes its display number once it accepts connections.
    std::string number;
    const auto deadline = Clock::now() + patience;
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd wait{ready[0], POLLIN, 0};
        if (::poll(&wait, 1, 100) <= 0) continue;
        char buffer[32];
        const ssize_t got = ::read(ready[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        stop(pid_, SIGKILL);
        throw std::runtime_error("Xvfb did not come up:\n" + sbtest::readFile(log));
    }
    name_ = trimmed(number);
    name_.insert(name_.begin(), ':');
}

VirtualDisplay::~VirtualDisplay() { stop(pid_, SIGTERM); }

std::string VirtualDisplay::log() const {
    return "\nXvfb on " + name_ + ":\n" + sbtest::readFile(logFolder_.file("Xvfb.log"));
}

std::vector<std::string> VirtualDisplay::clientEnvironment(
    std::map<std::string, std::optional<std::string>> extra) const {
    extra["DISPLAY"] = name_;
    return environmentWith(extra);
}

std::string VirtualDisplay::findWindow(const std::string& titlePattern) const {
    const ToolResult found =
        runTool({findOnPath("xdotool"), "search", "--onlyvisible", "--name", titlePattern}, clientEnvironment());
    if (found.exitStatus != 0) return "";
    return found.out.substr(0, found.out.find('\n'));
}

std::string VirtualDisplay::windowTitle(const std::string& id) const {
    return trimmed(runTool({findOnPath("xdotool"), "getwindowname", id}, clientEnvironment()).out);
}

std::optional<std::pair<int, int>> VirtualDisplay::windowSize(const std::string& id) const {
    const ToolResult info = runTool({findOnPath("xwininfo"), "-id", id}, clientEnvironment());
    if (info.exitStatus != 0) return std::nullopt;
    std::optional<int> width, height;
    std::istringstream lines(info.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        int value = 0;
        if (!(words >> key >> value)) continue;
        if (key == "Width:") width = value;
        if (key == "Height:") height = value;
    }
    if (!width || !height) return std::nullopt;
    return std::pair{*width, *height};
}

bool VirtualDisplay::pressKey(const std::string& id, const std::string& key) const {
    // No window manager hands out the focus here; the test does.
    const std::string xdotool = findOnPath("xdotool");
    return runTool({xdotool, "windowfocus", "--sync", id}, clientEnvironment()).exitStatus == 0 &&
           runTool({xdotool, "key", key}, clientEnvironment()).exitStatus == 0;
}

Image readPpm(const std::string& bytes) {
    std::size_t at = 0;
    // Header fields are separated by white space and may carry comments.
    const auto nextField = [&]() {
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
                ++at;
            } else {
                break;
            }
        }
        const std::size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return bytes.substr(start, at - start);
    };
    if (nextField() != "P6") throw std::runtime_error("not a binary PPM");
    Image image;
    image.width = std::stoi(nextField());
    image.height = std::stoi(nextField());
    if (std::stoi(nextField()) != 255) throw std::runtime_error("PPM is not 8 bits a channel");
    ++at;  // the single white space before the samples
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (image.width <= 0 || image.height <= 0 || bytes.size() < at + 3 * count) {
        throw std::runtime_error("PPM samples are short");
    }
    image.pixels.resize(count);
    const auto sample = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[at + i]); };
    for (std::size_t i = 0; i < count; ++i) image.pixels[i] = Rgb{sample(3 * i), sample(3 * i + 1), sample(3 * i + 2)};
    return image;
}

Image screenshot(const VirtualDisplay& display, const std::string& windowId, const std::string& ppmPath) {
    const ToolResult shot = runTool({findOnPath("import"), "-window", windowId, "-depth", "8", "ppm:" + ppmPath},
                                    display.clientEnvironment());
    if (shot.exitStatus != 0) throw std::runtime_error("import failed: " + shot.err);
    return readPpm(sbtest::readFile(ppmPath));
}

std::vector<std::string> missingDesktopTools() {
    std::vector<std::string> missing;
    for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "import"}) {
        if (findOnPath(tool).empty()) missing.emplace_back(tool);
    }
    return missing;
}

}  // namespace desktoptest
