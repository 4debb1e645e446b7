// Which row put its feature into which cell: the rows of both sources
// replayed in the compile's order with the compile's own index rules, so
// that a message about a taken cell can point at the row that took it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "model/route_model.h"
#include "tools/source_trace.h"

namespace sb::tool {

struct CellClaim {
    const TracedSource* source = nullptr;
    const TracedRow* row = nullptr;
    std::string what;  // "the signal at 1250 m", "the warning point of the restriction at 2450 m"
};

class CellClaims {
public:
    // Replays every row read before `until` (all rows when it is nullptr).
    CellClaims(const SourceTrace& trace, const RouteModel& model, const TracedRow* until = nullptr);

    // The last row to put a feature into the cell, or nullptr.
    const CellClaim* at(std::int64_t cell) const;

    // The cells of one row, as the replay places them (later ones win).
    void place(const TracedSource& source, const TracedRow& row);

private:
    void claim(std::int64_t cell, const TracedSource& source, const TracedRow& row, std::string what);

    const RouteModel& model_;
    std::map<std::int64_t, CellClaim> claims_;
};

// The metre a row states first (its position or start), if it was read.
std::optional<std::int64_t> rowPosition(const TracedSource& source, const TracedRow& row);

// A station's area as the compile derives it; known when its values were read.
struct StationExtent {
    bool known = false;
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool stops = false;  // the train stops: the area's last cell is a stop cell
};
StationExtent stationExtent(const TracedSource& source, const TracedRow& row);

}  // namespace sb::tool
