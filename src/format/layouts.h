// The records of the compiled files, each declared once: its fields in file
// order, with the wire type of each and the member it reads and writes. The
// encoder, the decoder, the byte dump and the listings all walk these
// declarations, so they cannot drift apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>

#include "model/route_model.h"

namespace sb::format {

enum class Wire : std::uint8_t {
    U8,      // unsigned 8
    I16,     // signed 16, little-endian
    U16,     // unsigned 16, little-endian
    I32,     // signed 32, little-endian
    F64,     // IEEE 754 binary64, little-endian
    Text16,  // unsigned 16 length, then that many single-byte characters
};

// Bytes a field takes; a text counts its length field only.
constexpr std::size_t wireSize(Wire wire) {
    switch (wire) {
        case Wire::U8: return 1;
        case Wire::I16: return 2;
        case Wire::U16: return 2;
        case Wire::I32: return 4;
        case Wire::F64: return 8;
        case Wire::Text16: return 2;
    }
    return 0;
}

template <typename Record, typename Value>
struct Field {
    std::string_view name;
    Wire wire;
    Value Record::*member;
};

// The wire type follows from the member's type.
template <typename Record>
constexpr Field<Record, std::uint8_t> field(std::string_view name, std::uint8_t Record::*member) {
    return {name, Wire::U8, member};
}
template <typename Record>
constexpr Field<Record, std::int16_t> field(std::string_view name, std::int16_t Record::*member) {
    return {name, Wire::I16, member};
}
template <typename Record>
constexpr Field<Record, std::int32_t> field(std::string_view name, std::int32_t Record::*member) {
    return {name, Wire::I32, member};
}
template <typename Record>
constexpr Field<Record, std::string> field(std::string_view name, std::string Record::*member) {
    return {name, Wire::Text16, member};
}

template <typename Record, typename... Fields>
struct Layout {
    using RecordType = Record;
    std::string_view record;  // how messages and dumps name one record
    std::tuple<Fields...> fields;

    // Calls visit(field) for every field in file order.
    template <typename Visit>
    constexpr void forEach(Visit&& visit) const {
        std::apply([&](const auto&... f) { (visit(f), ...); }, fields);
    }

    // The record's size without the characters of its texts.
    constexpr std::size_t fixedSize() const {
        std::size_t size = 0;
        forEach([&](const auto& f) { size += wireSize(f.wire); });
        return size;
    }
};

template <typename Record, typename... Fields>
constexpr Layout<Record, Fields...> layout(std::string_view record, Fields... fields) {
    return {record, {fields...}};
}

// The cell file: one record per cell, cell 0 first.
inline constexpr auto cellLayout = layout<RouteCell>(
    "cell", field("kind", &RouteCell::kind), field("value1", &RouteCell::value1), field("value2", &RouteCell::value2),
    field("value3", &RouteCell::value3), field("value4", &RouteCell::value4),
    field("signalTime", &RouteCell::signalTime), field("approachMark", &RouteCell::approachMark),
    field("mountainType", &RouteCell::mountainType), field("lineSpeed", &RouteCell::lineSpeed),
    field("gradient", &RouteCell::gradient), field("adhesion", &RouteCell::adhesion));
static_assert(cellLayout.fixedSize() == 15);

// The scenario-table file: the 87 entries in index order, each 34 bytes
// plus the characters of its text.
inline constexpr auto entryLayout = layout<ScenarioEntry>(
    "entry", field("kind", &ScenarioEntry::kind), field("longA", &ScenarioEntry::longA),
    field("longB", &ScenarioEntry::longB), field("longC", &ScenarioEntry::longC), field("byteA", &ScenarioEntry::byteA),
    field("text", &ScenarioEntry::text), field("intA", &ScenarioEntry::intA), field("intB", &ScenarioEntry::intB),
    field("intC", &ScenarioEntry::intC), field("intD", &ScenarioEntry::intD), field("intE", &ScenarioEntry::intE),
    field("byteB", &ScenarioEntry::byteB), field("byteC", &ScenarioEntry::byteC), field("byteD", &ScenarioEntry::byteD),
    field("byteE", &ScenarioEntry::byteE), field("longD", &ScenarioEntry::longD));
static_assert(entryLayout.fixedSize() == 34);

inline constexpr std::size_t cellRecordSize = cellLayout.fixedSize();
inline constexpr std::size_t entryFixedSize = entryLayout.fixedSize();

// The line profile file: every element of the first axis, metre 0 up, then
// every element of the second. An element is a "type" tag (unsigned 16),
// then a "value" whose wire type the tag selects.
struct ProfileTag {
    ProfileType type;
    std::uint16_t tag;
    std::string_view name;
    bool hasValue;
    Wire valueWire;
};

inline constexpr ProfileTag profileTags[] = {
    {ProfileType::Empty, 0, "empty", false, Wire::U8},
    {ProfileType::Integer, 2, "integer", true, Wire::I16},
    {ProfileType::Double, 5, "double", true, Wire::F64},
};
inline constexpr std::string_view profileRecord = "element";
inline constexpr std::size_t profileTagSize = wireSize(Wire::U16);

constexpr const ProfileTag& profileTag(ProfileType type) {
    for (const ProfileTag& t : profileTags) {
        if (t.type == type) return t;
    }
    return profileTags[0];
}

// The tag's row, or nullptr for a tag no profile file holds.
constexpr const ProfileTag* findProfileTag(std::uint16_t tag) {
    for (const ProfileTag& t : profileTags) {
        if (t.tag == tag) return &t;
    }
    return nullptr;
}

constexpr std::size_t profileElementSize(ProfileType type) {
    const ProfileTag& t = profileTag(type);
    return profileTagSize + (t.hasValue ? wireSize(t.valueWire) : 0);
}
static_assert(profileElementSize(ProfileType::Empty) == 2 && profileElementSize(ProfileType::Integer) == 4 &&
              profileElementSize(ProfileType::Double) == 10);

// The largest file of each kind a compile can write: the longest route, every
// profile element a double, every text as long as its length field allows.
inline constexpr std::uint64_t maxCellCount = (maxRouteLength + routeTailMetres + cellMetres / 2) / cellMetres;
inline constexpr std::uint64_t maxCellFileBytes = (maxCellCount + 1) * cellRecordSize;
inline constexpr std::uint64_t maxScenarioTableFileBytes = scenarioEntryCount * (entryFixedSize + 0xFFFF);
inline constexpr std::uint64_t maxLineProfileFileBytes =
    2 * (static_cast<std::uint64_t>(maxRouteLength) + routeTailMetres + 1) * profileElementSize(ProfileType::Double);
static_assert(maxCellCount == 20140);

}  // namespace sb::format
