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

}  // namespace
