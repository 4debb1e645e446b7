#include "compiler/line/line_pass.h"

#include "compiler/common/keyword_reader.h"
#include "compiler/common/keywords.h"
#include "compiler/common/text_match.h"
#include "compiler/line/km_posts.h"
#include "compiler/line/line_recorders.h"

namespace sb {

namespace {

class LinePass {
public:
    LinePass(RouteModel& model, FieldReader& reader, LineCursors& cursors, const std::string& sourceName)
        : model_(model), reader_(reader), cursors_(cursors), sourceName_(sourceName) {}

    LinePassEnd run() {
        if (!findHeader()) {
            headerMissing_ = true;  // a missing header belongs to the file, not to a row
            return abandon(error::lineHeaderMissing);
        }
        if (readHeader() == LinePassEnd::Abandoned) return LinePassEnd::Abandoned;
        orderKilometrePosts(model_);
        model_.mountainCount = 0;
        model_.nextBoardEntry = firstBoardEntry;
        cursors_.gradientCursor = 0;
        if (model_.withProfile) seedProfile(model_);
        return readFeatures();
    }

private:
    LinePassEnd abandon(std::int32_t code, std::optional<std::int32_t> position = std::nullopt) {
        if (position) model_.errorPosition = *position;
        model_.errorCode = code;
        model_.errorOrigin = ErrorOrigin{sourceName_, rowLine(), {}};
        reader_.errorRecorded(code, position);
        return LinePassEnd::Abandoned;
    }

    bool findHeader() {
        while (true) {
            const std::string field = readKeywordField(reader_);
            // A "[generale]" field with no data after it does not count.
            if (!reader_.dataRemains()) return false;
            if (containsNoCase(field, "[generale]")) {
                reader_.dataStarts();
                return true;
            }
        }
    }

    LinePassEnd readHeader() {
        while (const std::optional<std::string> keyword = nextKeyword(reader_, DashSkipping::Header)) {
            const std::string& field = *keyword;

            if (starts(RowKind::routeLength, field)) {
                const std::int32_t length = reader_.readLong();
                model_.scenario[trainRouteEntry].longB = length;
                if (length > maxRouteLength) return abandon(error::routeTooLong);
                allocateCells(model_, length);
            }
            if (starts(RowKind::kmPostThree, field)) readKmPostSet(kmPostEntryThree);
            if (starts(RowKind::kmPostTwo, field)) readKmPostSet(kmPostEntryTwo);
            if (starts(RowKind::kmPostOne, field)) readKmPostSet(kmPostEntryOne);
            if (starts(RowKind::backgroundOne, field)) model_.scenario[lineHeaderEntry].longA = reader_.readLong();
            if (starts(RowKind::backgroundTwo, field)) model_.scenario[lineHeaderEntry].longC = reader_.readLong();
            if (starts(RowKind::backgroundThree, field)) model_.scenario[lineHeaderEntry].longB = reader_.readLong();
            if (starts(RowKind::signalRepetition, field)) {
                ScenarioEntry& train = model_.scenario[trainHeaderEntry];
                train.longA = reader_.readLong();
                train.longB = reader_.readLong();
                if (train.longA % 50 != 0) return abandon(error::repetitionStartNotMultiple);
                if (train.longB % 50 != 0) return abandon(error::repetitionEndNotMultiple);
                if (contains(field, "4")) {
                    train.longC = 4;
                } else if (contains(field, "9")) {
                    train.longC = 9;
                } else {
                    return abandon(error::repetitionCodesMissing);
                }
                if (train.longB == 0) train.longC = 0;
            }
            if (endsHeader(field)) {
                reader_.headerEnds();
                break;
            }
        }
        return LinePassEnd::EndOfLineFile;
    }

    // The keyword test of a row kind; a match starts the row.
    bool starts(RowKind kind, const std::string& field) const {
        if (!keywordMatches(kind, field)) return false;
        reader_.rowStarts(kind);
        return true;
    }

