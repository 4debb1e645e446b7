// The diagnostics speak the compiler's vocabulary: row kinds, fields, the
// facts its listener hears and its constants are used here by their names.
#pragma once

namespace sb::compiler {}

namespace sb::diagnostics {
using namespace sb::compiler;
}  // namespace sb::diagnostics
