// The kinds of a route cell: one table that the recorders' constants,
// messages, listings and the route page all read.
#pragma once

#include <cstdint>
#include <string_view>

namespace sb {

namespace cellkind {
inline constexpr std::uint8_t plain = 0;
inline constexpr std::uint8_t signal = 1;
inline constexpr std::uint8_t restrictionEnd = 2;
inline constexpr std::uint8_t restrictionStart = 3;
inline constexpr std::uint8_t restrictionWarning = 4;
inline constexpr std::uint8_t restrictionMarker = 5;
inline constexpr std::uint8_t speedIndicator = 6;
inline constexpr std::uint8_t stationStop = 10;
inline constexpr std::uint8_t mountainFiller = 11;
inline constexpr std::uint8_t codePoint = 12;
inline constexpr std::uint8_t codePointWithoutValue = 13;
inline constexpr std::uint8_t locationBoard = 14;
}  // namespace cellkind

struct CellKindInfo {
    std::uint8_t kind;
    std::string_view name;         // short English name
    std::string_view description;  // what the cell holds, for listings and references
};

inline constexpr CellKindInfo cellKinds[] = {
    {cellkind::plain, "plain", "no point feature"},
    {cellkind::signal, "signal", "value1..3: group codes (first * 10 + second); value4: aux * 10 + first group * 3 + second group"},
    {cellkind::restrictionEnd, "restriction end", "value1: speed; value2: point value; value3: point flag"},
    {cellkind::restrictionStart, "restriction start", "value1: speed; value2: point value; value3: point flag"},
    {cellkind::restrictionWarning, "restriction warning point", "value1: speed; value2: point value"},
    {cellkind::restrictionMarker, "restriction approach marker", "value1: 1 to 4, nearest the warning point first"},
    {cellkind::speedIndicator, "speed indicator", "value1..3: speeds packed per side; value4: stripes left * 10 + right"},
    {cellkind::stationStop, "station stop", "value1: the station's scenario-table entry"},
    {cellkind::mountainFiller, "mountain filler", "every fourth cell of a marked mountain stretch; counts as free"},
    {cellkind::codePoint, "code point", "value1: code value"},
    {cellkind::codePointWithoutValue, "code point without value", "value1 kept"},
    {cellkind::locationBoard, "location board", "value1: the label's scenario-table entry"},
};

// The table's row for a kind, or nullptr for a kind no compile writes.
const CellKindInfo* findCellKind(std::uint8_t kind);
// The kind's name, "unknown kind" for one not in the table.
std::string_view cellKindName(std::uint8_t kind);

// Free cells accept a point feature: plain cells and mountain fillers.
constexpr bool isFree(std::uint8_t kind) { return kind == cellkind::plain || kind == cellkind::mountainFiller; }

}  // namespace sb
