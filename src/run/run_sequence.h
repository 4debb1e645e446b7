// The run sequence: one run writes the scenario's source files and crew
// documents next to the program, compiles the sources and ends.
#pragma once

#include <cstdint>
#include <string>

#include "run/platform.h"

namespace sb::run {

// Exit statuses of the program.
namespace exitstatus {
inline constexpr int ok = 0;
// The compile recorded an error code; the compiled files were still written.
inline constexpr int compileError = 1;
// A step failed at run time (a file that cannot be written, say); the files
// of the earlier steps stay.
inline constexpr int runTimeFailure = 2;
// The fatal error ended the run (" Errore n. 1250" or "1251"); no compiled file written.
inline constexpr int fatal = 3;
}  // namespace exitstatus

// Form_Load: shows the status, writes the two source files and the three crew
// documents into folder, compiles them there and returns the exit status.
// Problems become one line through platform.report; a fatal check of the
// compile goes through platform.fatalError and does not come back.
int runScenarioBuilder(Platform& platform, const std::string& folder);

// The line reported when the compile recorded an error code: the code, the
// position when there is one, and the cause when the catalogue has it.
std::string describeCompileError(std::int32_t errorCode, std::int32_t errorPosition);

// The whole program: picks the platform, finds the executable's folder and
// runs the sequence there.
int scenarioBuilderMain();

}  // namespace sb::run
