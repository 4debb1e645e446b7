#include "compiler/train/station_recorder.h"

#include "model/station_kinds.h"

namespace sb {

namespace {

RowVerdict stop(PassFlow flow, std::int32_t code, std::optional<std::int32_t> position = std::nullopt) {
    return RowVerdict{flow, code, position};
}

// Stations need room for their whole area: (position + 800) / 50 must not
// pass the last cell.
bool stationFitsCells(const RouteModel& model, std::int32_t position) {
    return (static_cast<double>(position) + 800.0) / 50.0 <= model.cellCount;
}

}  // namespace

void setStationArea(ScenarioEntry& entry, const StationKindInfo& kind, std::int32_t position, std::int32_t length) {
    switch (kind.area) {
        case StationArea::EndsPastStop:
            entry.longA = subLong(position, length);
            entry.longB = addLong(position, 150);
            break;
        case StationArea::Symmetric:
            entry.longA = subLong(position, length);
            entry.longB = addLong(position, length);
            break;
        case StationArea::Centred:
            entry.longA = toLong(position - length / 2.0);
            entry.longB = toLong(position + length / 2.0);
            if (entry.byteD != 0) entry.longB = addLong(entry.longB, 50);
            break;
    }
}

RowVerdict recordStation(RouteModel& model, FieldReader& reader, std::int32_t& stationCount) {
    const std::int32_t k = stationCount;
    ScenarioEntry& entry = entryAt(model, k);
    const std::int32_t position = reader.readLong();
    entry.longC = position;
    if (!stationFitsCells(model, position)) return stop(PassFlow::Completion, error::beyondCells, position);
    if (position % 50 != 0) return stop(PassFlow::Abandon, error::stationNotMultiple, position);
    entry.kind = reader.readByte();
    const std::int32_t length = reader.readLong();
    if (length % 100 != 0) return stop(PassFlow::Abandon, error::stationLengthNotMultiple, position);
    entry.byteA = reader.readByte();  // flag A
    entry.byteE = reader.readByte();  // flag B
    entry.byteD = reader.readByte();  // flag C: the area ends 50 m further
    entry.intA = reader.readInteger();
    entry.intB = reader.readInteger();
    entry.byteB = reader.readByte();
    entry.intC = reader.readInteger();
    entry.intD = reader.readInteger();
    entry.intE = reader.readInteger();
    entry.byteC = reader.readByte();  // stop time in seconds
    const std::int32_t hours = reader.readLong();
    const std::int32_t minutes = reader.readLong();
    const std::int32_t seconds = reader.readLong();
    entry.longD = addLong(mulLong(addLong(mulLong(hours, 60), minutes), 60), seconds);
    setEntryText(entry, reader.readText());

    const StationKindInfo& kind = stationKind(entry.kind);
    setStationArea(entry, kind, position, length);
    reader.tell([&](ReadListener& l) { l.stationArea(entry.longA, entry.longB); });
    // Flag C only counts for centred areas; flag B only for long stations,
    // and neither for the first station (after its area is fixed).
    if (kind.area != StationArea::Centred) entry.byteD = 0;
    if (length < 600) entry.byteE = 0;
    if (k == 1) {
        entry.byteD = 0;
        entry.byteE = 0;
    }

    const std::int64_t s = stopCell(entry.longB);
    if (kind.stopCell) {
        // A stop cell beyond the cells is out of range like any other feature.
        if (s > model.cellCount) return stop(PassFlow::Completion, error::beyondCells, position);
        if (kind.approachMarks) {
            for (std::int64_t j = 1; j <= 4; ++j) {
                if (s - j > 1) cellAt(model, s - j).approachMark = static_cast<std::uint8_t>(80 + j);
            }
        }
        if (s <= 1) return stop(PassFlow::Abandon, error::stationAreaTooEarly);
        RouteCell& stopCellRef = cellAt(model, s);
        // The stop cell is written whatever it held: a feature there is lost.
        reader.tell([&](ReadListener& l) {
            if (!isFree(stopCellRef.kind)) l.featureReplaced(s, CellFeature::StationStop);
            l.cellClaimed(s, CellFeature::StationStop);
        });
        stopCellRef.kind = cellkind::stationStop;
        stopCellRef.value1 = toInteger(static_cast<std::int64_t>(k));
    }
    if (k > 1 && subLong(entry.longA, 350) < entryAt(model, k - 1).longB) {
        return stop(PassFlow::Abandon, error::stationsTooClose, position);
    }
    stationCount = addLong(stationCount, 1);
    if (stationCount >= model.nextBoardEntry) return stop(PassFlow::Abandon, error::tooManyStations);
    return RowVerdict{};
}

}  // namespace sb
