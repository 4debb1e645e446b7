// What a station's kind code decides: the extent of its area, whether the
// train stops (a stop cell) and whether the four cells before the stop get
// approach marks. One table that the station recorder, listings and the
// route page read.
#pragma once

#include <cstdint>
#include <string_view>

namespace sb {

enum class StationArea {
    Centred,        // position - length / 2 to position + length / 2 (+ 50 with the third flag)
    EndsPastStop,   // position - length to position + 150
    Symmetric,      // position - length to position + length
};

struct StationKindInfo {
    std::uint8_t first;
    std::uint8_t last;
    std::string_view name;
    StationArea area;
    bool stopCell;       // the train stops: the area's last cell is a stop cell
    bool approachMarks;  // the four cells before the stop cell are marked
};

inline constexpr StationKindInfo stationKinds[] = {
    {0, 4, "stop", StationArea::Centred, true, true},
    {5, 6, "terminus", StationArea::EndsPastStop, true, false},
    {7, 8, "stop with a long area", StationArea::Symmetric, true, true},
    {9, 24, "stop", StationArea::Centred, true, true},
    {25, 255, "pass", StationArea::Centred, false, false},
};

const StationKindInfo& stationKind(std::uint8_t kind);

}  // namespace sb
