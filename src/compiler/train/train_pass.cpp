#include "compiler/train/train_pass.h"

#include "compiler/common/keyword_reader.h"
#include "compiler/common/keywords.h"
#include "compiler/common/step_fill.h"
#include "compiler/common/text_match.h"
#include "compiler/train/restriction_recorder.h"
#include "compiler/train/signal_recorder.h"
#include "compiler/train/station_recorder.h"
#include "model/entry_views.h"

namespace sb::compiler {

namespace {

// Rows whose two values are a position and what applies from it.
struct PositionValueRow {
    std::int32_t position;
    std::int32_t value;
};

inline constexpr RowMembers<PositionValueRow, 2> positionValueMembers = {&PositionValueRow::position,
                                                                        &PositionValueRow::value};

class TrainPass {
public:
    TrainPass(RouteModel& model, FieldReader& reader, SourceFiles& sources, const std::string& sourceName)
        : model_(model), reader_(reader), sources_(sources), sourceName_(sourceName) {}

    void run() {
        carriedCode_ = model_.errorCode;
        do {
            if (containsNoCase(readKeywordField(reader_), "[generale]")) {
                reader_.dataStarts();
                break;
            }
        } while (reader_.dataRemains());

        if (mainLoop() == PassFlow::Abandon) {
            sources_.remove(sourceName_);
            return;
        }
        completion();
    }

private:
    PassFlow stop(const RowVerdict& verdict) {
        model_.errorCode = verdict.code;
        if (verdict.position) model_.errorPosition = *verdict.position;
        model_.errorOrigin = ErrorOrigin{sourceName_, reader_.rowLine(), {}};
        reader_.errorRecorded(verdict.code, verdict.position);
        return verdict.flow;
    }

    // After a signal or restriction the pass stops on any code, its own or
    // one the line pass left; a code carried over says where it comes from.
    PassFlow stopAfterRecorder(std::int32_t position, const ErrorOrigin& before) {
        const std::int32_t code = model_.errorCode;
        const bool carriedOver = code == carriedCode_ && code != 0 && before.sourceFile != sourceName_;
        stop(RowVerdict{PassFlow::Abandon, code, position});
        if (carriedOver) {
            reader_.tell([](ReadListener& l) { l.errorCarriedOver(); });
            model_.errorOrigin.detail = std::string("recorded by the line source at ") + before.sourceFile +
                                        (before.line > 0 ? std::string(":") + std::to_string(before.line) : std::string()) +
                                        "; the train pass stops at its first signal or restriction row";
        }
        return PassFlow::Abandon;
    }

    PassFlow mainLoop() {
        while (const std::optional<std::string> keyword = nextKeyword(reader_, DashSkipping::Section)) {
            const PassFlow flow = interpret(*keyword);
            if (flow != PassFlow::Continue) return flow;
        }
        return PassFlow::Completion;
    }

    // Every test runs on the field, in this order; each that matches reads its row.
    PassFlow interpret(const std::string& field) {
        if (starts(RowKind::brakedMass, field)) {
            trainRoute(model_).brakedMass = readField<rows::brakedMass, 0>(reader_);
        }
        if (starts(RowKind::cars, field)) trainRoute(model_).cars = readField<rows::cars, 0>(reader_);
        if (starts(RowKind::lineSpeed, field)) {
            if (const PassFlow f = lineSpeedRow(); f != PassFlow::Continue) return f;
        }
        if (starts(RowKind::adhesion, field)) {
            if (const PassFlow f = adhesionRow(); f != PassFlow::Continue) return f;
        }
        if (starts(RowKind::clock, field)) {
            const TrainHeaderEntry train = trainHeader(model_);
            train.clockHours = readField<rows::clock, 0>(reader_);
            train.clockMinutes = readField<rows::clock, 1>(reader_);
            train.clockSeconds = readField<rows::clock, 2>(reader_);
        }
        if (starts(RowKind::sand, field)) trainHeader(model_).sand = readField<rows::sand, 0>(reader_);
        if (starts(RowKind::signal, field)) {
            if (const PassFlow f = signalRow(); f != PassFlow::Continue) return f;
        }
        if (starts(RowKind::restriction, field)) {
            if (const PassFlow f = restrictionRow(); f != PassFlow::Continue) return f;
        }
        if (starts(RowKind::codePoint, field)) {
            if (const PassFlow f = codePointRow(); f != PassFlow::Continue) return f;
        }
        if (starts(RowKind::station, field)) {
            const RowVerdict verdict = recordStation(model_, reader_, stationCount_);
            if (verdict.flow != PassFlow::Continue) return stop(verdict);
        }
        return PassFlow::Continue;
    }

