// Reading a row through its declaration (compiler/common/rows.h): each
// value in the width its field declares, so a row's shape is written once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "compiler/common/field_reader.h"
#include "compiler/common/rows.h"

namespace sb::compiler {

// Field Index of the row declared by Fields, read in its declared width:
// std::int32_t, std::int16_t, std::uint8_t or, for a text, std::string.
template <const auto& Fields, auto Index>
auto readField(FieldReader& reader) {
    constexpr RowField field = Fields[static_cast<std::size_t>(Index)];
    if constexpr (field.width == NumberWidth::Int32) {
        return reader.readInt32();
    } else if constexpr (field.width == NumberWidth::Int16) {
        return reader.readInt16();
    } else if constexpr (field.width == NumberWidth::UInt8) {
        return reader.readUInt8();
    } else {
        return reader.readText();
    }
}

template <std::size_t N>
constexpr bool allInt32(const RowField (&fields)[N]) {
    for (const RowField& field : fields) {
        if (field.width != NumberWidth::Int32) return false;
    }
    return true;
}

// Rows whose values are all 32-bit numbers, read in one go into a struct:
// members names where each declared field goes, in file order.
template <typename Row, std::size_t N>
using RowMembers = std::int32_t Row::* const[N];

template <const auto& Fields, typename Row, std::size_t N>
Row readInt32Row(FieldReader& reader, const RowMembers<Row, N>& members) {
    static_assert(std::size(Fields) == N, "a member for every declared field");
    static_assert(allInt32(Fields), "every field a 32-bit number");
    Row row{};
    for (std::int32_t Row::*member : members) row.*member = reader.readInt32();
    return row;
}

}  // namespace sb::compiler
