// Reading strace's record: the fault-injection suite aims its faults with it,
// so a misread line would aim at the wrong call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/strace_trace.h"

namespace {

using namespace faulttest;

struct LineCase {
    std::string line;
    std::string name;
    std::vector<std::string> paths;
    std::string result;
    bool injected;
};

TEST(StraceTrace, EachCallNamesItsPathsAndResult) {
    const std::vector<LineCase> cases{
        {R"(12  openat(AT_FDCWD</w>, "/f/.VELDRA PALV_linea.txt.tmp-QeXtlC", O_RDWR|O_CREAT|O_EXCL, 0600) = 3</f/.VELDRA PALV_linea.txt.tmp-QeXtlC>)",
         "openat", {"/f/.VELDRA PALV_linea.txt.tmp-QeXtlC"}, "3</f/.VELDRA PALV_linea.txt.tmp-QeXtlC>", false},
        {R"(12  openat(5</f>, "sub/../a, b", O_RDONLY) = -1 ENOENT (No such file or directory))",
         "openat", {"/f/a, b"}, "-1 ENOENT (No such file or directory)", false},
        {R"(12  openat(AT_FDCWD, "rel", O_RDONLY) = 3)", "openat", {"/w/rel"}, "3", false},
        // The buffer holds commas, brackets and quotes; only the descriptor is a path.
        {R"(12  write(3</f/x.txt>, "a, \"b)\" [c"..., 4544) = -1 EIO (Input/output error) (INJECTED))",
         "write", {"/f/x.txt"}, "-1 EIO (Input/output error) (INJECTED)", true},
        {R"(12  read(3</f/x.txt>, 0x7ffc1a0efb90, 65536) = 4544)", "read", {"/f/x.txt"}, "4544", false},
        {R"(12  fsync(3</f>) = 0)", "fsync", {"/f"}, "0", false},
        {R"(12  fsync(4</f/#1234 (deleted)>) = 0)", "fsync", {"/f/#1234"}, "0", false},
        {R"(12  rename("/f/.a.tmp-1", "/f/a") = ?)", "rename", {"/f/.a.tmp-1", "/f/a"}, "?", false},
        {R"(12  renameat2(AT_FDCWD</w>, "x", 7</f>, "y", RENAME_NOREPLACE) = 0)", "renameat2", {"/w/x", "/f/y"},
         "0", false},
        {R"(12  unlinkat(3</f>, "b\303\251", 0) = 0)", "unlinkat", {"/f/b\303\251"}, "0", false},
        {R"(12  unlink("/f/VELDRA PALV_2638-.txt") = 0)", "unlink", {"/f/VELDRA PALV_2638-.txt"}, "0", false},
        {R"(12  close(3</f/x>) = 0)", "close", {"/f/x"}, "0", false},
        {R"(12  getpid() = 12)", "getpid", {}, "12", false},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        const std::vector<TracedCall> calls = parseTrace(c.line + "\n");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].name, c.name);
        EXPECT_EQ(calls[0].pid, 12);
        EXPECT_EQ(pathsOf(calls[0], "/w"), c.paths);
        EXPECT_EQ(calls[0].result, c.result);
        EXPECT_EQ(calls[0].injected, c.injected);
    }
}

TEST(StraceTrace, InterruptedCallsAreJoinedAndSignalLinesLeftOut) {
    const std::string record =
        "20  rename(\"/f/.a.tmp-1\", \"/f/a\" <unfinished ...>\n"
        "21  write(2</dev/pts/0>, \"x\", 1) = 1\n"
        "20  <... rename resumed>) = 0\n"
        "21  --- SIGCHLD {si_signo=SIGCHLD} ---\n"
        "20  fsync(3</f/b> <unfinished ...>\n"
        "21  +++ exited with 0 +++\n"
        "20  +++ killed by SIGKILL +++\n";
    const std::vector<TracedCall> calls = parseTrace(record);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].name, "write");
    EXPECT_EQ(calls[1].name, "rename");
    EXPECT_EQ(calls[1].pid, 20);
    EXPECT_EQ(pathsOf(calls[1], "/w"), (std::vector<std::string>{"/f/.a.tmp-1", "/f/a"}));
    EXPECT_EQ(calls[1].result, "0");
    // The process died inside this one.
    EXPECT_EQ(calls[2].name, "fsync");
    EXPECT_EQ(calls[2].result, "?");
    EXPECT_EQ(pathsOf(calls[2], "/w"), std::vector<std::string>{"/f/b"});
}

TEST(StraceTrace, QuotedStringsLoseTheirEscapes) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {R"("plain")", "plain"},
        {R"("a\"b\\c")", "a\"b\\c"},
        {R"("\r\n\t")", "\r\n\t"},
        {R"("\303\251\0")", std::string("\303\251\0", 3)},
        {R"("\x41\x4a")", "AJ"},
        {R"("trunc"...)", "trunc"},
    };
    for (const auto& [quoted, text] : cases) EXPECT_EQ(unquote(quoted), text) << quoted;
}

}  // namespace
