// The compile: both source files read into the route model (the line pass,
// then the train pass, under one failure handler), then the finishing pass,
// the format marks and the scenario codes. Bytes in, model out: nothing here
// touches the disk.
#pragma once

#include <string>

#include "compiler/common/read_listener.h"
#include "compiler/common/source_files.h"
#include "model/route_model.h"

namespace sb {

// Both passes over the sources named from model.lineName and
// model.trainNumber. Any run-time failure inside them becomes errorCode 25:
// the source files still present are deleted and the compile goes on. A
// listener, when given, hears how both sources are read.
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

}  // namespace sb
