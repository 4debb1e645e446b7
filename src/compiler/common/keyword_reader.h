// Keyword fields and dash skipping, as both source formats read them. A
// keyword field that contains "-" disables its row: it is passed over and
// the next field is read in its place.
#pragma once

#include <optional>
#include <string>

#include "compiler/common/field_reader.h"

namespace sb::compiler {

enum class DashSkipping {
    // The line file's header section: up to ten replacements in a row, the
    // tenth interpreted whatever it holds, with no end-of-data test between
    // them.
    Header,
    // The line file's feature section and the train file: at most two
    // replacements, the end of the data tested after each read.
    Section,
};

// The next keyword field of a section, marked as the start of its row, or
// nothing when the section ends: when no data remains before it, or after
// the field (or a replacement) is read, so that the last field of the data
// is never interpreted.
std::optional<std::string> nextKeyword(FieldReader& reader, DashSkipping skipping);

// Reads one field as a keyword: the start of a row.
std::string readKeywordField(FieldReader& reader);

}  // namespace sb::compiler