    static bool endsHeader(const std::string& field) {
        if (!containsNoCase(field, "[") || !containsNoCase(field, "]")) return false;
        const auto first = field.find_first_not_of(" \t");
        return first == std::string::npos || field[first] != '-';
    }

    void readKmPostSet(int entry) {
        ScenarioEntry& e = model_.scenario[static_cast<std::size_t>(entry)];
        e.longA = reader_.readLong();
        e.longB = reader_.readLong();
        e.longC = reader_.readLong();
    }

    LinePassEnd outsideCells(std::int32_t position) {
        model_.errorCode = error::beyondCells;
        model_.errorPosition = position;
        model_.errorOrigin = ErrorOrigin{sourceName_, rowLine(), {}};
        reader_.errorRecorded(error::beyondCells, position);
        return LinePassEnd::EndOfLineFile;
    }

    LinePassEnd readFeatures() {
        while (const std::optional<std::string> keyword = nextKeyword(reader_, DashSkipping::Section)) {
            const std::string& field = *keyword;
            if (starts(RowKind::gradient, field)) {
                const std::int32_t position = reader_.readLong();
                const std::int32_t gradient = reader_.readLong();
                if (!fitsCells(model_, position)) return outsideCells(position);
                recordGradient(model_, cursors_, position, gradient);
            }
            if (model_.withProfile && starts(RowKind::curve, field)) {
                const std::int32_t start = reader_.readLong();
                const std::int32_t length = reader_.readLong();
                if (!fitsCells(model_, start)) return outsideCells(start);
                const auto turnRate = curveTurnRate(field);
                if (!turnRate) return abandon(error::badCurve);
                if (recordCurve(model_, start, length, *turnRate) == CurveResult::PastLimit) {
                    return abandon(error::badCurve);
                }
            }
            if (starts(RowKind::mountain, field)) {
                const MountainRow row = readLongRow(reader_, mountainFields);
                if (!fitsCells(model_, row.start)) return outsideCells(row.start);
                recordMountainStretch(model_, row);
            }
            if (starts(RowKind::speedIndicator, field)) {
                const SpeedIndicatorRow row = readLongRow(reader_, speedIndicatorFields);
                if (!fitsCells(model_, row.position)) return outsideCells(row.position);
                if (!recordSpeedIndicator(model_, row)) {
                    return taken(pointCell(row.position), CellFeature::SpeedIndicator, error::indicatorCellTaken,
                                 row.position);
                }
                claimed(pointCell(row.position), CellFeature::SpeedIndicator);
            }
            if (starts(RowKind::board, field)) {
                const std::int32_t position = reader_.readLong();
                const std::string label = reader_.readText();
                if (!fitsCells(model_, position)) return outsideCells(position);
                if (!recordBoard(model_, position, label)) {
                    return taken(pointCell(position), CellFeature::Board, error::boardCellTaken, position);
                }
                claimed(pointCell(position), CellFeature::Board);
            }
        }
        return LinePassEnd::EndOfLineFile;
    }

    void claimed(std::int64_t cell, CellFeature feature) const {
        reader_.tell([&](ReadListener& l) { l.cellClaimed(cell, feature); });
    }

    LinePassEnd taken(std::int64_t cell, CellFeature feature, std::int32_t code, std::int32_t position) {
        reader_.tell([&](ReadListener& l) { l.cellTaken(cell, feature); });
        return abandon(code, position);
    }

    int rowLine() const { return headerMissing_ ? 0 : reader_.rowLine(); }

    RouteModel& model_;
    FieldReader& reader_;
    LineCursors& cursors_;
    const std::string& sourceName_;
    bool headerMissing_ = false;
};

}  // namespace

LinePassEnd readLineFile(RouteModel& model, FieldReader& reader, LineCursors& cursors, const std::string& sourceName) {
    return LinePass(model, reader, cursors, sourceName).run();
}

void finishLineFile(RouteModel& model, LineCursors& cursors) {
    fillGradientTail(model, cursors);
    if (model.withProfile) fillProfileTail(model);
}

}  // namespace sb
