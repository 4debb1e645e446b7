#include "tools/cell_claims.h"

#include "compiler/train/restriction_recorder.h"
#include "compiler/train/station_recorder.h"
#include "model/station_kinds.h"
#include "tools/diagnostic.h"
#include "tools/trace_view.h"

namespace sb::tool {

namespace {

bool complete(const TracedRow& row) {
    return row.values.size() >= static_cast<std::size_t>(keywordInfo(row.kind).values);
}

std::optional<RestrictionRow> restrictionRow(const TracedSource& source, const TracedRow& row) {
    RestrictionRow r{};
    std::int32_t* fields[] = {&r.start, &r.speed, &r.length, &r.pointFlag, &r.markApproach, &r.pointValue};
    for (std::size_t i = 0; i < 6; ++i) {
        const auto value = TraceView::wholeValue(source, row, i);
        if (!value) return std::nullopt;
        *fields[i] = static_cast<std::int32_t>(*value);
    }
    return r;
}

}  // namespace

std::optional<std::int64_t> rowPosition(const TracedSource& source, const TracedRow& row) {
    return TraceView::wholeValue(source, row, 0);
}

StationExtent stationExtent(const TracedSource& source, const TracedRow& row) {
    const auto position = TraceView::wholeValue(source, row, 0);
    const auto kind = TraceView::wholeValue(source, row, 1);
    const auto length = TraceView::wholeValue(source, row, 2);
    const auto flagC = TraceView::wholeValue(source, row, 5);
    if (!position || !kind || !length || !flagC || *kind < 0 || *kind > 255 || *flagC < 0 || *flagC > 255) {
        return {};
    }
    const StationKindInfo& info = stationKind(static_cast<std::uint8_t>(*kind));
    ScenarioEntry entry;
    entry.byteD = static_cast<std::uint8_t>(*flagC);
    try {
        setStationArea(entry, info, static_cast<std::int32_t>(*position), static_cast<std::int32_t>(*length));
    } catch (const RunTimeFailure&) {
        return {};
    }
    return StationExtent{true, entry.longA, entry.longB, info.stopCell};
}

CellClaims::CellClaims(const SourceTrace& trace, const RouteModel& model, const TracedRow* until) : model_(model) {
    for (const TracedSource& source : trace.sources()) {
        for (const TracedRow& row : source.rows) {
            if (&row == until) return;
            place(source, row);
        }
    }
}

const CellClaim* CellClaims::at(std::int64_t cell) const {
    const auto it = claims_.find(cell);
    return it == claims_.end() ? nullptr : &it->second;
}

void CellClaims::claim(std::int64_t cell, const TracedSource& source, const TracedRow& row, std::string what) {
    claims_[cell] = CellClaim{&source, &row, std::move(what)};
}

void CellClaims::place(const TracedSource& source, const TracedRow& row) {
    if (!complete(row)) return;
    const auto position = rowPosition(source, row);
    if (!position) return;
    const std::string at = " at " + withUnit(*position, "m");
    const bool fits = fitsCells(model_, *position);
    switch (row.kind) {
        case RowKind::board:
            if (fits && hasCell(model_, pointCell(*position))) {
                claim(pointCell(*position), source, row,
                      "the location board " + quotedToken(source.text(row.values[1])) + at);
            }
            break;
        case RowKind::speedIndicator:
            if (fits && hasCell(model_, pointCell(*position))) {
                claim(pointCell(*position), source, row, "the speed indicator" + at);
            }
            break;
        case RowKind::signal:
            if (fits && hasCell(model_, pointCell(*position))) claim(pointCell(*position), source, row, "the signal" + at);
            break;
        case RowKind::codePoint:
            if (fits && hasCell(model_, codeCell(*position))) claim(codeCell(*position), source, row, "the code point" + at);
            break;
        case RowKind::restriction: {
            const std::optional<RestrictionRow> r = restrictionRow(source, row);
            if (!r || !fits || !restrictionCellsExist(model_, r->start, r->length)) break;
            RestrictionCells cells;
            try {
                cells = restrictionCells(*r);
            } catch (const RunTimeFailure&) {
                break;
            }
            const std::string of = " of the restriction" + at;
            claim(cells.end, source, row, "the end" + of);
            claim(cells.start, source, row, "the start" + of);
            if (cells.hasWarning) claim(cells.warning, source, row, "the warning point" + of);
            if (cells.markApproach) {
                for (std::int64_t i = 0; i <= 3; ++i) claim(cells.firstMarker - i, source, row, "a warning marker" + of);
            }
            break;
        }
        case RowKind::station: {
            const StationExtent extent = stationExtent(source, row);
            if (!extent.known || !extent.stops) break;
            const std::int64_t stop = stopCell(extent.end);
            if (stop > 1 && hasCell(model_, stop)) {
                claim(stop, source, row, "the stop cell of the station " + quotedToken(source.text(row.values[16])) + at);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace sb::tool
