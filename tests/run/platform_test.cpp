#include "run/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

#include "support/test_support.h"

namespace {

using sb::run::ConsolePlatform;

// Thrown by the test exit hook so the fatal error can be watched in-process.
struct Exited {
    int status;
};

[[noreturn]] void throwExit(int status) { throw Exited{status}; }

TEST(ConsolePlatform, StatusIsOneLine) {
    std::ostringstream err;
    ConsolePlatform platform(err, throwExit);
    platform.showStatus();
    EXPECT_EQ(err.str(), "Attendere\n");
}

TEST(ConsolePlatform, FatalErrorShowsTheNumberAfterTheSpacedLiteralAndEndsWithThree) {
    const struct {
        std::string a;
        std::string shown;
    } cases[] = {
        {"1250", " Errore n. 1250\n"},
        {"1251", " Errore n. 1251\n"},
        {"", " Errore n. \n"},
    };
    for (const auto& c : cases) {
        std::ostringstream err;
        ConsolePlatform platform(err, throwExit);
        try {
            platform.fatalError(c.a);
            ADD_FAILURE() << "the fatal error returned for " << c.a;
        } catch (const Exited& e) {
            EXPECT_EQ(e.status, 3) << c.a;
        }
        EXPECT_EQ(err.str(), c.shown);
    }
}

TEST(ConsolePlatform, ReportWritesOneLine) {
    std::ostringstream err;
    ConsolePlatform platform(err, throwExit);
    platform.report("something failed");
    EXPECT_EQ(err.str(), "something failed\n");
}

TEST(ConsolePlatformDeathTest, WithoutADisplayTheFatalErrorEndsTheProcessWithStatusThree) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The console layer, even when the tests run on a desktop.
            ::unsetenv("DISPLAY");
            sb::run::makePlatform()->fatalError("1251");
        },
        testing::ExitedWithCode(3), "^ Errore n\\. 1251\n$");
}

TEST(ConsolePlatformDeathTest, AHookThatReturnsStillEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::ostringstream err;
    ConsolePlatform platform(err, [](int) {});
    EXPECT_EXIT(platform.fatalError("1250"), testing::ExitedWithCode(3), "");
}

TEST(FolderOf, KeepsTheFolderPart) {
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"/opt/sim/scenario-builder", "/opt/sim"},
        {"/scenario-builder", "/"},
        {"/a b/c d/prog", "/a b/c d"},
        {"/opt/sim/scenario-builder (deleted)", "/opt/sim"},
        {"scenario-builder", "."},
    };
    for (const auto& c : cases) EXPECT_EQ(sb::run::folderOf(c.path), c.folder) << c.path;
}

TEST(ExecutableFolder, IsAbsoluteAndDoesNotFollowTheWorkingFolder) {
    const std::string before = sb::run::executableFolder();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.front(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(before));

    const auto previous = std::filesystem::current_path();
    sbtest::TempFolder elsewhere;
    std::filesystem::current_path(elsewhere.path());
    const std::string after = sb::run::executableFolder();
    std::filesystem::current_path(previous);
    EXPECT_EQ(after, before);
}

}  // namespace