    // The keyword test of a row kind; a match starts the row.
    bool starts(RowKind kind, const std::string& field) const {
        if (!keywordMatches(kind, field)) return false;
        reader_.rowStarts(kind);
        return true;
    }

    void claimed(std::int64_t cell, CellFeature feature) const {
        reader_.tell([&](ReadListener& l) { l.cellClaimed(cell, feature); });
    }

    // The cells a restriction wrote: all of them, or with a taken marker
    // the three points.
    void claimRestrictionCells(const RestrictionRow& row, std::int32_t code) const {
        if (code != error::none && code != error::approachMarkerTaken) return;
        const RestrictionCells cells = restrictionCells(row);
        claimed(cells.end, CellFeature::RestrictionEnd);
        claimed(cells.start, CellFeature::RestrictionStart);
        if (cells.hasWarning) claimed(cells.warning, CellFeature::RestrictionWarning);
        if (cells.markApproach && code == error::none) {
            for (std::int64_t i = 0; i <= 3; ++i) claimed(cells.firstMarker - i, CellFeature::RestrictionMarker);
        }
    }

    static CellFeature takenFeature(std::int32_t code) {
        switch (code) {
            case error::warningCellTaken: return CellFeature::RestrictionWarning;
            case error::restrictionStartTaken: return CellFeature::RestrictionStart;
            case error::restrictionEndTaken: return CellFeature::RestrictionEnd;
            default: return CellFeature::RestrictionMarker;
        }
    }

    PassFlow outsideCells(std::int32_t position) {
        return stop(RowVerdict{PassFlow::Completion, error::beyondCells, position});
    }

    // The line speed per cell is its fifth, which must fit a byte.
    auto lineSpeedWriter() const {
        return [speed = pendingSpeed_](RouteCell& cell) {
            cell.lineSpeed = blaming(1, [&] { return toUInt8(speed / 5.0); });
        };
    }
    auto adhesionWriter() const {
        return [adhesion = pendingAdhesion_](RouteCell& cell) { cell.adhesion = low8(adhesion); };
    }

    PassFlow lineSpeedRow() {
        const PositionValueRow row = readInt32Row<rows::lineSpeed>(reader_, positionValueMembers);
        if (!fitsCells(model_, row.position)) return outsideCells(row.position);
        const std::int32_t n = stepCell(row.position);
        // Rows never write the last cell; the completion may.
        if (n > 0) fillSteps(model_, speedCursor_, n, static_cast<std::int64_t>(model_.cellCount) - 1, lineSpeedWriter());
        pendingSpeed_ = row.value;
        return PassFlow::Continue;
    }

    PassFlow adhesionRow() {
        const PositionValueRow row = readInt32Row<rows::adhesion>(reader_, positionValueMembers);
        if (!fitsCells(model_, row.position)) return outsideCells(row.position);
        const std::int32_t n = stepCell(row.position);
        if (n > 0) fillSteps(model_, adhesionCursor_, n, model_.cellCount, adhesionWriter());
        pendingAdhesion_ = row.value;
        return PassFlow::Continue;
    }

