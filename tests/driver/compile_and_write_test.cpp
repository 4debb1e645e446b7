#include "driver/compile_and_write.h"

#include <gtest/gtest.h>

#include <string>

#include "format/compiled_files.h"
#include "model/file_names.h"
#include "support/test_support.h"

namespace {

// Profiles on either side of the size at which the profile is written
// through a larger buffer; turning on every other stretch of 1000 metres
// so that the halves' doubles differ all along.
TEST(WriteCompiledFiles, TheProfileOnDiskIsTheEncodedProfile) {
    struct Case {
        const char* name;
        int lastMetre;
        int computed;
    };
    for (const Case& c :
         {Case{"small profile, empty tail", 5000, 3000}, Case{"profile of several megabytes", 400000, 399000}}) {
        sb::RouteModel model;
        model.lineName = "LINEA";
        model.trainNumber = "42";
        model.withProfile = true;
        model.lineProfile.recreate(c.lastMetre);
        model.lineProfile.seed();
        for (int from = 2; from < c.computed; from += 1000) {
            model.lineProfile.extendThrough(from + 999, (from / 1000) % 2 == 1, 0.0003);
        }
        sbtest::TempFolder out;
        sb::driver::writeCompiledFiles(model, out.path());
        EXPECT_TRUE(sbtest::readFile(out.file(sb::names::lineProfileFile(model.lineName))) ==
                    sb::format::lineProfileBytes(model.lineProfile))
            << c.name;
    }
}

}  // namespace
