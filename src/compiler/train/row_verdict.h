// How a row of the train file ends the train pass, if it does.
#pragma once

#include <cstdint>
#include <optional>

#include "model/error_codes.h"

namespace sb::compiler {

enum class PassFlow {
    Continue,    // the row is recorded; the pass reads on
    Completion,  // the pass ends through completion (profiles completed, kilometre posts checked)
    Abandon,     // the pass ends at once
};

struct RowVerdict {
    PassFlow flow = PassFlow::Continue;
    std::int32_t code = error::none;
    std::optional<std::int32_t> position;  // errorPosition, for the codes that set one
};

}  // namespace sb::compiler
