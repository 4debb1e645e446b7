#include "run/desktop_platform.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "desktop/desktop_protocol.h"

extern char** environ;

namespace sb::run {

namespace {

// Beside the program (a build folder, or a copy in a folder of one's own),
// or where an installation puts it.
std::vector<std::string> windowProgramCandidates() {
    const std::string name = desktop::programName;
    std::vector<std::string> paths;
    try {
        const std::string folder = executableFolder();
        paths.push_back(folder + "/" + name);
        paths.push_back(folder + "/../lib/scenario-builder/" + name);
    } catch (const std::exception&) {
        // no folder: only where the package puts it
    }
    // A copy of the installed program in a folder of one's own still finds it.
    paths.push_back("/usr/lib/scenario-builder/" + name);
    return paths;
}

// The application's default title: the executable's name.
std::string applicationTitle() {
    try {
        const std::string path = executablePath();
        return path.substr(path.find_last_of('/') + 1);
    } catch (const std::exception&) {
        return "scenario-builder";
    }
}

// The running window program and this end of the channel to it.
class WindowProgram {
public:
    // Started and ready, or nothing (having printed nothing).
    static std::unique_ptr<WindowProgram> start() {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
        // Its end becomes descriptor 3 there; one that is 3 already here
        // would keep its close-on-exec mark through the move.
        if (ends[1] == desktop::channelDescriptor) {
            const int moved = ::fcntl(ends[1], F_DUPFD_CLOEXEC, desktop::channelDescriptor + 1);
            ::close(ends[1]);
            if (moved < 0) {
                ::close(ends[0]);
                return nullptr;
            }
            ends[1] = moved;
        }
        for (const std::string& path : windowProgramCandidates()) {
            if (::access(path.c_str(), X_OK) != 0) continue;
            const pid_t pid = spawn(path, ends[1]);
            if (pid <= 0) continue;
            ::close(ends[1]);
            auto program = std::unique_ptr<WindowProgram>(new WindowProgram(pid, ends[0]));
            // It answers once the display is open, or ends without a word.
            if (!program->awaitAnswer(desktop::ready)) return nullptr;
            return program;
        }
        ::close(ends[0]);
        ::close(ends[1]);
        return nullptr;
    }

    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;
    // The windows are down and the program has ended before this returns.
    ~WindowProgram() {
        if (channel_ >= 0 && send(desktop::close)) (void)awaitAnswer(desktop::close);
        if (channel_ >= 0) ::close(channel_);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }

    // Each is done once the window program answers; false if it has gone.
    bool showStatus() { return send(desktop::showStatus) && awaitAnswer(desktop::showStatus); }
    bool message(const std::string& title, const std::string& text) {
        return send(desktop::message) && sendText(title) && sendText(text) && awaitAnswer(desktop::message);
    }

private:
    WindowProgram(pid_t pid, int channel) : pid_(pid), channel_(channel) {}

    // The window program with its end of the channel as descriptor 3. Its
    // standard error goes nowhere: whatever it could say (a library missing,
    // no display) ends in the console taking over, as if it had not been
    // there, and a desktop user has no console to read it on.
    static pid_t spawn(const std::string& path, int end) {
        posix_spawn_file_actions_t actions;
        if (::posix_spawn_file_actions_init(&actions) != 0) return -1;
        pid_t pid = -1;
        char* argv[] = {const_cast<char*>(desktop::programName), nullptr};
        if (::posix_spawn_file_actions_adddup2(&actions, end, desktop::channelDescriptor) != 0 ||
            ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0) != 0 ||
            ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ) != 0) {
            pid = -1;
        }
        ::posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    bool sendBytes(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t sent = ::send(channel_, data, size, MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) continue;
            if (sent <= 0) return false;
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }
    bool send(char request) { return sendBytes(&request, 1); }
    bool sendText(const std::string& text) {
        const auto length = static_cast<desktop::TextLength>(std::min<std::size_t>(text.size(), desktop::longestText));
        return sendBytes(reinterpret_cast<const char*>(&length), sizeof length) && sendBytes(text.data(), length);
    }
    bool awaitAnswer(char request) {
        char answer = 0;
        ssize_t got = 0;
        do {
            got = ::read(channel_, &answer, 1);
        } while (got < 0 && errno == EINTR);
        return got == 1 && answer == request;
    }

    pid_t pid_;
    int channel_;
};

class DesktopPlatform final : public Platform {
public:
    DesktopPlatform(LineSink err, std::unique_ptr<WindowProgram> window)
        : err_(std::move(err)), window_(std::move(window)) {}

    // Without a window the status line goes where the console's does.
    void showStatus() override {
        if (!window_->showStatus()) err_("Attendere");
    }

    [[noreturn]] void fatalError(const std::string& code) override {
        const std::string prompt = fatalErrorPrompt(code);
        err_(prompt);
        window_->message(applicationTitle(), prompt);
        window_.reset();
        // At once, as when the console layer ends: no destructors or exit handlers.
        std::_Exit(fatalExitStatus);
    }

    // A desktop user has no console: the line the run ends on is shown in a
    // box with one OK button as well, and the run ends once it is closed.
    void report(std::string_view line) override {
        err_(line);
        window_->message(applicationTitle(), std::string(line));
    }

private:
    LineSink err_;
    std::unique_ptr<WindowProgram> window_;
};

}  // namespace

std::unique_ptr<Platform> openDesktopPlatform(LineSink err) {
    // Without a display the window program is not even started.
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return nullptr;
    // A program copied alone out of its folder has no window to show: said
    // once, with the way to keep it, and the run goes on in the console.
    const std::vector<std::string> candidates = windowProgramCandidates();
    if (std::none_of(candidates.begin(), candidates.end(),
                     [](const std::string& path) { return ::access(path.c_str(), X_OK) == 0; })) {
        std::string looked;
        for (const std::string& path : candidates) looked += (looked.empty() ? "\"" : ", \"") + path + "\"";
        err("scenario-builder: no window: its window program " + std::string(desktop::programName) +
            " is not in " + looked + "; copy it beside the program, or install the package, to keep the window");
        return nullptr;
    }
    std::unique_ptr<WindowProgram> window = WindowProgram::start();
    if (!window) return nullptr;
    return std::make_unique<DesktopPlatform>(std::move(err), std::move(window));
}

}  // namespace sb::run
