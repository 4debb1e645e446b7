// Every source row declared once: per row kind, its value fields in file
// order with the name messages give them, the width the reader reads them
// in and how the compile keeps them. The passes read their rows through
// these declarations, the keyword table counts a row's values from them
// and the diagnostics name fields by them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "compiler/common/keywords.h"
#include "compiler/common/read_listener.h"

namespace sb::compiler {

// How the compile keeps a value once it is read and rounded.
enum class Storage : unsigned char {
    AsRead,        // kept whole
    Gradient,      // the value plus 100 in a byte: only its low 8 bits
    LowByte,       // only its low 8 bits
    Low16,         // only its low 16 bits
    Fifth,         // divided by 5 and rounded (speeds in steps of 5 km/h)
    StripeCount,   // low 16 bits, then packed with the other side's count in 16 bits
    MountainType,  // above 10: less 10 (and markers); then its low 8 bits
    SignalTime,    // 1 to 100 raised to 101; its low 8 bits when the first group is 2
};

struct RowField {
    std::string_view name;                // as messages name it
    NumberWidth width = NumberWidth::Int32;  // None: a text field
    Storage storage = Storage::AsRead;
    constexpr bool text() const { return width == NumberWidth::None; }
};

namespace rows {

constexpr NumberWidth Int32 = NumberWidth::Int32;
constexpr NumberWidth Int16 = NumberWidth::Int16;
constexpr NumberWidth UInt8 = NumberWidth::UInt8;
constexpr NumberWidth Text = NumberWidth::None;

inline constexpr RowField routeLength[] = {{"route length"}};
inline constexpr RowField kmPostThree[] = {{"kilometre-post set three position"},
                                           {"kilometre-post set three value"},
                                           {"kilometre-post set three flag"}};
inline constexpr RowField kmPostTwo[] = {{"kilometre-post set two position"},
                                         {"kilometre-post set two value"},
                                         {"kilometre-post set two flag"}};
inline constexpr RowField kmPostOne[] = {{"kilometre-post set one position"},
                                         {"kilometre-post set one value"},
                                         {"kilometre-post set one flag"}};
inline constexpr RowField backgroundOne[] = {{"background one"}};
inline constexpr RowField backgroundTwo[] = {{"background two"}};
inline constexpr RowField backgroundThree[] = {{"background three"}};
inline constexpr RowField signalRepetition[] = {{"signal-repetition start"}, {"signal-repetition end"}};
inline constexpr RowField gradient[] = {{"gradient position"}, {"gradient value", Int32, Storage::Gradient}};
inline constexpr RowField curve[] = {{"curve start"}, {"curve length"}};
inline constexpr RowField mountain[] = {
    {"mountain-stretch start"}, {"mountain-stretch end"}, {"mountain-stretch type", Int32, Storage::MountainType}};
inline constexpr RowField speedIndicator[] = {
    {"speed-indicator position"},
    {"speed-indicator speed a (side s)"},
    {"speed-indicator speed b (side s)"},
    {"speed-indicator speed c (side s)"},
    {"speed-indicator stripes (side s)", Int32, Storage::StripeCount},
    {"speed-indicator speed a (side d)", Int32, Storage::Fifth},
    {"speed-indicator speed b (side d)", Int32, Storage::Fifth},
    {"speed-indicator speed c (side d)", Int32, Storage::Fifth},
    {"speed-indicator stripes (side d)", Int32, Storage::StripeCount},
};
inline constexpr RowField board[] = {{"location-board position"}, {"location-board label", Text}};
inline constexpr RowField brakedMass[] = {{"braked mass"}};
inline constexpr RowField cars[] = {{"number of cars"}};
inline constexpr RowField lineSpeed[] = {{"line-speed position"}, {"line speed", Int32, Storage::Fifth}};
inline constexpr RowField adhesion[] = {{"adhesion position"}, {"adhesion value", Int32, Storage::LowByte}};
inline constexpr RowField clock[] = {{"clock hours", Int16}, {"clock minutes", Int16}, {"clock seconds", Int16}};
inline constexpr RowField sand[] = {{"sand value", Int16}};
inline constexpr RowField signal[] = {
    {"signal position"},
    {"signal first group"},
    {"signal first code 1"},
    {"signal first code 2"},
    {"signal first code 3"},
    {"signal auxiliary code"},
    {"signal second group"},
    {"signal second code 1"},
    {"signal second code 2"},
    {"signal second code 3"},
    {"signal time value", Int32, Storage::SignalTime},
};
inline constexpr RowField restriction[] = {
    {"restriction start"},
    {"restriction speed", Int32, Storage::Low16},
    {"restriction length"},
    {"restriction end flag", Int32, Storage::Low16},
    {"restriction markers flag"},
    {"restriction extra value", Int32, Storage::Low16},
};
inline constexpr RowField codePoint[] = {{"code-point position"}, {"code value"}};

// The station row is read in stages (its checks stop the reading midway),
// each value by its place in the row.
enum class StationField : unsigned char {
    position, kind, length, flagA, flagB, flagC, codeA1, codeA2, codeA3, codeB1, codeB2, codeB3,
    stopTime, hours, minutes, seconds, name,
};
inline constexpr RowField station[] = {
    {"station position"},
    {"station kind", UInt8},
    {"station length"},
    {"station flag A", UInt8},
    {"station flag B", UInt8},
    {"station flag C", UInt8},
    {"station code A1", Int16},
    {"station code A2", Int16},
    {"station code A3", UInt8},
    {"station code B1", Int16},
    {"station code B2", Int16},
    {"station code B3", Int16},
    {"station stop time", UInt8},
    {"station hours"},
    {"station minutes"},
    {"station seconds"},
    {"station name", Text},
};
static_assert(std::size(station) == static_cast<std::size_t>(StationField::name) + 1);

}  // namespace rows

// The fields of a row kind, in file order.
std::span<const RowField> rowFields(RowKind kind);

// How the compile keeps a value: the recorders store through these, and
// the diagnostics ask them what a value comes to.
std::uint8_t gradientByte(std::int32_t gradient);  // the gradient plus 100, low 8 bits
bool mountainMarkers(std::int32_t type);           // above 10: markers on every fourth cell
std::int32_t mountainType(std::int32_t type);      // less 10 with markers (before its low 8 bits)
std::int32_t signalTimeValue(std::int32_t time);   // 1 to 100 count as 101
std::int64_t stripeSum(std::int32_t left, std::int32_t right);  // side s × 10 + side d, each its low 16 bits

// What a value of a field stored so reads back as, in the author's units,
// and the range the place keeps exactly.
struct KeptValue {
    std::int64_t value;
    std::int64_t min;
    std::int64_t max;
};
KeptValue keptValue(Storage storage, std::int64_t value);

}  // namespace sb::compiler
