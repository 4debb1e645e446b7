// The line pass: reads the line source file's header and feature sections
// into the route model.
#pragma once

#include <string>

#include "compiler/common/field_reader.h"
#include "compiler/line/profile.h"
#include "model/route_model.h"

namespace sb::compiler {

enum class LinePassEnd {
    EndOfLineFile,  // the feature loop ended (end of data, or errorCode 15): the tails and the train pass follow
    Abandoned,      // abandonLineFile: errorCode set, the compile ends
};

// Runs from the header search to the end of the feature loop. The caller
// deletes the line source file and runs the tails.
LinePassEnd readLineFile(RouteModel& model, FieldReader& reader, LineCursors& cursors, const std::string& sourceName);

// The tails after the line source file is closed: gradient to the end of
// the cells, and the profile to its end when it is built.
void finishLineFile(RouteModel& model, LineCursors& cursors);

}  // namespace sb::compiler
