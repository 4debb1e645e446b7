// What the desktop tests need to drive real windows: a private X server
// (Xvfb), child processes with their own environment and bounded waits, the
// X command-line tools, and the pixels of a screenshot.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace desktoptest {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Long enough for a loaded machine or a sanitizer build; a bound all the same.
inline constexpr Clock::duration patience = 10s;

// Polls until done() holds or the time runs out; true when it held.
bool pollUntil(const std::function<bool()>& done, Clock::duration timeout = patience);

// The full path of a program found on PATH, or empty.
std::string findOnPath(const std::string& name);

// This process's environment with some variables set (a value) or removed
// (nullopt), as NAME=value entries.
std::vector<std::string> environmentWith(const std::map<std::string, std::optional<std::string>>& changes);

// A child process: standard input from /dev/null, standard output and error
// to files. Killed and reaped on destruction if it is still running.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& workingFolder = ".");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // True when the process ended within the timeout.
    bool waitFor(Clock::duration timeout);
    // The exit status once ended; -1 when it ended by a signal or is running.
    int exitStatus() const { return exitStatus_; }
    std::string out() const;
    std::string err() const;

private:
    void reap(int status);

    sbtest::TempFolder capture_;
    pid_t pid_ = -1;
    bool ended_ = false;
    int exitStatus_ = -1;
};

struct ToolResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs a command to its end (killed after the patience runs out).
ToolResult runTool(const std::vector<std::string>& argv, const std::vector<std::string>& env);

// Xvfb on a display number it picks itself (-displayfd), so tests running in
// parallel never compete for one. Stopped on destruction.
class VirtualDisplay {
public:
    // Throws std::runtime_error, with the server's log, when it does not come up.
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N"
    const std::string& name() const { return name_; }
    // What the server said, for failure messages.
    std::string log() const;
    // The environment for a client of this display, with extra variables.
    std::vector<std::string> clientEnvironment(std::map<std::string, std::optional<std::string>> extra = {}) const;

    // The decimal id of the first viewable window whose title matches the
    // regular expression; empty when there is none.
    std::string findWindow(const std::string& titlePattern) const;
    std::string windowTitle(const std::string& id) const;
    // Width and height from xwininfo; nullopt when the window is gone.
    std::optional<std::pair<int, int>> windowSize(const std::string& id) const;
    // Gives the window the keyboard focus and types the key.
    bool pressKey(const std::string& id, const std::string& key) const;

private:
    sbtest::TempFolder logFolder_;
    pid_t pid_ = -1;
    std::string name_;
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row

    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Reads a binary PPM (P6, 8 bits a channel). Throws std::runtime_error on
// anything else.
Image readPpm(const std::string& bytes);

// The window's pixels as the X server holds them (ImageMagick's import).
// Throws std::runtime_error when the capture fails.
Image screenshot(const VirtualDisplay& display, const std::string& windowId, const std::string& ppmPath);

// The X tools the desktop tests need that are not on PATH, by name.
std::vector<std::string> missingDesktopTools();

}  // namespace desktoptest
