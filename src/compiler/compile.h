// The compile: both source files read into the route model (the line pass,
// then the train pass, under one failure handler), then the finishing pass,
// the format marks and the scenario codes. Bytes in, model out: nothing here
// touches the disk.
#pragma once

#include <string>

#include "compiler/common/read_listener.h"
#include "compiler/common/source_files.h"
#include "model/route_model.h"

namespace sb::compiler {

// Both passes over the sources named from model.lineName and
// model.trainNumber. A run-time failure of the data inside them (a number
// too large for its field, a row cut short by the end of the data) becomes
// errorCode 25: the source files still present are deleted and the compile
// goes on. A source file that cannot be opened, read or deleted is not the
// data's fault: its SourceFileError leaves the compile, and the caller must
// not write compiled files from what was read. A listener, when given,
// hears how both sources are read.
void compileSources(RouteModel& model, SourceFiles& sources, ReadListener* listener = nullptr);

struct CompileOutcome {
    // "1250" or "1251" when a format mark's place was taken: the run must end
    // with the fatal error and no compiled file is written. Empty otherwise.
    std::string fatal;
};

// Reset, both passes, finishing pass, format marks and scenario codes. The
// model is complete unless outcome.fatal is set. withProfile says whether
// the line profile is built.
CompileOutcome compileModel(RouteModel& model, bool withProfile, SourceFiles& sources,
                            ReadListener* listener = nullptr);

}  // namespace sb::compiler