    PassFlow signalRow() {
        const SignalRow row = readInt32Row<rows::signal>(reader_, signalMembers);
        if (!fitsCells(model_, row.position) || !hasCell(model_, pointCell(row.position))) {
            return outsideCells(row.position);
        }
        const ErrorOrigin carried = model_.errorOrigin;
        const std::int64_t cell = pointCell(row.position);
        if (recordSignal(model_, row)) {
            claimed(cell, CellFeature::Signal);
        } else {
            reader_.tell([&](ReadListener& l) { l.cellTaken(cell, CellFeature::Signal); });
            model_.errorCode = error::signalCellTaken;
        }
        // A code carried over from the line pass stops the pass here too.
        if (model_.errorCode > 0) return stopAfterRecorder(row.position, carried);
        return PassFlow::Continue;
    }

    PassFlow restrictionRow() {
        const RestrictionRow row = readInt32Row<rows::restriction>(reader_, restrictionMembers);
        if (!fitsCells(model_, row.start) || !restrictionCellsExist(model_, row.start, row.length)) {
            return outsideCells(row.start);
        }
        const ErrorOrigin carried = model_.errorOrigin;
        const RestrictionRecord record = recordRestriction(model_, row);
        claimRestrictionCells(row, record.code);
        if (record.code != error::none) {
            reader_.tell([&](ReadListener& l) { l.cellTaken(record.takenCell, takenFeature(record.code)); });
            model_.errorCode = record.code;
        }
        if (model_.errorCode > 0) return stopAfterRecorder(row.start, carried);
        return PassFlow::Continue;
    }

    PassFlow codePointRow() {
        const PositionValueRow row = readInt32Row<rows::codePoint>(reader_, positionValueMembers);
        const std::int64_t i = codeCell(row.position);
        if (!fitsCells(model_, row.position) || !hasCell(model_, i)) return outsideCells(row.position);
        RouteCell& cell = cellAt(model_, i);
        if (!isFree(cell.kind)) {
            reader_.tell([&](ReadListener& l) { l.cellTaken(i, CellFeature::CodePoint); });
            return stop(RowVerdict{PassFlow::Abandon, error::codePointCellTaken, row.position});
        }
        if (row.value > 0) {
            cell.kind = cellkind::codePoint;
            cell.value1 = blaming(1, [&] { return toInt16(static_cast<std::int64_t>(row.value)); });
        } else {
            cell.kind = cellkind::codePointWithoutValue;
        }
        claimed(i, CellFeature::CodePoint);
        return PassFlow::Continue;
    }

    void completion() {
        sources_.remove(sourceName_);
        reader_.stage(ReadStage::TrainCompletion);
        const std::int64_t until = static_cast<std::int64_t>(model_.cellCount) - 2;
        fillSteps(model_, speedCursor_, until, model_.cellCount, lineSpeedWriter());
        fillSteps(model_, adhesionCursor_, until, model_.cellCount, adhesionWriter());
        for (int entry = kmPostEntryThree; entry <= kmPostEntryOne; ++entry) {
            const ConstKmPostEntry posts(model_.scenario[static_cast<std::size_t>(entry)]);
            if (posts.position % cellMetres != 0 || posts.value % cellMetres != 0) {
                model_.errorCode = error::kmPostNotMultiple;
                model_.errorOrigin = ErrorOrigin{};
                reader_.errorRecorded(error::kmPostNotMultiple, std::nullopt);
            }
        }
    }

    RouteModel& model_;
    FieldReader& reader_;
    SourceFiles& sources_;
    const std::string& sourceName_;

    std::int64_t speedCursor_ = 0;
    std::int32_t pendingSpeed_ = 0;
    std::int64_t adhesionCursor_ = 0;
    std::int32_t pendingAdhesion_ = 0;
    std::int32_t stationCount_ = firstStationEntry;
    std::int32_t carriedCode_ = 0;
};

}  // namespace

void readTrainFile(RouteModel& model, FieldReader& reader, SourceFiles& sources, const std::string& sourceName) {
    TrainPass(model, reader, sources, sourceName).run();
}

}  // namespace sb::compiler
