// How an occurrence names what a call works on: the name a failure report
// must mention, and a subject that stays the same from run to run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/fault_harness.h"

namespace {

using namespace faulttest;

TEST(FaultSubject, NamesTheFileAFailureReportMustMention) {
    struct Case {
        std::vector<std::string> paths;
        std::string subject;
        std::string named;
    };
    const std::vector<Case> cases{
        {{"/f/.VELDRA PALV_2638.sim.tmp-Lb4HKG"}, "\".VELDRA PALV_2638.sim.tmp-*\"", "VELDRA PALV_2638.sim"},
        {{"/f/.VELDRA PALV_2638.sim.tmp-Lb4HKG", "/f/VELDRA PALV_2638.sim"},
         "\".VELDRA PALV_2638.sim.tmp-*\" -> \"VELDRA PALV_2638.sim\"", "VELDRA PALV_2638.sim"},
        {{"/f/VELDRA PALV_linea.txt"}, "\"VELDRA PALV_linea.txt\"", "VELDRA PALV_linea.txt"},
        {{"/f"}, "the folder", "."},
        {{"/f/.lock"}, "\".lock\"", ".lock"},
        // Neither the folder nor inside it: a sibling with the same beginning, the loader's files.
        {{"/fa/x"}, "", ""},
        {{"/usr/lib/libc.so.6"}, "", ""},
        {{}, "", ""},
    };
    for (const Case& c : cases) {
        const CallSubject subject = subjectOf(c.paths, "/f");
        EXPECT_EQ(subject.subject, c.subject) << c.subject;
        EXPECT_EQ(subject.named, c.named) << c.subject;
    }
}

}  // namespace
