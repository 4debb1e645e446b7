// The language server in a real editor: Debian's neovim, headless, runs
// tests/editor/neovim_session.lua against the exported built-in sources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/test_support.h"

namespace {

std::string onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return folder + "/" + program;
    }
    return {};
}

TEST(Neovim, ShowsWhatCheckSaysAndAnswersHoverAndCompletion) {
    const std::string nvim = onPath("nvim");
    if (nvim.empty()) GTEST_SKIP() << "neovim is not installed (tools/install-deps test installs it)";
    sbtest::TempFolder folder;
    std::filesystem::create_directories(folder.file("scratch"));
    const sbtest::Finished exported = sbtest::runProcess(SB_TOOL_PATH, {"export", "src"}, folder.path());
    ASSERT_EQ(exported.exitStatus, 0) << exported.err;
    // Its own home: no user configuration, swap or state of this machine.
    const std::vector<std::string> environment{
        "HOME=" + folder.path(), "XDG_CONFIG_HOME=" + folder.file("config"), "XDG_DATA_HOME=" + folder.file("data"),
        "XDG_STATE_HOME=" + folder.file("state"), "XDG_CACHE_HOME=" + folder.file("cache"),
        "PATH=/usr/bin:/bin", "SB_TOOL=" SB_TOOL_PATH, "SB_DIR=" + folder.file("src"),
        "SB_SCRATCH=" + folder.file("scratch")};
    const sbtest::Finished session = sbtest::runProcess(
        "/usr/bin/timeout", {"120", nvim, "--headless", "--clean", "-n", "-c",
                             "luafile " SB_SOURCE_DIR "/tests/editor/neovim_session.lua"},
        folder.path(), &environment);
    EXPECT_EQ(session.exitStatus, 0) << session.err << session.out;
}

}  // namespace
