// The train pass: reads the train source file into the route model after
// the line pass, then completes the profiles and checks the kilometre posts.
#pragma once

#include <string>

#include "compiler/common/field_reader.h"
#include "compiler/common/source_files.h"
#include "model/route_model.h"

namespace sb::compiler {

// Reads the train source file (already read whole into reader) and deletes
// it through sources, as the rules say, on every way out but a run-time
// failure (which the caller's failure handler covers).
void readTrainFile(RouteModel& model, FieldReader& reader, SourceFiles& sources, const std::string& sourceName);

}  // namespace sb::compiler
