#include "compiler/train/station_recorder.h"

#include "compiler/common/row_fields.h"
#include "model/station_kinds.h"

namespace sb::compiler {

namespace {

RowVerdict stop(PassFlow flow, std::int32_t code, std::optional<std::int32_t> position = std::nullopt) {
    return RowVerdict{flow, code, position};
}

}  // namespace

// (position + 800) / 50 must not pass the last cell.
bool stationFitsCells(const RouteModel& model, std::int32_t position) {
    return (static_cast<double>(position) + 800.0) / 50.0 <= model.cellCount;
}

void setStationArea(const StationEntry& station, const StationKindInfo& kind, std::int32_t position,
                    std::int32_t length) {
    switch (kind.area) {
        case StationArea::EndsPastStop:
            station.areaStart = subInt32(position, length);
            station.areaEnd = addInt32(position, 150);
            break;
        case StationArea::Symmetric:
            station.areaStart = subInt32(position, length);
            station.areaEnd = addInt32(position, length);
            break;
        case StationArea::Centred:
            station.areaStart = toInt32(position - length / 2.0);
            station.areaEnd = toInt32(position + length / 2.0);
            if (station.flagC != 0) station.areaEnd = addInt32(station.areaEnd, 50);
            break;
    }
}

RowVerdict recordStation(RouteModel& model, FieldReader& reader, std::int32_t& stationCount) {
    using F = rows::StationField;
    const std::int32_t k = stationCount;
    ScenarioEntry& entry = entryAt(model, k);
    const StationEntry station(entry);
    const std::int32_t position = readField<rows::station, F::position>(reader);
    station.position = position;
    if (!stationFitsCells(model, position)) return stop(PassFlow::Completion, error::beyondCells, position);
    if (position % cellMetres != 0) return stop(PassFlow::Abandon, error::stationNotMultiple, position);
    station.kind = readField<rows::station, F::kind>(reader);
    const std::int32_t length = readField<rows::station, F::length>(reader);
    if (length % stationLengthStep != 0) return stop(PassFlow::Abandon, error::stationLengthNotMultiple, position);
    station.flagA = readField<rows::station, F::flagA>(reader);
    station.flagB = readField<rows::station, F::flagB>(reader);
    station.flagC = readField<rows::station, F::flagC>(reader);
    station.codeA1 = readField<rows::station, F::codeA1>(reader);
    station.codeA2 = readField<rows::station, F::codeA2>(reader);
    station.codeA3 = readField<rows::station, F::codeA3>(reader);
    station.codeB1 = readField<rows::station, F::codeB1>(reader);
    station.codeB2 = readField<rows::station, F::codeB2>(reader);
    station.codeB3 = readField<rows::station, F::codeB3>(reader);
    station.stopTime = readField<rows::station, F::stopTime>(reader);
    const std::int32_t hours = readField<rows::station, F::hours>(reader);
    const std::int32_t minutes = readField<rows::station, F::minutes>(reader);
    const std::int32_t seconds = readField<rows::station, F::seconds>(reader);
    station.scheduledTime = blaming(static_cast<std::size_t>(F::hours), [&] {
        return addInt32(mulInt32(addInt32(mulInt32(hours, 60), minutes), 60), seconds);
    });
    setEntryText(entry, readField<rows::station, F::name>(reader));

    const StationKindInfo& kind = stationKind(station.kind);
    setStationArea(station, kind, position, length);
    reader.tell([&](ReadListener& l) { l.stationArea(station.areaStart, station.areaEnd); });
    // Flag C only counts for centred areas; flag B only for long stations,
    // and neither for the first station (after its area is fixed).
    if (kind.area != StationArea::Centred) station.flagC = 0;
    if (length < 600) station.flagB = 0;
    if (k == 1) {
        station.flagC = 0;
        station.flagB = 0;
    }

    const std::int64_t s = stopCell(station.areaEnd);
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
        stopCellRef.value1 = toInt16(static_cast<std::int64_t>(k));
    }
    if (k > 1 && subInt32(station.areaStart, stationSpacing) < StationEntry(entryAt(model, k - 1)).areaEnd) {
        return stop(PassFlow::Abandon, error::stationsTooClose, position);
    }
    stationCount = addInt32(stationCount, 1);
    if (stationCount >= model.nextBoardEntry) return stop(PassFlow::Abandon, error::tooManyStations);
    return RowVerdict{};
}

}  // namespace sb::compiler
