#include "run/platform.h"

#include "run/desktop_platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace sb::run {

namespace {

[[noreturn]] void endProcessNow(int status) {
    // Immediate termination: no destructors or exit handlers run, as when the
    // user closes the error box.
    std::_Exit(status);
}

}  // namespace

LineSink standardError() {
    return [](std::string_view line) {
        std::string text(line);
        text += '\n';
        const char* at = text.data();
        std::size_t left = text.size();
        // Nothing more can be done for a line standard error refuses.
        while (left > 0) {
            const ssize_t written = ::write(STDERR_FILENO, at, left);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return;
            at += written;
            left -= static_cast<std::size_t>(written);
        }
    };
}

LineSink linesTo(std::ostream& out) {
    return [&out](std::string_view line) { out << line << '\n' << std::flush; };
}

std::string fatalErrorPrompt(const std::string& code) { return " Errore n. " + code; }

ConsolePlatform::ConsolePlatform(LineSink err, ExitHook exitHook) : err_(std::move(err)), exitHook_(std::move(exitHook)) {}

void ConsolePlatform::showStatus() { err_("Attendere"); }

void ConsolePlatform::fatalError(const std::string& code) {
    err_(fatalErrorPrompt(code));
    if (exitHook_) exitHook_(fatalExitStatus);
    // A hook that returns must not let the fatal error return.
    endProcessNow(fatalExitStatus);
}

void ConsolePlatform::report(std::string_view line) { err_(line); }

std::unique_ptr<Platform> makePlatform() {
    // A user who started the program from a desktop has no console to read.
    if (std::unique_ptr<Platform> desktop = openDesktopPlatform(standardError())) return desktop;
    return std::make_unique<ConsolePlatform>(standardError());
}

std::string folderOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string executablePath() {
    // The link's target length is unknown in advance; grow until it fits.
    std::vector<char> buffer(256);
    while (true) {
        const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (got < 0) {
            throw std::runtime_error(std::string("cannot find the program's folder: /proc/self/exe: ") +
                                     std::strerror(errno));
        }
        if (static_cast<std::size_t>(got) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(got));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string executableFolder() { return folderOf(executablePath()); }

}  // namespace sb::run
