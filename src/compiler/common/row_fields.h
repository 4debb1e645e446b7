// Rows whose values are all 32-bit numbers, read in one go: each row struct
// names its fields in file order, so readers and messages share the names.
#pragma once

#include <cstdint>
#include <string_view>

#include "compiler/common/field_reader.h"

namespace sb {

template <typename Row>
struct LongField {
    std::string_view name;
    std::int32_t Row::*member;
};

// Reads every field of the row in order; a failure leaves the row unused.
template <typename Row, std::size_t N>
Row readLongRow(FieldReader& reader, const LongField<Row> (&fields)[N]) {
    Row row{};
    for (const LongField<Row>& field : fields) row.*field.member = reader.readLong();
    return row;
}

}  // namespace sb
