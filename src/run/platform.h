// The platform layer: the only code that knows how the user is told to wait,
// how a fatal error is shown, how the process ends and where the program lives.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace sb::run {

// The status the fatal error ends the process with, on every layer.
inline constexpr int fatalExitStatus = 3;

// " Errore n. " followed by the code: the fatal error's prompt on every layer.
std::string fatalErrorPrompt(const std::string& code);

// What the run needs from the machine it runs on: the console, or the desktop
// window when there is a display (desktop_platform.h).
class Platform {
public:
    virtual ~Platform() = default;

    // Puts up the "Attendere" notice before the work starts; nothing in it
    // changes afterwards.
    virtual void showStatus() = 0;

    // Shows " Errore n. " followed by the code, then ends the process with
    // exit status 3. Never returns to its caller.
    [[noreturn]] virtual void fatalError(const std::string& code) = 0;

    // One line about a problem the run ends on (compile error code or a
    // run-time failure), on standard error and, on a desktop, in a message
    // box the user closes; the caller chooses the exit status.
    virtual void report(std::string_view line) = 0;
};

// Where the console's lines go: one call per line; the sink ends the line.
using LineSink = std::function<void(std::string_view)>;

// Standard error, each line written at once. Plain writes: a console start
// does not pay for setting up the standard streams.
LineSink standardError();
// The lines into a stream (tests).
LineSink linesTo(std::ostream& out);

// Ends the process with the given status. The console layer takes one so the
// tests can watch the fatal error without losing the test process.
using ExitHook = std::function<void(int)>;

class ConsolePlatform final : public Platform {
public:
    // Writes to err; exitHook defaults to ending the process at once.
    explicit ConsolePlatform(LineSink err, ExitHook exitHook = {});
    explicit ConsolePlatform(std::ostream& err, ExitHook exitHook = {})
        : ConsolePlatform(linesTo(err), std::move(exitHook)) {}

    void showStatus() override;
    [[noreturn]] void fatalError(const std::string& code) override;
    void report(std::string_view line) override;

private:
    LineSink err_;
    ExitHook exitHook_;
};

// Picks the platform layer for this process: the desktop window when this
// build has it and a display opens, the console on standard error otherwise.
std::unique_ptr<Platform> makePlatform();

// The folder part of a path: "/a/b/prog" gives "/a/b", "/prog" gives "/",
// a bare name gives ".".
std::string folderOf(std::string_view path);

// The path of the running executable (symbolic links resolved).
// Throws std::runtime_error when the system cannot tell.
std::string executablePath();

// The folder that holds the running executable. Throws as executablePath.
std::string executableFolder();

}  // namespace sb::run
