// What every value of every row means to an author: its name in messages,
// its unit, where the compile stores it and what range makes sense. The
// warnings and the error messages read this table; the authors' reference
// describes the same ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "compiler/common/keywords.h"
#include "compiler/common/read_listener.h"
#include "compiler/common/rows.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

// A value's name, width and storage come from the compile's declaration
// of its row (compiler/common/rows.h); its unit and sensible range are the
// authors' business, and kept here.
struct FieldRule {
    std::string_view name;  // as messages name it
    std::string_view unit;  // "m", "km/h", "‰", "%", "s" or empty
    bool text = false;
    NumberWidth width = NumberWidth::Int32;
    Storage storage = Storage::AsRead;
    // A fraction is rounded away; false where whole units are all the place
    // resolves anyway (a gradient of -1.4 ‰ is -1 ‰ in a cell).
    bool fractionMatters = true;
    bool position = false;  // a position along the line
    std::optional<std::int64_t> min;  // the range that makes sense
    std::optional<std::int64_t> max;
    std::int64_t step = 1;    // values that make sense are multiples of this
    // What goes wrong below the range, said instead of the bare minimum.
    std::string_view why;
};

// The rules of a row's values, in reading order.
std::span<const FieldRule> rowRules(RowKind kind);

// "a 32-bit number (-2147483648 to 2147483647)" and the like.
std::string_view widthDescription(NumberWidth width);
bool fitsWidth(double roundedValue, NumberWidth width);

// Longest station name the train sheet shows, and longest board label.
inline constexpr std::size_t stationNameShown = 27;
inline constexpr std::size_t boardLabelShown = 24;

}  // namespace sb::diagnostics
