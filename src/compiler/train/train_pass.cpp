#include "compiler/train/train_pass.h"

#include "compiler/common/text_match.h"
#include "compiler/train/train_recorders.h"

namespace sb {

namespace {

enum class Flow { Continue, Completion, Abandon };

class TrainPass {
public:
    TrainPass(RouteModel& model, FieldReader& reader, SourceFiles& sources, const std::string& sourceName)
        : model_(model), reader_(reader), sources_(sources), sourceName_(sourceName) {}

    void run() {
        carriedCode_ = model_.errorCode;
        do {
            const std::string field = readKeyword();
            if (containsNoCase(field, "[generale]")) break;
        } while (reader_.dataRemains());

        if (mainLoop() == Flow::Abandon) {
            sources_.remove(sourceName_);
            return;
        }
        completion();
    }

private:
    std::string readKeyword() {
        std::string field = reader_.readText();
        reader_.markRowStart();
        rowLine_ = reader_.rowLine();
        model_.inputField = field;
        return field;
    }

    Flow stop(Flow flow, std::int32_t code, std::int32_t position) {
        model_.errorCode = code;
        model_.errorPosition = position;
        model_.errorOrigin = ErrorOrigin{sourceName_, rowLine_, {}};
        return flow;
    }

    Flow stop(Flow flow, std::int32_t code) {
        model_.errorCode = code;
        model_.errorOrigin = ErrorOrigin{sourceName_, rowLine_, {}};
        return flow;
    }

    // After a recorder the pass stops on any code, its own or one the line
    // pass left; a code carried over says where it really comes from.
    Flow stopAfterRecorder(std::int32_t position, const ErrorOrigin& before) {
        const std::int32_t code = model_.errorCode;
        const bool carriedOver = code == carriedCode_ && code != 0 && before.sourceFile != sourceName_;
        stop(Flow::Abandon, code, position);
        if (carriedOver) {
            model_.errorOrigin.detail = std::string("recorded by the line source at ") + before.sourceFile +
                                        (before.line > 0 ? std::string(":") + std::to_string(before.line) : std::string()) +
                                        "; the train pass stops at its first signal or restriction row";
        }
        return Flow::Abandon;
    }

    Flow mainLoop() {
        while (reader_.dataRemains()) {
            std::string field = readKeyword();
            if (!reader_.dataRemains()) break;
            if (contains(field, "-")) {
                field = readKeyword();
                if (!reader_.dataRemains()) break;
                if (contains(field, "-")) {
                    field = readKeyword();
                    if (!reader_.dataRemains()) break;
                }
            }
            const Flow flow = interpret(field);
            if (flow != Flow::Continue) return flow;
        }
        return Flow::Completion;
    }

    Flow interpret(const std::string& field) {
        if (containsNoCase(field, "frenata") && containsNoCase(field, "massa")) {
            model_.scenario[trainRouteEntry].longA = reader_.readLong();
        }
        if (containsNoCase(field, "vetture")) model_.scenario[trainRouteEntry].longC = reader_.readLong();
        if (containsNoCase(field, "velocit")) {
            if (const Flow f = lineSpeedRow(); f != Flow::Continue) return f;
        }
        if (containsNoCase(field, "aderenza")) {
            if (const Flow f = adhesionRow(); f != Flow::Continue) return f;
        }
        if (containsNoCase(field, "orologio")) {
            ScenarioEntry& train = model_.scenario[trainHeaderEntry];
            train.intC = reader_.readInteger();
            train.intD = reader_.readInteger();
            train.intE = reader_.readInteger();
        }
        if (containsNoCase(field, "sabbia")) model_.scenario[trainHeaderEntry].intA = reader_.readInteger();
        if (containsNoCase(field, "segnale")) {
            if (const Flow f = signalRow(); f != Flow::Continue) return f;
        }
        if (containsNoCase(field, "rallentamento")) {
            if (const Flow f = restrictionRow(); f != Flow::Continue) return f;
        }
        if (containsNoCase(field, "abbattimento")) {
            if (const Flow f = codePointRow(); f != Flow::Continue) return f;
        }
        if (containsNoCase(field, "stazione")) {
            if (const Flow f = stationRow(); f != Flow::Continue) return f;
        }
        return Flow::Continue;
    }

