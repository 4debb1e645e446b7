#include "compiler/line/line_pass.h"

#include "compiler/common/keyword_reader.h"
#include "compiler/common/keywords.h"
#include "compiler/common/text_match.h"
#include "compiler/line/km_posts.h"
#include "compiler/line/line_recorders.h"
#include "model/entry_views.h"

namespace sb::compiler {

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
                const std::int32_t length = readField<rows::routeLength, 0>(reader_);
                trainRoute(model_).routeLength = length;
                if (length > maxRouteLength) return abandon(error::routeTooLong);
                allocateCells(model_, length);
            }
            if (starts(RowKind::kmPostThree, field)) readKmPostSet<rows::kmPostThree>(kmPostEntryThree);
            if (starts(RowKind::kmPostTwo, field)) readKmPostSet<rows::kmPostTwo>(kmPostEntryTwo);
            if (starts(RowKind::kmPostOne, field)) readKmPostSet<rows::kmPostOne>(kmPostEntryOne);
            const LineHeaderEntry line = lineHeader(model_);
            if (starts(RowKind::backgroundOne, field)) line.backgroundOne = readField<rows::backgroundOne, 0>(reader_);
            if (starts(RowKind::backgroundTwo, field)) line.backgroundTwo = readField<rows::backgroundTwo, 0>(reader_);
            if (starts(RowKind::backgroundThree, field)) {
                line.backgroundThree = readField<rows::backgroundThree, 0>(reader_);
            }
            if (starts(RowKind::signalRepetition, field)) {
                const TrainHeaderEntry train = trainHeader(model_);
                train.repetitionStart = readField<rows::signalRepetition, 0>(reader_);
                train.repetitionEnd = readField<rows::signalRepetition, 1>(reader_);
                if (train.repetitionStart % cellMetres != 0) return abandon(error::repetitionStartNotMultiple);
                if (train.repetitionEnd % cellMetres != 0) return abandon(error::repetitionEndNotMultiple);
                if (contains(field, "4")) {
                    train.repetitionCodes = 4;
                } else if (contains(field, "9")) {
                    train.repetitionCodes = 9;
                } else {
                    return abandon(error::repetitionCodesMissing);
                }
                if (train.repetitionEnd == 0) train.repetitionCodes = 0;
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

    template <const auto& Fields>
    void readKmPostSet(int entry) {
        const KmPostEntry posts(model_.scenario[static_cast<std::size_t>(entry)]);
        posts.position = readField<Fields, 0>(reader_);
        posts.value = readField<Fields, 1>(reader_);
        posts.flag = readField<Fields, 2>(reader_);
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
                const std::int32_t position = readField<rows::gradient, 0>(reader_);
                const std::int32_t gradient = readField<rows::gradient, 1>(reader_);
                if (!fitsCells(model_, position)) return outsideCells(position);
                recordGradient(model_, cursors_, position, gradient);
            }
            if (model_.withProfile && starts(RowKind::curve, field)) {
                const std::int32_t start = readField<rows::curve, 0>(reader_);
                const std::int32_t length = readField<rows::curve, 1>(reader_);
                if (!fitsCells(model_, start)) return outsideCells(start);
                const auto turnRate = curveTurnRate(field);
                if (!turnRate) return abandon(error::badCurve);
                if (recordCurve(model_, start, length, *turnRate) == CurveResult::PastLimit) {
                    return abandon(error::badCurve);
                }
            }
            if (starts(RowKind::mountain, field)) {
                const MountainRow row = readInt32Row<rows::mountain>(reader_, mountainMembers);
                if (!fitsCells(model_, row.start)) return outsideCells(row.start);
                recordMountainStretch(model_, row);
            }
            if (starts(RowKind::speedIndicator, field)) {
                const SpeedIndicatorRow row = readInt32Row<rows::speedIndicator>(reader_, speedIndicatorMembers);
                if (!fitsCells(model_, row.position)) return outsideCells(row.position);
                if (!recordSpeedIndicator(model_, row)) {
                    return taken(pointCell(row.position), CellFeature::SpeedIndicator, error::indicatorCellTaken,
                                 row.position);
                }
                claimed(pointCell(row.position), CellFeature::SpeedIndicator);
            }
            if (starts(RowKind::board, field)) {
                const std::int32_t position = readField<rows::board, 0>(reader_);
                const std::string label = readField<rows::board, 1>(reader_);
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

}  // namespace sb::compiler
