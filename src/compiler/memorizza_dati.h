// Compiles both source files into the route model: the line pass, then the
// train pass, under one failure handler that turns any run-time failure into
// errorCode 25.
#pragma once

#include "compiler/common/source_files.h"
#include "model/route_model.h"

namespace sb {

void memorizza_dati(RouteModel& model, SourceFiles& sources);

}  // namespace sb
