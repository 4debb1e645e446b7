#include "diagnostics/error_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>

#include "compiler/common/rows.h"
#include "compiler/line/profile.h"
#include "compiler/train/restriction_recorder.h"
#include "compiler/train/station_recorder.h"
#include "model/entry_views.h"
#include "model/error_codes.h"
#include "model/scenario_table.h"
#include "diagnostics/keyword_suggestions.h"
#include "diagnostics/row_rules.h"
#include "diagnostics/warnings.h"

namespace sb::diagnostics {

namespace {

std::string codeSuffix(std::int32_t code, std::optional<std::int32_t> position) {
    std::string text = "(code " + std::to_string(code);
    if (position && error::hasPosition(code)) text += " at " + std::to_string(*position) + " m";
    return text + ")";
}

std::string metres(std::int64_t value) { return withUnit(value, "m"); }

// A decimal number by its form alone: sign, digits with an optional
// fraction, an optional exponent. (Such a token fails to read only when it
// is too large for any field.)
bool looksDecimal(std::string_view text) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t count = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        count += digits();
    }
    if (count == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == text.size();
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class ErrorReport {
public:
    ErrorReport(const TraceView& view, const CompileFacts& facts)
        : view_(view), trace_(view.trace()), model_(facts.model), facts_(facts) {}

    CompileErrors run() {
        CompileErrors out;
        if (model_.errorCode == error::lineFileMissing && trace_.sources().empty()) {
            out.line.push_back(view_.atFile(SourceRole::Line, Severity::Error,
                                            "the line source file does not exist " +
                                                codeSuffix(error::lineFileMissing, {}),
                                            error::lineFileMissing));
        }
        const TracedSource* line = view_.source(SourceRole::Line);
        const bool noRouteLength = line != nullptr && line->dataStarted && !hasRow(*line, RowKind::routeLength);
        std::optional<std::size_t> lineBeyond;
        for (const TracedSource& source : trace_.sources()) {
            std::vector<Diagnostic>& into = source.role == SourceRole::Line ? out.line : out.train;
            for (const TracedError& e : source.errors) {
                const bool beyond = e.code == error::beyondCells;
                // Without a route length no feature fits; the missing row is the error to report.
                if (source.role == SourceRole::Line && beyond && noRouteLength) continue;
                if (source.role == SourceRole::Train && beyond && lineBeyond && e.carriedOver) {
                    out.line[*lineBeyond].notes.push_back(carriedNote(source, e));
                    continue;
                }
                into.push_back(explain(source, e));
                if (source.role == SourceRole::Line && beyond) lineBeyond = out.line.size() - 1;
            }
        }
        if (const auto& failure = trace_.failure()) {
            const bool inLine = failure->source && trace_.sources()[*failure->source].role == SourceRole::Line;
            (inLine ? out.line : out.train).push_back(explainFailure(*failure));
        }
        const std::int32_t code = model_.errorCode;
        if (code == error::noCellBeforeSignal || code == error::noCellBeforeRestriction ||
            code == error::noCellInsideRestriction) {
            out.end.push_back(explainFinishing(code, model_.errorPosition));
        }
        if (!facts_.fatal.empty()) out.end.push_back(explainFatal());
        for (const TracedLoss& loss : trace_.losses()) {
            if (loss.lost.byFinishingPass()) continue;
            const TracedSource& source = trace_.sources()[static_cast<std::size_t>(loss.lost.source)];
            const TracedRow* row = rowOf(source, loss.lost.row);
            if (row == nullptr) continue;
            Diagnostic d = view_.at(source, value(row, 0).value_or(row->keyword), Severity::Warning,
                                    describe(loss.lost) + " is dropped: cell " + std::to_string(loss.cell) + " is " +
                                        describe(loss.by) + " [" + std::string(featureDropped) + "]");
            d.id = featureDropped;
            addClaimNote(d, loss.by, loss.cell);
            (source.role == SourceRole::Line ? out.lineLosses : out.trainLosses).push_back(std::move(d));
        }
        return out;
    }

private:
    // --- places

    Diagnostic error(const TracedSource& source, std::optional<std::size_t> field, const TracedRow* row,
                     const std::string& message, std::int32_t code) const {
        if (field) return view_.at(source, *field, Severity::Error, message, code);
        if (row != nullptr) return view_.at(source, row->keyword, Severity::Error, message, code);
        return view_.atFile(source.role, Severity::Error, message, code);
    }

    Diagnostic note(const TracedSource& source, std::size_t field, const std::string& message) const {
        return view_.at(source, field, Severity::Note, message);
    }

    // The claim of the feature a code point of the finishing pass serves,
    // or the claim itself for a row's feature; nullptr when no row is known.
    const CellClaim* rowClaim(const CellClaim& claim) const {
        if (!claim.byFinishingPass()) return &claim;
        const CellClaim* served = trace_.claim(claim.forCell);
        return served != nullptr && !served->byFinishingPass() ? served : nullptr;
    }

    // What a claim put into its cell, as the author wrote it: "the signal at 1250 m".
    std::string describe(const CellClaim& claim) const {
        const CellClaim* owner = rowClaim(claim);
        if (owner == nullptr) return "a code point the compiler adds";
        const TracedSource& source = trace_.sources()[static_cast<std::size_t>(owner->source)];
        const TracedRow* row = rowOf(source, owner->row);
        if (row == nullptr) return "a feature";
        if (owner != &claim) return "the code point the compiler adds for " + describe(*owner);
        const std::string at = " at " + metres(whole(source, row, 0).value_or(0));
        auto named = [&](std::size_t field) {
            return row->values.size() > field ? quotedToken(source.text(row->values[field])) : std::string("?");
        };
        switch (claim.feature) {
            case CellFeature::Board: return "the location board " + named(1) + at;
            case CellFeature::SpeedIndicator: return "the speed indicator" + at;
            case CellFeature::Signal: return "the signal" + at;
            case CellFeature::CodePoint: return "the code point" + at;
            case CellFeature::RestrictionWarning: return "the warning point of the restriction" + at;
            case CellFeature::RestrictionStart: return "the start of the restriction" + at;
            case CellFeature::RestrictionEnd: return "the end of the restriction" + at;
            case CellFeature::RestrictionMarker: return "a warning marker of the restriction" + at;
            case CellFeature::StationStop: return "the stop cell of the station " + named(static_cast<std::size_t>(rows::StationField::name)) + at;
        }
        return "a feature";
    }

    // A note at the row that put a feature in a cell (for a code point the
    // compiler added, the row of the feature it serves).
    std::optional<Diagnostic> claimNote(const CellClaim& claim, std::int64_t cell) const {
        const CellClaim* owner = rowClaim(claim);
        if (owner == nullptr) return std::nullopt;
        const TracedSource& source = trace_.sources()[static_cast<std::size_t>(owner->source)];
        const TracedRow* row = rowOf(source, owner->row);
        if (row == nullptr) return std::nullopt;
        const std::size_t field = row->values.empty() ? row->keyword : row->values.front();
        return note(source, field, describe(claim) + " takes cell " + std::to_string(cell) + " here");
    }

    void addClaimNote(Diagnostic& d, const std::optional<CellClaim>& claim, std::int64_t cell) const {
        if (!claim) return;
        if (auto n = claimNote(*claim, cell)) d.notes.push_back(std::move(*n));
    }

    // Who holds a cell: the feature a row or the finishing pass put there,
    // else the kind the cell holds.
    std::string holder(const std::optional<CellClaim>& claim, std::int64_t cell) const {
        if (claim) return describe(*claim);
        if (hasCell(model_, cell)) return "a " + std::string(cellKindName(cellAt(model_, cell).kind));
        return "a feature";
    }

    // The area the compile gave a station row, when it got that far.
    const TracedStationArea* areaOf(const TracedSource& source, const TracedRow* row) const {
        if (row == nullptr) return nullptr;
        return source.stationArea(static_cast<int>(row - source.rows.data()));
    }

    static bool hasRow(const TracedSource& source, RowKind kind) {
        return std::any_of(source.rows.begin(), source.rows.end(), [kind](const TracedRow& r) { return r.kind == kind; });
    }

    static std::optional<std::size_t> value(const TracedRow* row, std::size_t i) {
        if (row == nullptr) return std::nullopt;
        return TraceView::valueField(*row, i);
    }

    static std::optional<std::int64_t> whole(const TracedSource& source, const TracedRow* row, std::size_t i) {
        if (row == nullptr) return std::nullopt;
        return TraceView::wholeValue(source, *row, i);
    }

    static std::string fieldName(const TracedRow& row, std::size_t i) {
        const std::span<const FieldRule> rules = rowRules(row.kind);
        return i < rules.size() ? std::string(rules[i].name) : "value";
    }

    std::int64_t lastCell() const { return model_.cellCount; }
    std::string cellsEnd() const {
        return "the cells end at " + metres(cellMetres * static_cast<std::int64_t>(lastCell())) + " (the route length, " +
               metres(trainRoute(model_).routeLength) + ", and " + metres(routeTailMetres) + " after it)";
    }

    const TracedRow* rowOf(const TracedSource& source, int index) const {
        return index >= 0 && static_cast<std::size_t>(index) < source.rows.size()
                   ? &source.rows[static_cast<std::size_t>(index)]
                   : nullptr;
    }

    // --- errors recorded by the passes

    Diagnostic explain(const TracedSource& source, const TracedError& e) const {
        const TracedRow* row = rowOf(source, e.row);
        const std::string suffix = " " + codeSuffix(e.code, e.position);
        switch (e.code) {
            case error::lineHeaderMissing: return headerMissing(source, suffix);
            case error::routeTooLong:
                return error(source, value(row, 0), row,
                             "route length " + metres(whole(source, row, 0).value_or(0)) +
                                 " is above the limit of " + metres(maxRouteLength) + suffix,
                             e.code);
            case error::repetitionStartNotMultiple:
            case error::repetitionEndNotMultiple: {
                const std::size_t i = e.code == error::repetitionStartNotMultiple ? 0 : 1;
                return error(source, value(row, i), row,
                             fieldName(*row, i) + " " + metres(whole(source, row, i).value_or(0)) +
                                 " must be a multiple of " + metres(cellMetres) + suffix,
                             e.code);
            }
            case error::repetitionCodesMissing:
                return error(source, std::nullopt, row,
                             quotedToken(source.keywordText(*row)) +
                                 " names no number of codes: write `ripetizione segnali 9 codici` or "
                                 "`ripetizione segnali 4 codici`" + suffix,
                             e.code);
            case error::badCurve: return badCurve(source, row, suffix);
            case error::beyondCells: return beyond(source, row, e, suffix);
            case error::boardCellTaken:
            case error::indicatorCellTaken:
            case error::codePointCellTaken:
            case error::signalCellTaken: return taken(source, row, e, suffix);
            case error::warningCellTaken:
            case error::restrictionStartTaken:
            case error::restrictionEndTaken:
            case error::approachMarkerTaken: return restrictionTaken(source, row, e, suffix);
            case error::stationNotMultiple:
                return error(source, value(row, 0), row,
                             "station position " + metres(whole(source, row, 0).value_or(0)) +
                                 " must be a multiple of " + metres(cellMetres) + suffix,
                             e.code);
            case error::stationLengthNotMultiple:
                return error(source, value(row, 2), row,
                             "station length " + metres(whole(source, row, 2).value_or(0)) +
                                 " must be a multiple of " + metres(stationLengthStep) + suffix,
                             e.code);
            case error::stationsTooClose: return stationsTooClose(source, row, suffix);
            case error::stationAreaTooEarly: {
                const TracedStationArea* area = areaOf(source, row);
                return error(source, value(row, 0), row,
                             "the area of the station at " + metres(whole(source, row, 0).value_or(0)) + " ends at " +
                                 metres(area != nullptr ? area->end : 0) +
                                 ": a station where the train stops has its stop cell just before its area's end, "
                                 "and needs it past cell 1, so its area must end at " +
                                 metres(firstMetreFrom(stopCell, 2)) + " or further" + suffix,
                             e.code);
            }
            case error::tooManyStations: return tooManyStations(source, row, suffix);
            case error::kmPostNotMultiple: return kmPostNotMultiple(source, suffix);
            default: break;
        }
        return error(source, std::nullopt, row, std::string(error::cause(e.code)) + suffix, e.code);
    }

    Diagnostic headerMissing(const TracedSource& source, const std::string& suffix) const {
        std::optional<std::size_t> near;
        for (std::size_t f = 0; f < source.fields.size(); ++f) {
            std::string text(source.text(f));
            for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (text.find("[generale]") != std::string::npos) {
                return error(source, f, nullptr,
                             "`[generale]` is the last field of the file: the rows of the line source follow it" +
                                 suffix,
                             error::lineHeaderMissing);
            }
            const std::size_t first = text.find_first_not_of(" \t");
            if (!near && first != std::string::npos && text.size() - first >= 6 &&
                editDistance(text.substr(first, text.find_last_not_of(" \t") + 1 - first), "[generale]") <= 2) {
                near = f;
            }
        }
        if (near) {
            return error(source, near, nullptr,
                         quotedToken(source.text(*near)) + " is not `[generale]`: a line source is read from the field "
                         "after `[generale]` (did you mean `[generale]`?)" + suffix,
                         error::lineHeaderMissing);
        }
        return error(source, std::nullopt, nullptr,
                     "no `[generale]` field: a line source is read from the field after `[generale]`" + suffix,
                     error::lineHeaderMissing);
    }

    Diagnostic badCurve(const TracedSource& source, const TracedRow* row, const std::string& suffix) const {
        if (row != nullptr && !curveTurnRate(source.text(row->keyword))) {
            return error(source, std::nullopt, row,
                         "the curve keyword " + quotedToken(source.keywordText(*row)) +
                             " names no curve class: write a digit 1 to 6 after `curvad` or `curvas`, as in "
                             "`curvad3`" + suffix,
                         error::badCurve);
        }
        return error(source, value(row, 0), row,
                     "the curve takes the plan-view line profile past metre " + std::to_string(profileLimit) + suffix, error::badCurve);
    }

    Diagnostic carriedNote(const TracedSource& source, const TracedError& e) const {
        const TracedRow* row = rowOf(source, e.row);
        return note(source, value(row, 0).value_or(row->keyword),
                    "the train source stops at its first " + std::string(keywordInfo(row->kind).noun) +
                        " row, here, which sets the error position to " + metres(e.position.value_or(0)));
    }

    // The last metre, at or before the cells' end and a little past it,
    // where a feature passes the compile's own test.
    template <typename Fits>
    std::int64_t lastFitting(Fits&& fits) const {
        std::int64_t metre = static_cast<std::int64_t>(cellMetres) * (static_cast<std::int64_t>(lastCell()) + 2);
        while (metre > -1000 && !fits(metre)) --metre;
        return metre;
    }

    Diagnostic beyond(const TracedSource& source, const TracedRow* row, const TracedError& e,
                      const std::string& suffix) const {
        const auto p = whole(source, row, 0);
        if (row == nullptr || !p) {
            return error(source, std::nullopt, row, std::string(error::cause(e.code)) + suffix, e.code);
        }
        const std::string name = fieldName(*row, 0) + " " + metres(*p);
        auto before = [&](std::int64_t first) {
            return error(source, value(row, 0), row,
                         name + " lies before the start of the line: the first position that fits is " + metres(first) +
                             suffix,
                         e.code);
        };
        // A point feature's cell, a code point's, or none for the step rows.
        std::int64_t (*cellOf)(std::int64_t) = nullptr;
        switch (row->kind) {
            case RowKind::board:
            case RowKind::speedIndicator:
            case RowKind::signal:
            case RowKind::restriction: cellOf = pointCell; break;
            case RowKind::codePoint: cellOf = codeCell; break;
            default: break;
        }
        const auto fitsAt = [&](std::int64_t metre) {
            return fitsCells(model_, metre) && (cellOf == nullptr || hasCell(model_, cellOf(metre)));
        };
        const bool fits = fitsCells(model_, *p);
        switch (row->kind) {
            case RowKind::station: {
                if (!stationFitsCells(model_, static_cast<std::int32_t>(*p))) {
                    const std::int64_t last = lastFitting([&](std::int64_t metre) {
                        return stationFitsCells(model_, static_cast<std::int32_t>(metre));
                    });
                    return error(source, value(row, 0), row,
                                 name + " lies too far along: a station needs room for its area in the cells after its "
                                        "position, so the last position that fits is " + metres(last) + "; " +
                                     cellsEnd() + suffix,
                                 e.code);
                }
                const TracedStationArea* area = areaOf(source, row);
                return error(source, value(row, 2), row,
                             "the area of the station at " + metres(*p) + " ends at " +
                                 metres(area != nullptr ? area->end : 0) +
                                 ", beyond the last cell; " + cellsEnd() + suffix,
                             e.code);
            }
            case RowKind::signal:
            case RowKind::codePoint:
                if (fits) return before(firstMetreFrom(cellOf, 0));
                break;
            case RowKind::restriction: {
                if (!fits) break;
                if (!hasCell(model_, pointCell(*p))) return before(firstMetreFrom(pointCell, 0));
                const std::int64_t end = *p + whole(source, row, 2).value_or(0);
                return error(source, value(row, 2), row,
                             "the restriction at " + metres(*p) + " ends at " + metres(end) +
                                 (end < 0 ? ", before the start of the line" : ", beyond the last cell; " + cellsEnd()) +
                                 suffix,
                             e.code);
            }
            default: break;
        }
        return error(source, value(row, 0), row,
                     name + " lies beyond the last cell: the last position that fits is " + metres(lastFitting(fitsAt)) +
                         "; " + cellsEnd() + suffix,
                     e.code);
    }

    Diagnostic taken(const TracedSource& source, const TracedRow* row, const TracedError& e,
                     const std::string& suffix) const {
        const auto p = whole(source, row, 0);
        if (row == nullptr || !p || !e.takenCell) {
            return error(source, std::nullopt, row, std::string(error::cause(e.code)) + suffix, e.code);
        }
        const std::int64_t cell = *e.takenCell;
        Diagnostic d = error(source, value(row, 0), row,
                             "the " + std::string(keywordInfo(row->kind).noun) + " at " + metres(*p) + " goes into cell " +
                                 std::to_string(cell) + ", which already holds " + holder(e.occupant, cell) +
                                 ": a cell holds one feature" + suffix,
                             e.code);
        addClaimNote(d, e.occupant, cell);
        return d;
    }

    Diagnostic restrictionTaken(const TracedSource& source, const TracedRow* row, const TracedError& e,
                                const std::string& suffix) const {
        const auto start = whole(source, row, 0);
        const auto length = whole(source, row, 2);
        if (row == nullptr || !start || !length || !e.takenCell) {
            return error(source, std::nullopt, row, std::string(error::cause(e.code)) + suffix, e.code);
        }
        const std::int64_t cell = *e.takenCell;
        const std::string at = "the restriction at " + metres(*start);
        const std::string inCell = "cell " + std::to_string(cell);
        std::string point;
        std::size_t field = 0;
        switch (e.code) {
            case error::warningCellTaken:
                point = "puts its warning point " + metres(restrictionWarningDistance) + " before its start, at " +
                        metres(*start - restrictionWarningDistance) + ", in " + inCell;
                break;
            case error::restrictionStartTaken: point = "starts in " + inCell; break;
            case error::restrictionEndTaken:
                field = 2;
                point = "ends at " + metres(*start + *length) + ", in " + inCell;
                break;
            default: {
                field = 4;
                const CellClaim* own = e.occupant ? &*e.occupant : nullptr;
                const bool ownPoint = own != nullptr && !own->byFinishingPass() &&
                                      &trace_.sources()[static_cast<std::size_t>(own->source)] == &source &&
                                      own->row == e.row;
                if (ownPoint) {
                    return error(source, value(row, 0), row,
                                 at + " puts one of its four warning markers in " + inCell +
                                     ", which is its own warning point: a start that is not a multiple of " + metres(cellMetres) +
                                     " can put the first marker there; write the start as a multiple of " +
                                     metres(cellMetres) + ", or 0 as the markers flag" + suffix,
                                 e.code);
                }
                point = "puts its four warning markers just before its warning point; " + inCell;
                break;
            }
        }
        const std::string verb = e.code == error::approachMarkerTaken ? " already holds " : ", which already holds ";
        Diagnostic d = error(source, value(row, field), row, at + " " + point + verb + holder(e.occupant, cell) + suffix,
                             e.code);
        addClaimNote(d, e.occupant, cell);
        return d;
    }

    const TracedRow* previousStation(const TracedSource& source, const TracedRow* row) const {
        const TracedRow* before = nullptr;
        for (const TracedRow& r : source.rows) {
            if (&r == row) break;
            if (r.kind == RowKind::station) before = &r;
        }
        return before;
    }

    // "the station "NAME" at P", the name when the row got as far as it.
    std::string stationAt(const TracedSource& source, const TracedRow* row, std::int64_t position) const {
        constexpr auto nameField = static_cast<std::size_t>(rows::StationField::name);
        std::string text = "the station ";
        if (row != nullptr && row->values.size() > nameField) text += quotedToken(source.text(row->values[nameField])) + " ";
        return text + "at " + metres(position);
    }

    Diagnostic stationsTooClose(const TracedSource& source, const TracedRow* row, const std::string& suffix) const {
        constexpr auto nameField = static_cast<std::size_t>(rows::StationField::name);
        const TracedRow* before = previousStation(source, row);
        const auto p = whole(source, row, 0);
        const TracedStationArea* extent = areaOf(source, row);
        const auto previousP = before ? whole(source, before, 0) : std::nullopt;
        const TracedStationArea* previous = areaOf(source, before);
        if (!p || extent == nullptr || !previousP || previous == nullptr) {
            return error(source, value(row, 0), row, std::string(error::cause(error::stationsTooClose)) + suffix,
                         error::stationsTooClose);
        }
        std::string message;
        if (*p <= *previousP) {
            message = stationAt(source, row, *p) + " comes after " + stationAt(source, before, *previousP) +
                      ": stations must come in increasing position, their areas " + metres(stationSpacing) + " apart or more";
        } else {
            message = "the area of " + stationAt(source, row, *p) + " begins at " + metres(extent->start) +
                      ", less than " + metres(stationSpacing) + " after the area of the previous station ends (" +
                      metres(previous->end) + "): station areas must be " + metres(stationSpacing) + " apart or more";
        }
        Diagnostic d = error(source, value(row, 0), row, message + suffix, error::stationsTooClose);
        d.notes.push_back(note(source, value(before, 0).value_or(before->keyword),
                               "the previous station" +
                                   (before->values.size() > nameField ? " " + quotedToken(source.text(before->values[nameField])) : std::string()) +
                                   ", whose area runs from " + metres(previous->start) + " to " + metres(previous->end)));
        return d;
    }

    Diagnostic tooManyStations(const TracedSource& source, const TracedRow* row, const std::string& suffix) const {
        std::int64_t boards = 0;
        if (const TracedSource* line = view_.source(SourceRole::Line)) {
            for (const TracedRow& r : line->rows) boards += r.kind == RowKind::board ? 1 : 0;
        }
        return error(source, std::nullopt, row,
                     "no entry of the scenario table is left after this station: stations and location boards share "
                     "entries " + std::to_string(firstStationEntry) + " to " + std::to_string(firstBoardEntry) + ", so with " +
                         std::to_string(boards) + " location board" + (boards == 1 ? "" : "s") + " at most " +
                         std::to_string(std::max<std::int64_t>(firstBoardEntry - firstStationEntry - 1 - boards, 0)) +
                         " stations fit" + suffix,
                     error::tooManyStations);
    }

    Diagnostic kmPostNotMultiple(const TracedSource& train, const std::string& suffix) const {
        if (const TracedSource* line = view_.source(SourceRole::Line)) {
            // The last row of each set counts; its position and value must be whole cells.
            for (const RowKind kind : {RowKind::kmPostOne, RowKind::kmPostTwo, RowKind::kmPostThree}) {
                const TracedRow* last = nullptr;
                for (const TracedRow& r : line->rows) {
                    if (r.kind == kind) last = &r;
                }
                for (std::size_t i = 0; last != nullptr && i < 2; ++i) {
                    const auto v = whole(*line, last, i);
                    if (v && *v % cellMetres != 0) {
                        return error(*line, value(last, i), last,
                                     fieldName(*last, i) + " " + metres(*v) + " must be a multiple of " + metres(cellMetres) + suffix,
                                     error::kmPostNotMultiple);
                    }
                }
            }
        }
        return error(train, std::nullopt, nullptr, std::string(error::cause(error::kmPostNotMultiple)) + suffix,
                     error::kmPostNotMultiple);
    }

    // --- the failure handler

    Diagnostic explainFailure(const TracedFailure& failure) const {
        const std::string suffix = " " + codeSuffix(error::readFailure, {});
        if (!failure.source) {
            Diagnostic d;
            d.code = error::readFailure;
            d.message = "the compile failed: " + authorsNames(failure.what) + suffix;
            return d;
        }
        const TracedSource& source = trace_.sources()[*failure.source];
        const TracedRow* row = rowOf(source, failure.row);
        const std::string file = source.role == SourceRole::Line ? "line" : "train";
        if (failure.readFailure == ReadFailureKind::EndOfData) {
            if (source.fields.empty()) {
                return view_.atFile(source.role, Severity::Error, "the " + file + " source file is empty" + suffix,
                                    error::readFailure);
            }
            if (row != nullptr) {
                const std::size_t expected = rowFields(row->kind).size();
                return error(source, std::nullopt, row,
                             "the file ends inside the " + quotedToken(source.keywordText(*row)) + " row: " +
                                 std::to_string(expected) + " values expected, " + std::to_string(row->values.size()) +
                                 " found" + suffix,
                             error::readFailure);
            }
            return error(source, failure.field, nullptr,
                         "the file ends while fields holding a \"-\" are passed over in the header: a field must "
                         "follow them" + suffix,
                         error::readFailure);
        }
        if (failure.readFailure == ReadFailureKind::NotANumber && failure.field) {
            return notANumber(source, row, *failure.field, suffix);
        }
        if (source.role == SourceRole::Line && !hasRow(source, RowKind::routeLength)) return noRouteLength(source, suffix);
        if (failure.field && row != nullptr && source.fields[*failure.field].row == failure.row &&
            source.fields[*failure.field].kind == FieldKind::Number) {
            const std::size_t f = *failure.field;
            // The reader's own width check: a value too wide that no recorder blamed.
            if (failure.tooWide && !failure.tooWide->field) {
                const std::size_t i = row->values.indexOf(f);
                return error(source, f, row,
                             fieldName(*row, i) + " " + quotedToken(source.text(f)) + " does not fit " +
                                 std::string(widthDescription(source.fields[f].width)) + suffix,
                             error::readFailure);
            }
        }
        if (failure.stage == ReadStage::TrainCompletion && failure.tooWide) {
            if (auto d = pendingSpeed(source, nullptr, *failure.tooWide, suffix)) return *d;
        }
        if (row != nullptr) {
            if (auto d = rowFailure(source, *row, failure, suffix)) return *d;
        }
        const std::string what = authorsNames(failure.what);
        return error(source, std::nullopt, row, "the compile failed here: " + what + suffix, error::readFailure);
    }

    // Where authors go wrong most with a row too short: a comment that is
    // none, or values separated by something other than commas.
    static std::string rowHint(std::string_view keyword, std::string_view line) {
        while (!keyword.empty() && (keyword.front() == ' ' || keyword.front() == '\t')) keyword.remove_prefix(1);
        for (const std::string_view mark : {"//", "#", ";"}) {
            if (keyword.starts_with(mark)) {
                return ": this row starts with \"" + std::string(mark) +
                       "\", but the source formats have no comments and a keyword is found anywhere in the field; "
                       "a \"-\" in the keyword field disables a row";
            }
        }
        if (line.find(';') != std::string_view::npos) return ": fields are separated by commas, and this line holds \";\"";
        if (line.find('\t') != std::string_view::npos && line.find(',') == std::string_view::npos) {
            return ": fields are separated by commas, and this line holds tabs instead";
        }
        return {};
    }

    std::string authorsNames(const std::string& text) const {
        const SourcePaths& paths = view_.paths();
        return authorText(replaceAll(replaceAll(text, paths.internalTrainName, paths.trainSource),
                                      paths.internalLineName, paths.lineSource));
    }

    Diagnostic notANumber(const TracedSource& source, const TracedRow* row, std::size_t f,
                          const std::string& suffix) const {
        const std::string_view token = source.text(f);
        if (row == nullptr) {
            return error(source, f, nullptr, "a value is not a number: " + quotedToken(token) + suffix, error::readFailure);
        }
        const std::size_t i = row->values.indexOf(f);
        const std::string name = fieldName(*row, i);
        const std::size_t expected = rowFields(row->kind).size();
        const int keywordLine = source.fields[row->keyword].span.line;
        const TracedSpan& span = source.fields[f].span;
        const int previousLine = i == 0 ? keywordLine : source.fields[row->values[i - 1]].span.line;
        // The row's line holds fewer values than the row reads: the value
        // read here belongs to what follows.
        const std::size_t found = fieldsAfterKeyword(source, *row);
        const bool firstOnLaterLine = span.line != previousLine;
        if (found < expected && (firstOnLaterLine || span.line == keywordLine)) {
            Diagnostic d = error(source, std::nullopt, row,
                                 "the " + quotedToken(source.keywordText(*row)) + " row: " + std::to_string(expected) +
                                     " values expected, " + std::to_string(found) + " found" + suffix,
                                 error::readFailure);
            d.notes.push_back(note(source, f,
                                   "the " + name + " is taken from the next field, " + quotedToken(token) +
                                       ", which is not a number"));
            if (d.message.ends_with(suffix)) {
                d.message.insert(d.message.size() - suffix.size(), rowHint(source.keywordText(*row), d.sourceLine));
            }
            return d;
        }
        if (looksDecimal(token)) {
            return error(source, f, row,
                         name + " " + quotedToken(token) + " does not fit " +
                             std::string(widthDescription(source.fields[f].width)) + suffix,
                         error::readFailure);
        }
        if (token.empty()) {
            return error(source, f, row,
                         name + " is empty: a value is missing between two commas, or a comma ends a line inside the "
                                "row" + suffix,
                         error::readFailure);
        }
        return error(source, f, row, name + " is not a number: " + quotedToken(token) + suffix, error::readFailure);
    }

    // The fields on the keyword's line after it, as commas separate them
    // (a comma closing the line adds none).
    static std::size_t fieldsAfterKeyword(const TracedSource& source, const TracedRow& row) {
        const TracedSpan& keyword = source.fields[row.keyword].span;
        const std::string_view line = source.lineAt(keyword.offset);
        const std::size_t keywordEnd = static_cast<std::size_t>(keyword.column - 1) + keyword.length;
        std::string_view rest = line.substr(std::min(line.size(), keywordEnd));
        if (rest.empty() || rest.front() != ',') return 0;
        rest.remove_prefix(1);
        std::size_t count = 1;
        for (const char c : rest) count += c == ',' ? 1 : 0;
        const std::size_t lastComma = rest.find_last_of(',');
        if (lastComma != std::string_view::npos && rest.find_first_not_of(" \t", lastComma + 1) == std::string_view::npos) {
            --count;
        }
        return count;
    }

    Diagnostic noRouteLength(const TracedSource& source, const std::string& suffix) const {
        // The "[generale]" field: the last field before the data.
        std::optional<std::size_t> generale;
        for (std::size_t f = 0; f < source.fields.size() && source.fields[f].section == TraceSection::Preamble; ++f) {
            generale = f;
        }
        Diagnostic d = error(source, generale, nullptr,
                             "no `lunghezza percorso` row in [generale]: the route length sizes the cells" + suffix,
                             error::readFailure);
        for (std::size_t f = 0; f < source.fields.size(); ++f) {
            const TracedField& field = source.fields[f];
            if (field.kind != FieldKind::Keyword || field.section != TraceSection::LineHeader) continue;
            const auto near = suggestKeyword(source.text(f), KeywordSection::LineHeader);
            if (near && near->kind == RowKind::routeLength) {
                d.notes.push_back(note(source, f, quotedToken(source.text(f)) + " is not read as `lunghezza percorso`"));
                break;
            }
        }
        return d;
    }

    // The line speed a row set is written into the cells when the next row
    // of the profile is read, or when the train source ends.
    std::optional<Diagnostic> pendingSpeed(const TracedSource& source, const TracedRow* current,
                                           const TracedFailure::TooWide& wide, const std::string& suffix) const {
        const TracedRow* culprit = previousOfKind(source, current, RowKind::lineSpeed);
        const auto speed = culprit ? whole(source, culprit, 1) : std::nullopt;
        if (!speed) return std::nullopt;
        Diagnostic d = error(source, value(culprit, 1), culprit,
                             "line speed " + withUnit(*speed, "km/h") + " does not fit the cells: it is stored as its fifth, " +
                                 number(wide.value) + ", outside " + number(wide.min) + " to " + number(wide.max) +
                                 suffix,
                             error::readFailure);
        if (current != nullptr) {
            d.notes.push_back(note(source, current->keyword,
                                   "the compile writes that speed into the cells up to this row, and stops"));
        } else {
            d.notes.push_back(view_.atFile(source.role, Severity::Note,
                                           "the compile writes that speed into the cells when the train source ends, "
                                           "and stops"));
        }
        return d;
    }

    // The last row of a kind before a row (before the end when row is nullptr).
    static const TracedRow* previousOfKind(const TracedSource& source, const TracedRow* row, RowKind kind) {
        const TracedRow* found = nullptr;
        for (const TracedRow& r : source.rows) {
            if (&r == row) break;
            if (r.kind == kind) found = &r;
        }
        return found;
    }

    static std::string number(double value) { return std::to_string(static_cast<std::int64_t>(value)); }

    // The first metre that a cell rule of the compile puts into cell 2 or
    // beyond (a point feature's, a code point's): a feature there clears
    // cell 1 and everything before it.
    static std::int64_t firstMetreFrom(std::int64_t (*cellOf)(std::int64_t), std::int64_t cell) {
        std::int64_t metre = -1000;
        while (cellOf(metre) < cell) ++metre;
        return metre;
    }

    std::optional<Diagnostic> rowFailure(const TracedSource& source, const TracedRow& row, const TracedFailure& failure,
                                         const std::string& suffix) const {
        const auto p = whole(source, &row, 0);
        auto at = [&](std::size_t i, const std::string& message) {
            return std::optional<Diagnostic>(error(source, value(&row, i), &row, message + suffix, error::readFailure));
        };
        auto count = [&](RowKind kind) {
            std::int64_t n = 0;
            for (const TracedRow& r : source.rows) {
                n += r.kind == kind ? 1 : 0;
                if (&r == &row) break;
            }
            return n;
        };
        const std::string_view what = failure.what;
        const bool textTooLong = what.find("too long for a scenario entry") != std::string_view::npos;
        const bool noEntryLeft = what.find("does not exist") != std::string_view::npos;
        const bool beforeCells = what.find("outside the route cells") != std::string_view::npos;
        const std::optional<TracedFailure::TooWide> wide = failure.tooWide;
        // A value the compile worked out from a field of this row, too wide for its place.
        constexpr std::size_t none = static_cast<std::size_t>(-1);
        const std::size_t blamed = wide && wide->field ? *wide->field : none;
        const std::string range =
            wide ? number(wide->min) + " to " + number(wide->max) : std::string();
        const std::string computed = wide ? number(wide->value) : std::string();
        switch (row.kind) {
            case RowKind::routeLength:
                if (p) {
                    return at(0, "route length " + metres(*p) + " leaves no cells: the cells cover the route length and " +
                                     metres(routeTailMetres) + " after it");
                }
                break;
            case RowKind::lineSpeed:
                if (wide) {
                    if (auto d = pendingSpeed(source, &row, *wide, suffix)) return d;
                }
                break;
            case RowKind::gradient:
                if (const TracedRow* before = previousOfKind(source, &row, RowKind::gradient); before && blamed == 1) {
                    const auto g = whole(source, before, 1);
                    Diagnostic d = error(source, value(before, 1), before,
                                         "gradient value " + withUnit(g.value_or(0), "‰") + " is too large to be stored" +
                                             suffix,
                                         error::readFailure);
                    d.notes.push_back(note(source, row.keyword, "the compile writes it into the cells here"));
                    return d;
                }
                break;
            case RowKind::speedIndicator:
            case RowKind::board:
                if (p && beforeCells) {
                    return at(0, fieldName(row, 0) + " " + metres(*p) +
                                     " lies before the start of the line: the first position that fits is " +
                                     metres(firstMetreFrom(pointCell, 0)));
                }
                if (row.kind == RowKind::speedIndicator && blamed >= 1 && blamed <= 3) {
                    static constexpr const char* classes[] = {"a", "b", "c"};
                    return at(blamed, std::string("the speed indicator's class ") + classes[blamed - 1] +
                                           " packs its side s and side d speeds into " + computed +
                                           ", which does not fit the cell's value (" + range + ")");
                }
                if (row.kind == RowKind::board && textTooLong) {
                    return at(1, "the location-board label is " + std::to_string(source.text(row.values[1]).size()) +
                                     " bytes long: too long for a scenario entry");
                }
                if (row.kind == RowKind::board && noEntryLeft) {
                    return at(0, "this is location board number " + std::to_string(count(RowKind::board)) +
                                     ": no scenario entry is left for it");
                }
                break;
            case RowKind::mountain:
                if (!wide) return at(0, std::string(what));
                break;
            case RowKind::signal:
                if (blamed == 5) {
                    return at(5, "the signal's auxiliary code packs with its two groups into " + computed +
                                     ", which does not fit the cell's value (" + range + ")");
                }
                if (blamed >= 2 && blamed <= 4) {
                    return at(blamed, "the signal's codes " + std::to_string(blamed - 1) + " pack into " + computed +
                                           ", which does not fit the cell's value (" + range + ")");
                }
                if (blamed == 1) {
                    return at(1, "the approach marks of the signal, made from its two groups, come to " + computed +
                                     ": they must fit " + range);
                }
                break;
            case RowKind::codePoint:
                if (blamed == 1) {
                    return at(1, "code value " + computed + " does not fit the cell's value (" + range + ")");
                }
                break;
            case RowKind::station: {
                constexpr auto name = static_cast<std::size_t>(rows::StationField::name);
                if (textTooLong && row.values.size() > name) {
                    return at(name, "the station name is " + std::to_string(source.text(row.values[name]).size()) +
                                      " bytes long: too long for a scenario entry");
                }
                if (blamed == static_cast<std::size_t>(rows::StationField::hours)) {
                    return at(blamed, "the scheduled time in seconds, from hours, minutes and seconds, does not fit " + range);
                }
                break;
            }
            case RowKind::curve:
                if (blamed == 1) return at(1, "the curve's start plus its length passes " + number(wide->max) + " m");
                break;
            default:
                break;
        }
        return std::nullopt;
    }

    // --- the finishing pass

    // Notes at the rows that hold the cells the finishing pass tried.
    void occupantNotes(Diagnostic& d, std::vector<std::int64_t> cells) const {
        std::sort(cells.begin(), cells.end());
        for (const std::int64_t cell : cells) {
            if (const CellClaim* claim = trace_.claim(cell)) addClaimNote(d, *claim, cell);
        }
    }

    static std::string cellList(const std::vector<std::int64_t>& cells) {
        std::vector<std::int64_t> sorted(cells);
        std::sort(sorted.begin(), sorted.end());
        std::string text;
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            text += (i == 0 ? "" : i + 1 == sorted.size() ? " and " : ", ") + std::to_string(sorted[i]);
        }
        return (sorted.size() == 1 ? "cell " : "cells ") + text;
    }

    Diagnostic explainFinishing(std::int32_t code, std::int32_t position) const {
        const std::string suffix = " " + codeSuffix(code, position);
        const std::optional<TracedBlock>& block = trace_.blocked();
        const CellClaim* feature = block && block->code == code ? trace_.claim(block->forCell) : nullptr;
        if (feature != nullptr && !feature->byFinishingPass()) {
            const TracedSource& source = trace_.sources()[static_cast<std::size_t>(feature->source)];
            const TracedRow* row = rowOf(source, feature->row);
            const std::string taken = cellList(block->tried) + (block->tried.size() == 1 ? " is" : " are") + " taken";
            std::string message;
            if (code == error::noCellBeforeRestriction) {
                message = "no free cell for a code point the compiler adds before the start of this restriction (cell " +
                          std::to_string(block->forCell) + "): " + taken;
            } else if (code == error::noCellInsideRestriction) {
                message = "no free cell near cell " + std::to_string(position / cellMetres) +
                          " for a code point the compiler adds inside this restriction or just in front of the "
                          "first signal after it: " + taken;
            } else {
                message = "no free cell for the code point the compiler puts in front of this signal, which lies "
                          "shortly before a restriction's warning point: " + taken;
            }
            Diagnostic d = error(source, value(row, 0), row, message + suffix, code);
            occupantNotes(d, block->tried);
            return d;
        }
        Diagnostic d;
        d.message = std::string(error::cause(code)) + suffix;
        d.code = code;
        return d;
    }

    // --- the fatal check

    Diagnostic explainFatal() const {
        const bool first = facts_.fatal == "1250";
        const std::int32_t code = first ? error::cellMarkTaken : error::tableCodeTaken;
        const std::string head = "Errore n. " + facts_.fatal + ": ";
        const std::string place = first ? "whose first value holds a mark of the compiled format"
                                        : "whose second value holds the scenario code";
        const std::string tail = "; no compiled file is written (code " + facts_.fatal + ")";
        const CellClaim* claim = trace_.claim(1);
        const CellClaim* owner = claim != nullptr ? rowClaim(*claim) : nullptr;
        if (owner != nullptr) {
            const TracedSource& source = trace_.sources()[static_cast<std::size_t>(owner->source)];
            const TracedRow* row = rowOf(source, owner->row);
            if (owner != claim) {
                return error(source, value(row, 0), row,
                             head + describe(*claim) + " lands in cell 1, " + place +
                                 ": free a cell nearer the feature, or move it further along" + tail,
                             code);
            }
            // The first metre the feature's own cell rule puts past cell 1.
            const auto cellOf = claim->feature == CellFeature::CodePoint ? codeCell : pointCell;
            std::int64_t metre = -100;
            while (cellOf(metre) < 2) ++metre;
            return error(source, value(row, 0), row,
                         head + describe(*claim) + " lies in cell 1, " + place + ": place " +
                             (claim->feature == CellFeature::CodePoint ? "code points" : "point features") + " at " +
                             metres(metre) + " or more" + tail,
                         code);
        }
        Diagnostic d;
        d.code = code;
        d.message = head + "cell 1, " + place + ", is already taken" + tail;
        return d;
    }

    const TraceView& view_;
    const SourceTrace& trace_;
    const RouteModel& model_;
    const CompileFacts& facts_;
};

}  // namespace

CompileErrors errorDiagnostics(const TraceView& view, const CompileFacts& facts) {
    return ErrorReport(view, facts).run();
}

}  // namespace sb::diagnostics
