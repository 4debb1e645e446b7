// Orders the three kilometre-post sets of entries 81 to 83 and applies their flags.
#pragma once

#include "model/route_model.h"

namespace sb::compiler {

void orderKilometrePosts(RouteModel& model);

}  // namespace sb::compiler
