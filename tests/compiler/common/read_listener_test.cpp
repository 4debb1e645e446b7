// What the compile tells a listener: where each field stands, what became
// of each keyword field, which rows start and which errors are recorded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/common/field_reader.h"
#include "compiler/common/keyword_reader.h"
#include "compiler/common/read_listener.h"
#include "compiler/compile.h"

namespace {

using namespace sb;
using namespace sb::compiler;

// Writes every event as one short line.
class Recorder final : public ReadListener {
public:
    std::vector<std::string> events;

    void fieldRead(FieldKind kind, const FieldSpan& span, NumberWidth) override {
        const char* k = kind == FieldKind::Keyword ? "keyword" : kind == FieldKind::Text ? "text" : "number";
        events.push_back(std::string(k) + " " + std::to_string(span.line) + ":" + std::to_string(span.column) + "+" +
                         std::to_string(span.length));
    }
    void keywordOutcome(KeywordOutcome outcome) override {
        events.push_back(outcome == KeywordOutcome::Interpreted ? "interpreted"
                         : outcome == KeywordOutcome::Disabled  ? "disabled"
                                                                : "not interpreted");
    }
    void rowStarts(RowKind kind) override { events.push_back("row " + std::string(keywordInfo(kind).noun)); }
    void dataStarts() override { events.push_back("data"); }
    void headerEnds() override { events.push_back("header ends"); }
    void readFailed(ReadFailureKind kind) override {
        events.push_back(kind == ReadFailureKind::EndOfData ? "failed: end of data" : "failed: not a number");
    }
    void errorRecorded(std::int32_t code, std::optional<std::int32_t> position) override {
        events.push_back("error " + std::to_string(code) + (position ? " at " + std::to_string(*position) : ""));
    }
    void stage(ReadStage stage) override {
        events.push_back(stage == ReadStage::LineTails ? "line tails" : "train completion");
    }
    void failed(std::string_view) override { events.push_back("failure"); }

