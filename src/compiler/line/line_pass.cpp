#include "compiler/line/line_pass.h"

#include "compiler/common/text_match.h"
#include "compiler/line/km_posts.h"
#include "compiler/line/line_features.h"

namespace sb {

namespace {

class LinePass {
public:
    LinePass(RouteModel& model, FieldReader& reader, LineCursors& cursors, const std::string& sourceName)
        : model_(model), reader_(reader), cursors_(cursors), sourceName_(sourceName) {}

    LinePassEnd run() {
        if (!findHeader()) {
            rowLine_ = 0;  // a missing header belongs to the file, not to a row
            return abandon(error::lineHeaderMissing);
        }
        if (readHeader() == LinePassEnd::Abandoned) return LinePassEnd::Abandoned;
        progressive_ordina(model_);
        model_.mountainCount = 0;
        model_.nextBoardEntry = firstBoardEntry;
        cursors_.gradientCursor = 0;
        cursors_.profileCursor = 2;
        if (model_.withProfile != 0) seedProfile(model_);
        return readFeatures();
    }

private:
    std::string readKeyword() {
        std::string field = reader_.readText();
        reader_.markRowStart();
        rowLine_ = reader_.rowLine();
        model_.inputField = field;
        return field;
    }

    LinePassEnd abandon(std::int32_t code) {
        model_.errorCode = code;
        model_.errorOrigin = ErrorOrigin{sourceName_, rowLine_, {}};
        return LinePassEnd::Abandoned;
    }

    LinePassEnd abandon(std::int32_t code, std::int32_t position) {
        model_.errorPosition = position;
        return abandon(code);
    }

    bool findHeader() {
        while (true) {
            const std::string field = readKeyword();
            // A "[generale]" field with no data after it does not count.
            if (!reader_.dataRemains()) return false;
            if (containsNoCase(field, "[generale]")) return true;
        }
    }

    LinePassEnd readHeader() {
        while (reader_.dataRemains()) {
            std::string field = readKeyword();
            if (!reader_.dataRemains()) break;
            // Dash skipping in the header: up to ten replacements, no end-of-data test between them.
            for (int skip = 0; skip < 10 && contains(field, "-"); ++skip) field = readKeyword();

            if (containsNoCase(field, "lunghezza") && containsNoCase(field, "percorso")) {
                const std::int32_t length = reader_.readLong();
                model_.scenario[trainRouteEntry].longB = length;
                if (length > maxRouteLength) return abandon(error::routeTooLong);
                allocateCells(model_, length);
            }
            if (contains(field, "tre") && contains(field, "progressiva")) readKmPostSet(kmPostEntryThree);
            if (contains(field, "due") && contains(field, "progressiva")) readKmPostSet(kmPostEntryTwo);
            if (contains(field, "uno") && contains(field, "progressiva")) readKmPostSet(kmPostEntryOne);
            if (contains(field, "sfondo") && contains(field, "uno")) model_.scenario[lineHeaderEntry].longA = reader_.readLong();
            if (contains(field, "sfondo") && contains(field, "due")) model_.scenario[lineHeaderEntry].longC = reader_.readLong();
            if (contains(field, "sfondo") && contains(field, "tre")) model_.scenario[lineHeaderEntry].longB = reader_.readLong();
            if (contains(field, "segnali") && contains(field, "ripetizione")) {
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
            if (endsHeader(field)) break;
        }
        return LinePassEnd::EndOfLineFile;
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
        model_.errorOrigin = ErrorOrigin{sourceName_, rowLine_, {}};
        return LinePassEnd::EndOfLineFile;
    }

    LinePassEnd readFeatures() {
        while (reader_.dataRemains()) {
            std::string field = readKeyword();
            if (!reader_.dataRemains()) break;
            // Dash skipping in the feature section: at most twice, testing the end of the data after each read.
            if (contains(field, "-")) {
                field = readKeyword();
                if (!reader_.dataRemains()) break;
                if (contains(field, "-")) {
                    field = readKeyword();
                    if (!reader_.dataRemains()) break;
                }
            }

            if (containsNoCase(field, "pendenza")) {
                const std::int32_t p = reader_.readLong();
                const std::int32_t g = reader_.readLong();
                if (!fitsCells(model_, p)) return outsideCells(p);
                recordGradient(model_, cursors_, p, g);
            }
            if (model_.withProfile != 0 && containsNoCase(field, "curva")) {
                const std::int32_t start = reader_.readLong();
                const std::int32_t length = reader_.readLong();
                if (!fitsCells(model_, start)) return outsideCells(start);
                const auto turnRate = curveTurnRate(field);
                if (!turnRate) return abandon(error::badCurve);
                if (recordCurve(model_, cursors_, start, length, *turnRate) == CurveResult::PastLimit) {
                    return abandon(error::badCurve);
                }
            }
            if (containsNoCase(field, "montagna")) {
                const std::int32_t inizio = reader_.readLong();
                const std::int32_t fine = reader_.readLong();
                std::int32_t tipo = reader_.readLong();
                if (!fitsCells(model_, inizio)) return outsideCells(inizio);
                memo_montagna(model_, inizio, fine, tipo);
            }
            if (containsNoCase(field, "indicatori_v")) {
                std::int32_t v[9];
                for (std::int32_t& value : v) value = reader_.readLong();
                if (!fitsCells(model_, v[0])) return outsideCells(v[0]);
                // The stripe counts are taken as their low 16 bits.
                memo_indicatori_v_max(model_, v[0], v[1], v[2], v[3], low16(v[4]), v[5], v[6], v[7], low16(v[8]));
                if (model_.errorCode > 0) return abandon(model_.errorCode, v[0]);
            }
            if (containsNoCase(field, "indicat") && containsNoCase(field, "cartello")) {
                const std::int32_t p = reader_.readLong();
                const std::string label = reader_.readText();
                if (!fitsCells(model_, p)) return outsideCells(p);
                if (!recordBoard(model_, p, label)) return abandon(error::boardCellTaken, p);
            }
        }
        return LinePassEnd::EndOfLineFile;
    }

    RouteModel& model_;
    FieldReader& reader_;
    LineCursors& cursors_;
    const std::string& sourceName_;
    int rowLine_ = 0;
};

}  // namespace

LinePassEnd readLineFile(RouteModel& model, FieldReader& reader, LineCursors& cursors, const std::string& sourceName) {
    return LinePass(model, reader, cursors, sourceName).run();
}

void finishLineFile(RouteModel& model, LineCursors& cursors) {
    fillGradientTail(model, cursors);
    if (model.withProfile != 0) fillProfileTail(model, cursors);
}

}  // namespace sb