    Flow lineSpeedRow() {
        const std::int32_t position = reader_.readLong();
        const std::int32_t speed = reader_.readLong();
        if (!fitsCells(model_, position)) return stop(Flow::Completion, error::beyondCells, position);
        const std::int32_t n = toLong(position / 50.0);
        if (n > 0) {
            // At least one cell is written, even when the cursor is already at n.
            do {
                if (speedCursor_ >= model_.cellCount) break;
                cellAt(model_, speedCursor_).lineSpeed = toByte(pendingSpeed_ / 5.0);
                ++speedCursor_;
            } while (speedCursor_ < n);
        }
        pendingSpeed_ = speed;
        return Flow::Continue;
    }

    Flow adhesionRow() {
        const std::int32_t position = reader_.readLong();
        const std::int32_t value = reader_.readLong();
        if (!fitsCells(model_, position)) return stop(Flow::Completion, error::beyondCells, position);
        const std::int32_t n = toLong(position / 50.0);
        if (n > 0) {
            do {
                if (adhesionCursor_ > model_.cellCount) break;
                cellAt(model_, adhesionCursor_).adhesion = low8(pendingAdhesion_);
                ++adhesionCursor_;
            } while (adhesionCursor_ < n);
        }
        pendingAdhesion_ = value;
        return Flow::Continue;
    }