    // The facts about cells, on a list of their own.
    std::vector<std::string> facts;
    void cellClaimed(std::int64_t cell, CellFeature f) override { facts.push_back("claim " + cellOf(cell, f)); }
    void cellTaken(std::int64_t cell, CellFeature f) override { facts.push_back("taken " + cellOf(cell, f)); }
    void featureReplaced(std::int64_t cell, CellFeature by) override { facts.push_back("replaced " + cellOf(cell, by)); }
    void codePointAdded(std::int64_t cell, std::int64_t forCell) override {
        facts.push_back("added " + std::to_string(cell) + " for " + std::to_string(forCell));
    }
    void finishingBlocked(std::int32_t code, std::int64_t forCell, std::span<const std::int64_t> tried) override {
        facts.push_back("blocked " + std::to_string(code) + " for " + std::to_string(forCell) + " tried " +
                        std::to_string(tried.size()));
    }
    void valueTooWide(double value, double, double, std::optional<std::size_t> field) override {
        facts.push_back("too wide " + std::to_string(static_cast<long long>(value)) + " field " +
                        (field ? std::to_string(*field) : std::string("?")));
    }

private:
    static std::string cellOf(std::int64_t cell, CellFeature f) {
        static const char* const names[] = {"board", "indicator", "signal", "code point", "warning",
                                            "start", "end", "marker", "stop"};
        return std::to_string(cell) + " " + names[static_cast<int>(f)];
    }
};

TEST(ReadListener, FieldsAreReportedWithLineColumnAndLength) {
    const struct {
        const char* name;
        std::string data;
        std::vector<std::string> events;
    } cases[] = {
        {"blanks around a field are not part of it", "  ab, 12 \r\n\tcd",
         {"text 1:3+2", "number 1:7+2", "text 2:2+2"}},
        {"a lone LF and a lone CR end lines too", "a\n7\rc", {"text 1:1+1", "number 2:1+1", "text 3:1+1"}},
        {"an empty field at a line end", "a,\r\nb", {"text 1:1+1", "number 1:3+0", "failed: not a number"}},
        {"a number that is not one is reported first", "a, x", {"text 1:1+1", "number 1:4+1", "failed: not a number"}},
        {"reading past the end", "a", {"text 1:1+1", "failed: end of data"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder recorder;
        FieldReader reader(c.data);
        reader.setListener(&recorder);
        try {
            reader.readText();
            reader.readInt32();
            reader.readText();
        } catch (const RunTimeFailure&) {
        }
        EXPECT_EQ(recorder.events, c.events);
    }
}

TEST(ReadListener, KeywordFieldsAreInterpretedDisabledOrLeftAtTheEnd) {
    const struct {
        const char* name;
        std::string data;
        DashSkipping skipping;
        std::vector<std::string> events;
    } cases[] = {
        {"a plain keyword", "a,b", DashSkipping::Section, {"keyword 1:1+1", "interpreted"}},
        {"the last field is never interpreted", "a", DashSkipping::Section, {"keyword 1:1+1", "not interpreted"}},
        {"a dash disables the field", "-a,b,c", DashSkipping::Section,
         {"keyword 1:1+2", "disabled", "keyword 1:4+1", "interpreted"}},
        {"at most two in a section", "-a,-b,-c,d", DashSkipping::Section,
         {"keyword 1:1+2", "disabled", "keyword 1:4+2", "disabled", "keyword 1:7+2", "interpreted"}},
        {"a disabled field before the last one", "-a,b", DashSkipping::Section,
         {"keyword 1:1+2", "disabled", "keyword 1:4+1", "not interpreted"}},
        {"up to ten in the header", "-a,-b,c,d", DashSkipping::Header,
         {"keyword 1:1+2", "disabled", "keyword 1:4+2", "disabled", "keyword 1:7+1", "interpreted"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder recorder;
        FieldReader reader(c.data);
        reader.setListener(&recorder);
        nextKeyword(reader, c.skipping);
        EXPECT_EQ(recorder.events, c.events);
    }
}

// The rows and errors of a small compile, in the order the passes meet them.
TEST(ReadListener, ThePassesTellRowsErrorsAndStages) {
    RouteModel model;
    model.lineName = "L";
    model.trainNumber = "1";
    MemorySources sources;
    sources.files["L_linea.txt"] =
        "[generale]\r\nlunghezza percorso, 2000\r\n[curve]\r\npendenza, 0, 1\r\ncartello_indicatore, 300, (A)\r\n"
        "indicatori_vmax, 300, 0,0,0,0,0,0,0,0\r\n[fine]\r\n";
    sources.files["L_1-.txt"] = "[generale]\r\nvelocita, 0, 50\r\n[fine]\r\n";
    Recorder recorder;
    compileModel(model, false, sources, &recorder);
    std::vector<std::string> shown;
    for (const std::string& e : recorder.events) {
        if (e.rfind("row ", 0) == 0 || e.rfind("error", 0) == 0 || e == "data" || e == "header ends" ||
            e == "line tails" || e == "train completion") {
            shown.push_back(e);
        }
    }
    // The indicator on the board's cell abandons the line source: no tails, no train source.
    EXPECT_EQ(shown, (std::vector<std::string>{"data", "row route length", "header ends", "row gradient",
                                               "row location board", "row speed indicator", "error 21 at 300"}));
    EXPECT_EQ(model.errorCode, 21);
}

// The compile tells each cell a feature takes, finds taken or writes over,
// where it finds them; a line of 2000 m under every case.
TEST(ReadListener, ThePassesTellTheFactsOfTheCells) {
    const std::string line = "[generale]\r\nlunghezza percorso, 2000\r\n[cartelli]\r\ncartello_indicatore, 2050, (B)\r\n[fine]\r\n";
    const std::string station = "stazione, 2000, 6, 300, 0,0,0, 1,1,0, 2,1,1, 1, 13,22,0, S\r\n";
    const struct {
        const char* name;
        std::string train;
        std::vector<std::string> facts;
    } cases[] = {
        {"a stop cell over a board", station, {"claim 42 board", "replaced 42 stop", "claim 42 stop"}},
        {"a signal on the board's cell", "segnale, 2050, 1,1,1,1,0,1,1,1,1,0\r\n",
         {"claim 42 board", "taken 42 signal"}},
        {"a restriction and the code points added for it",
         "rallentamento, 1750, 30, 50, 0, 0, 0\r\n",
         {"claim 42 board", "claim 37 end", "claim 36 start", "claim 12 warning", "added 31 for 36", "added 25 for 36",
          "added 18 for 36"}},
        {"a code value too wide, blamed on its field", "abbattimento, 1000, 40000\r\n",
         {"claim 42 board", "too wide 40000 field 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RouteModel model;
        model.lineName = "L";
        model.trainNumber = "1";
        MemorySources sources;
        sources.files["L_linea.txt"] = line;
        sources.files["L_1-.txt"] = "[generale]\r\nvelocita, 0, 50\r\n" + c.train + "[fine]\r\n";
        Recorder recorder;
        compileModel(model, false, sources, &recorder);
        EXPECT_EQ(recorder.facts, c.facts);
    }
}

}  // namespace
