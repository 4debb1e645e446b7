// The desktop layer for real: the built programs on a private X server, looked
// at and answered with the X tools as a user would.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "desktop_session.h"
#include "run_files.h"
#include "support/test_support.h"

namespace {

using namespace desktoptest;
using namespace runtest;
namespace fs = std::filesystem;

std::optional<std::string> whyNoDesktop() {
#if !defined(SB_HAVE_FLTK)
    return "built without FLTK: the console is the only layer";
#else
    const std::vector<std::string> missing = missingDesktopTools();
    if (missing.empty()) return std::nullopt;
    std::string why = "not on PATH:";
    for (const std::string& tool : missing) why += " " + tool;
    return why + " (.ci/run installs them)";
#endif
}

// For the programs under the sanitizers: the font library below the toolkit
// keeps memory to the end of the process (see the file).
std::map<std::string, std::optional<std::string>> withLibraryLeaksExcused(
    std::map<std::string, std::optional<std::string>> env) {
    const char* given = std::getenv("LSAN_OPTIONS");
    std::string options = given != nullptr && *given != '\0' ? std::string(given) + ":" : "";
    env["LSAN_OPTIONS"] = options + "print_suppressions=0:suppressions=" SB_SOURCE_DIR "/tests/run/desktop_lsan.supp";
    return env;
}

// Form1 at 15 twips a pixel: client area 4200 x 2688 twips; Label1 at left
// 960, top 960, 2652 x 792 twips.
constexpr int formWidth = 280;
constexpr int formHeight = 179;

struct Rect {
    int x, y, w, h;
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};
constexpr Rect label1{64, 64, 177, 53};

bool isDark(const Rgb& p) { return p.r + p.g + p.b < 3 * 96; }

// Where the pixels differ from the window's background.
struct Ink {
    int darkInLabel = 0;
    int strayOutsideLabel = 0;
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // of the dark pixels
};

Ink inkOf(const Image& image, const Rgb& background) {
    Ink ink;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.at(x, y);
            if (!label1.contains(x, y)) {
                if (!(p == background)) ++ink.strayOutsideLabel;
                continue;
            }
            if (!isDark(p)) continue;
            ++ink.darkInLabel;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

// A copy of the program in a folder of its own, with the desktop window
// program beside it as a copy of the whole build would have it.
void installProgram(const std::string& program) {
    fs::copy_file(SB_BUILDER_PATH, program);
#if defined(SB_DESKTOP_PROGRAM_PATH)
    const fs::path window(SB_DESKTOP_PROGRAM_PATH);
    fs::copy_file(window, fs::path(program).parent_path() / window.filename());
#endif
}

// What installProgram puts in the folder.
std::set<std::string> programFiles(std::set<std::string> more = {}) {
    more.insert("scenario-builder");
#if defined(SB_DESKTOP_PROGRAM_PATH)
    more.insert(fs::path(SB_DESKTOP_PROGRAM_PATH).filename().string());
#endif
    return more;
}

// Long enough for the test to find and capture the window before the
// program's first file, short enough to keep the test quick.
constexpr auto hold = 5s;
// What finding the window may take after the hold began.
constexpr auto lookingTime = 1s;

TEST(DesktopStatusWindow, IsPaintedBeforeAnyFileIsWrittenAndGoneWhenTheRunEnds) {
    if (const auto why = whyNoDesktop()) GTEST_SKIP() << *why;
    VirtualDisplay display;
    sbtest::TempFolder programFolder;
    sbtest::TempFolder elsewhere;
    const std::string program = programFolder.file("scenario-builder");
    installProgram(program);

    const auto holdMs = std::chrono::duration_cast<std::chrono::milliseconds>(hold).count();
    const auto env = withLibraryLeaksExcused({{"SB_TEST_HOLD_WINDOW_MS", std::to_string(holdMs)}});
    Process run({program}, display.clientEnvironment(env), elsewhere.path());
    std::string form;
    pollUntil([&] { return !(form = display.findWindow("^Form1$")).empty() || !run.running(); });
    ASSERT_FALSE(form.empty()) << "no Form1 window; program status " << run.exitStatus() << ", stderr: " << run.err()
                               << display.log();
    const auto found = Clock::now();

    EXPECT_EQ(display.windowTitle(form), "Form1");
    EXPECT_EQ(display.windowSize(form), (std::pair{formWidth, formHeight}));

    const Image shot = screenshot(display, form, elsewhere.file("form1.ppm"));
    const std::set<std::string> filesWhileShown = entriesOf(programFolder.path());
    ASSERT_LT(Clock::now() - found, hold - lookingTime) << "too slow to look at the window within the hold";
    EXPECT_EQ(filesWhileShown, programFiles()) << "the work started before the look";

    ASSERT_EQ(shot.width, formWidth);
    ASSERT_EQ(shot.height, formHeight);
    // Dark text on a light face; the corner is outside the label.
    const Rgb background = shot.at(0, 0);
    EXPECT_GT(std::min({background.r, background.g, background.b}), 150);
    const Ink ink = inkOf(shot, background);
    EXPECT_EQ(ink.strayOutsideLabel, 0) << "the form outside Label1 is not plain background";
    ASSERT_GT(ink.darkInLabel, 300) << "Label1 is not painted";
    // Left-aligned from the label's top-left corner, and big: 24 point bold
    // fills most of the label, where the toolkit's default size would not.
    EXPECT_LT(ink.left, label1.x + 8);
    EXPECT_LT(ink.top, label1.y + 16);
    EXPECT_GT(ink.right - ink.left, 130);
    EXPECT_GT(ink.bottom - ink.top, 18);

    ASSERT_TRUE(run.waitFor(hold + patience)) << "the run did not end";
    EXPECT_EQ(run.exitStatus(), 0);
    EXPECT_EQ(run.err(), "") << "the window stands in for the console's status line";
    EXPECT_EQ(entriesOf(programFolder.path()),
              programFiles({notes, slowDownOrders, trainSheet, lineProfile, scenarioTable, cells}));
    EXPECT_EQ(display.findWindow("^Form1$"), "") << "the window outlived the program";
}

// The window is another process's: it must not outlive a program that is
// killed and never gets to take it down.
TEST(DesktopStatusWindow, GoesWhenTheProgramIsKilled) {
    if (const auto why = whyNoDesktop()) GTEST_SKIP() << *why;
    VirtualDisplay display;
    sbtest::TempFolder programFolder;
    const std::string program = programFolder.file("scenario-builder");
    installProgram(program);

    const auto env = withLibraryLeaksExcused({{"SB_TEST_HOLD_WINDOW_MS", "1000"}});
    Process run({program}, display.clientEnvironment(env), programFolder.path());
    std::string form;
    pollUntil([&] { return !(form = display.findWindow("^Form1$")).empty() || !run.running(); });
    ASSERT_FALSE(form.empty()) << "no Form1 window; program status " << run.exitStatus() << display.log();
    ::kill(run.pid(), SIGKILL);
    ASSERT_TRUE(run.waitFor(patience));
    EXPECT_TRUE(pollUntil([&] { return display.findWindow("^Form1$").empty(); })) << "the window outlived the program";
}

TEST(DesktopFatalError, WaitsForOkThenEndsWithStatusThree) {
    if (const auto why = whyNoDesktop()) GTEST_SKIP() << *why;
    VirtualDisplay display;
    sbtest::TempFolder folder;
    // The application's default title is the executable's name.
    const std::string title = fs::path(SB_FATAL_ERROR_PROBE_PATH).filename().string();

    Process probe({SB_FATAL_ERROR_PROBE_PATH, "1250"}, display.clientEnvironment(withLibraryLeaksExcused({})),
                  folder.path());
    std::string box;
    pollUntil([&] { return !(box = display.findWindow("^" + title + "$")).empty() || !probe.running(); });
    ASSERT_FALSE(box.empty()) << "no message box; probe status " << probe.exitStatus() << ", stderr: " << probe.err()
                              << display.log();
    EXPECT_EQ(display.windowTitle(box), title);
    EXPECT_NE(display.findWindow("^Form1$"), "") << "the status window should stay up under the box";

    // The box waits for the user.
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(probe.running()) << "ended without OK, status " << probe.exitStatus();
    const Image shot = screenshot(display, box, folder.file("box.ppm"));
    EXPECT_GT(std::count_if(shot.pixels.begin(), shot.pixels.end(), isDark), 100) << "the prompt is not painted";

    ASSERT_TRUE(display.pressKey(box, "Return"));
    ASSERT_TRUE(probe.waitFor(patience)) << "OK did not end the program";
    EXPECT_EQ(probe.exitStatus(), 3);
    EXPECT_EQ(probe.err(), " Errore n. 1250\n");
    EXPECT_EQ(probe.out(), "");
    EXPECT_EQ(display.findWindow("^" + title + "$"), "");
    EXPECT_EQ(display.findWindow("^Form1$"), "");
}

// A failed run ends with its line in a box the user closes: a desktop user
// has no console to read standard error on.
TEST(DesktopFailure, ShowsTheFailureLineAndWaitsForOkThenEndsWithStatusTwo) {
    if (const auto why = whyNoDesktop()) GTEST_SKIP() << *why;
    VirtualDisplay display;
    sbtest::TempFolder programFolder;
    const std::string program = programFolder.file("scenario-builder");
    installProgram(program);
    fs::create_directory(programFolder.file(notes));  // nothing replaces a folder with a file

    Process run({program}, display.clientEnvironment(withLibraryLeaksExcused({})), programFolder.path());
    std::string box;
    pollUntil([&] { return !(box = display.findWindow("^scenario-builder$")).empty() || !run.running(); });
    ASSERT_FALSE(box.empty()) << "no message box; status " << run.exitStatus() << ", stderr: " << run.err()
                              << display.log();
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(run.running()) << "ended without OK, status " << run.exitStatus();
    const Image shot = screenshot(display, box, programFolder.file("box.ppm"));
    EXPECT_GT(std::count_if(shot.pixels.begin(), shot.pixels.end(), isDark), 100) << "the line is not painted";

    ASSERT_TRUE(display.pressKey(box, "Return"));
    ASSERT_TRUE(run.waitFor(patience)) << "OK did not end the program";
    EXPECT_EQ(run.exitStatus(), 2);
    EXPECT_NE(run.err().find("writing the crew documents failed"), std::string::npos) << run.err();
    EXPECT_NE(run.err().find(notes), std::string::npos) << run.err();
    EXPECT_EQ(display.findWindow("^scenario-builder$"), "");
}

// Runs everywhere: no X server is needed to fail to reach one. "unix:" keeps
// the client to local sockets; a bare ":N" would also try a TCP port.
TEST(DesktopFallback, ADisplayThatDoesNotOpenLeavesTheConsoleAsItIs) {
    sbtest::TempFolder programFolder;
    const std::string program = programFolder.file("scenario-builder");
    installProgram(program);
    Process run({program}, environmentWith({{"DISPLAY", "unix:65432"}}), programFolder.path());
    ASSERT_TRUE(run.waitFor(patience));
    EXPECT_EQ(run.exitStatus(), 0);
    EXPECT_EQ(run.err(), "Attendere\n");
    EXPECT_EQ(run.out(), "");
}

}  // namespace