    Flow signalRow() {
        std::int32_t v[11];
        for (std::int32_t& value : v) value = reader_.readLong();
        const std::int32_t posizione = v[0];
        if (!fitsCells(model_, posizione) || !hasCell(model_, pointCell(posizione))) {
            return stop(Flow::Completion, error::beyondCells, posizione);
        }
        const ErrorOrigin carried = model_.errorOrigin;
        memo_segnale(model_, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
        // A code carried over from the line pass stops the pass here too.
        if (model_.errorCode > 0) return stopAfterRecorder(posizione, carried);
        return Flow::Continue;
    }

    Flow restrictionRow() {
        std::int32_t x = reader_.readLong();
        std::int32_t v = reader_.readLong();
        std::int32_t l = reader_.readLong();
        std::int32_t f_tt = reader_.readLong();
        std::int32_t f_ta = reader_.readLong();
        std::int32_t d_v = reader_.readLong();
        if (!fitsCells(model_, x) || !restrictionCellsExist(model_, x, l)) {
            return stop(Flow::Completion, error::beyondCells, x);
        }
        const ErrorOrigin carried = model_.errorOrigin;
        memo_rallentamento(model_, x, v, l, f_tt, f_ta, d_v);
        if (model_.errorCode > 0) return stopAfterRecorder(x, carried);
        return Flow::Continue;
    }

    Flow codePointRow() {
        const std::int32_t position = reader_.readLong();
        const std::int32_t codeValue = reader_.readLong();
        const std::int64_t i = codeCell(position);
        if (!fitsCells(model_, position) || !hasCell(model_, i)) {
            return stop(Flow::Completion, error::beyondCells, position);
        }
        RouteCell& cell = cellAt(model_, i);
        if (!isFree(cell.kind)) return stop(Flow::Abandon, error::codePointCellTaken, position);
        if (codeValue > 0) {
            cell.kind = cellkind::codePoint;
            cell.value1 = toInteger(static_cast<std::int64_t>(codeValue));
        } else {
            cell.kind = cellkind::codePointWithoutValue;
        }
        return Flow::Continue;
    }

    Flow stationRow();

    void completion() {
        sources_.remove(sourceName_);
        do {
            cellAt(model_, speedCursor_).lineSpeed = toByte(pendingSpeed_ / 5.0);
            ++speedCursor_;
        } while (speedCursor_ < static_cast<std::int64_t>(model_.cellCount) - 2);
        do {
            if (adhesionCursor_ > model_.cellCount) break;
            cellAt(model_, adhesionCursor_).adhesion = low8(pendingAdhesion_);
            ++adhesionCursor_;
        } while (adhesionCursor_ < static_cast<std::int64_t>(model_.cellCount) - 2);
        for (int entry = kmPostEntryThree; entry <= kmPostEntryOne; ++entry) {
            const ScenarioEntry& e = model_.scenario[static_cast<std::size_t>(entry)];
            if (e.longA % 50 != 0 || e.longB % 50 != 0) {
                model_.errorCode = error::kmPostNotMultiple;
                model_.errorOrigin = ErrorOrigin{};
            }
        }
    }

    RouteModel& model_;
    FieldReader& reader_;
    SourceFiles& sources_;
    const std::string& sourceName_;
    int rowLine_ = 0;

    std::int64_t speedCursor_ = 0;
    std::int32_t pendingSpeed_ = 0;
    std::int64_t adhesionCursor_ = 0;
    std::int32_t pendingAdhesion_ = 0;
    std::int32_t stationCount_ = 1;
    std::int32_t carriedCode_ = 0;
};

Flow TrainPass::stationRow() {
    const std::int32_t k = stationCount_;
    ScenarioEntry& entry = entryAt(model_, k);
    const std::int32_t position = reader_.readLong();
    entry.longC = position;
    if ((static_cast<double>(position) + 800.0) / 50.0 > model_.cellCount) {
        return stop(Flow::Completion, error::beyondCells, position);
    }
    if (position % 50 != 0) return stop(Flow::Abandon, error::stationNotMultiple, position);
    entry.kind = reader_.readByte();
    const std::int32_t length = reader_.readLong();
    if (length % 100 != 0) return stop(Flow::Abandon, error::stationLengthNotMultiple, position);
    entry.byteA = reader_.readByte();
    entry.byteE = reader_.readByte();
    entry.byteD = reader_.readByte();
    entry.intA = reader_.readInteger();
    entry.intB = reader_.readInteger();
    entry.byteB = reader_.readByte();
    entry.intC = reader_.readInteger();
    entry.intD = reader_.readInteger();
    entry.intE = reader_.readInteger();
    entry.byteC = reader_.readByte();
    const std::int32_t hours = reader_.readLong();
    const std::int32_t minutes = reader_.readLong();
    const std::int32_t seconds = reader_.readLong();
    entry.longD = addLong(mulLong(addLong(mulLong(hours, 60), minutes), 60), seconds);
    setEntryText(entry, reader_.readText());

    const std::uint8_t kind = entry.kind;
    if (kind == 5 || kind == 6) {
        entry.longA = subLong(position, length);
        entry.longB = addLong(position, 150);
        entry.byteD = 0;
    } else if (kind == 7 || kind == 8) {
        entry.longA = subLong(position, length);
        entry.longB = addLong(position, length);
        entry.byteD = 0;
    } else {
        entry.longA = toLong(position - length / 2.0);
        entry.longB = toLong(position + length / 2.0);
        if (entry.byteD != 0) entry.longB = addLong(entry.longB, 50);
    }
    if (length < 600) entry.byteE = 0;
    if (k == 1) {
        entry.byteD = 0;
        entry.byteE = 0;
    }

    const std::int64_t s = stopCell(entry.longB);
    if (kind < 25) {
        // A stop cell beyond the cells is out of range like any other feature.
        if (s > model_.cellCount) return stop(Flow::Completion, error::beyondCells, position);
        if (kind != 5 && kind != 6) {
            for (std::int64_t j = 1; j <= 4; ++j) {
                if (s - j > 1) cellAt(model_, s - j).approachMark = static_cast<std::uint8_t>(80 + j);
            }
        }
        if (s <= 1) return stop(Flow::Abandon, error::stationAreaTooEarly);
        RouteCell& stopCellRef = cellAt(model_, s);
        stopCellRef.kind = cellkind::stationStop;
        stopCellRef.value1 = toInteger(static_cast<std::int64_t>(k));
    }
    if (k > 1 && subLong(entry.longA, 350) < entryAt(model_, k - 1).longB) {
        return stop(Flow::Abandon, error::stationsTooClose, position);
    }
    stationCount_ = addLong(stationCount_, 1);
    if (stationCount_ >= model_.nextBoardEntry) return stop(Flow::Abandon, error::tooManyStations);
    return Flow::Continue;
}

}  // namespace

void readTrainFile(RouteModel& model, FieldReader& reader, SourceFiles& sources, const std::string& sourceName) {
    TrainPass(model, reader, sources, sourceName).run();
}

}  // namespace sb
