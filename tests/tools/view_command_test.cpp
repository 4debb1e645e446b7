// The view subcommand: which scenario a folder holds, the page and the SVG
// it writes, one mark per feature at the author's metre, names escaped, and
// sources compiled in memory (an error writes no page).
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "support/test_support.h"
#include "tool_process.h"
#include "route_page/assets.h"
#include "route_page/route_page.h"
#include "view_page.h"

namespace {

using namespace tooltest;

const std::string builtInPage = "VELDRA PALV_2638.html";

// A work folder with the built-in sources as line.txt and train.txt.
struct Work {
    Work() {
        sbtest::writeFile(folder.file("line.txt"), sb::builtin::builtInLineSourceText());
        sbtest::writeFile(folder.file("train.txt"), sb::builtin::builtInTrainSourceText());
    }
    Finished tool(const std::vector<std::string>& args) const { return runTool(args, folder.path()); }
    std::string read(const std::string& name) const { return sbtest::readFile(folder.file(name)); }
    bool has(const std::string& name) const { return sbtest::fileExists(folder.file(name)); }
    sbtest::TempFolder folder;
};

TEST(ViewCommand, PageOfAFolderHoldsOneMarkPerFeatureAtTheAuthorsMetre) {
    Work work;
    ASSERT_EQ(work.tool({"compile", "--out", "out", "line.txt", "train.txt"}).exitStatus, 0);
    const Finished run = work.tool({"view", "out"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "wrote " + builtInPage + "\n");
    const std::string page = work.read(builtInPage);
    const auto marks = viewtest::marksOf(page);

    // The marks match inspect's reading of the same files, kind by kind and metre by metre.
    const nlohmann::json cells = nlohmann::json::parse(work.tool({"inspect", "--json", "out/" + cellFileName}).out);
    const nlohmann::json table = nlohmann::json::parse(work.tool({"inspect", "--json", "out/" + scenarioTableName}).out);
    std::map<std::string, std::vector<long long>> expected;
    for (const nlohmann::json& f : cells.at("features")) expected[f.at("kind")].push_back(f.at("metre"));
    for (const nlohmann::json& s : table.at("stations")) expected["station"].push_back(s.at("metre"));
    for (auto* counts : {&cells.at("counts"), &table.at("counts")}) {
        for (const auto& [kind, count] : counts->items()) {
            const auto found = marks.count(kind) ? marks.at(kind).size() : 0u;
            EXPECT_EQ(found, count.get<std::size_t>()) << kind;
        }
    }
    for (auto& [kind, metres] : expected) {
        std::vector<long long> drawn = marks.count(kind) ? marks.at(kind) : std::vector<long long>{};
        std::sort(drawn.begin(), drawn.end());
        std::sort(metres.begin(), metres.end());
        EXPECT_EQ(drawn, metres) << kind;
    }
    // Kind by kind as the built-in sources give them, and the signal written
    // at 4000 m drawn at 4000 m, not at its cell's end.
    const std::pair<const char*, std::size_t> counts[] = {
        {"station", 17}, {"signal", 19}, {"restriction-start", 1}, {"restriction-end", 1}, {"restriction-warning", 1},
        {"restriction-marker", 4}, {"speed-indicator", 11}, {"board", 18}, {"code-point", 3},
    };
    for (const auto& [kind, count] : counts) EXPECT_EQ(marks.count(kind) ? marks.at(kind).size() : 0u, count) << kind;
    EXPECT_EQ(marks.at("restriction-start"), std::vector<long long>{34850});
    EXPECT_EQ(marks.at("restriction-end"), std::vector<long long>{34900});
    EXPECT_EQ(marks.at("restriction-warning"), std::vector<long long>{33650});
    EXPECT_EQ(marks.at("speed-indicator").front(), 300);
    EXPECT_EQ(marks.at("board").front(), 1250);
    EXPECT_NE(std::find(marks.at("signal").begin(), marks.at("signal").end(), 4000), marks.at("signal").end());
    EXPECT_EQ(std::find(marks.at("signal").begin(), marks.at("signal").end(), 4050), marks.at("signal").end());

    // Self-contained: nothing fetched, nothing beside it. The one address is
    // the SVG namespace the script creates elements in.
    EXPECT_EQ(viewtest::occurrences(page, "http"), viewtest::occurrences(page, "\"http://www.w3.org/2000/svg\""));
    EXPECT_EQ(page.find("<link"), std::string::npos);
    EXPECT_EQ(page.find(" src="), std::string::npos);
    EXPECT_NE(page.find("<td>casale ronchi</td>"), std::string::npos);
    EXPECT_NE(page.find("<td>13:26:30</td><td>90 s</td><td>13:28:00</td>"), std::string::npos);
}

TEST(ViewCommand, TheFolderOrTheOptionsSayWhichScenario) {
    Work work;
    ASSERT_EQ(work.tool({"compile", "--out", "out", "line.txt", "train.txt"}).exitStatus, 0);
    ASSERT_EQ(work.tool({"compile", "--out", "out", "--train-number", "7_1", "line.txt", "train.txt"}).exitStatus, 0);
    ASSERT_EQ(work.tool({"compile", "--out", "under", "--line-name", "A_B", "--train-number", "7", "line.txt", "train.txt"})
                  .exitStatus,
              0);
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string page;  // written, or the start of the message on stderr
    };
    const Case cases[] = {
        {"two scenarios, no choice", {"view", "out"}, 2, "scenario-tool: \"out\" holds several compiled scenarios"},
        {"the train number chooses", {"view", "--train-number", "7_1", "out"}, 0, "VELDRA PALV_7_1.html"},
        {"the line name and train number", {"view", "--line-name", "VELDRA PALV", "--train-number", "2638", "out"}, 0,
         builtInPage},
        {"a name the folder does not hold", {"view", "--train-number", "9", "out"}, 2,
         "scenario-tool: \"out\" holds no compiled scenario of that name"},
        // The names stored in the scenario table tell where the line name ends.
        {"a line name holding \"_\"", {"view", "under"}, 0, "A_B_7.html"},
        {"--out names the page", {"view", "--out", "p.html", "under"}, 0, "p.html"},
        {"not a folder", {"view", "line.txt"}, 2, "scenario-tool: \"line.txt\" is not a folder"},
        {"a folder without compiled files", {"view", "."}, 2, "scenario-tool: \".\" holds no compiled scenario"},
        {"three inputs", {"view", "a", "b", "c"}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Finished run = work.tool(c.args);
        EXPECT_EQ(run.exitStatus, c.status) << run.err;
        if (c.status == 0) {
            EXPECT_TRUE(work.has(c.page)) << c.page;
        } else {
            EXPECT_EQ(run.err.rfind(c.page, 0), 0u) << run.err;
        }
    }
    EXPECT_NE(work.read("A_B_7.html").find("<title>A_B \xC2\xB7 train 7</title>"), std::string::npos);
}

TEST(ViewCommand, SourcesAreCompiledInMemoryAndAnErrorWritesNoPage) {
    Work work;
    sbtest::writeFile(work.folder.file("bad.txt"),
                      replaced(sb::builtin::builtInTrainSourceText(), "stazione,    1250,", "stazione,    1275,"));
    sbtest::writeFile(work.folder.file("fatal.txt"),
                      replaced(sb::builtin::builtInTrainSourceText(), "[codici]\r\n", "[codici]\r\nabbattimento, 50, 180\r\n"));
    sbtest::writeFile(work.folder.file("tight.txt"),
                      replaced(sb::builtin::builtInTrainSourceText(), "13,18, 0, FERMATA 1", "13,16,30, FERMATA 1"));
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;  // a line stderr must hold
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"clean", {"view", "line.txt", "train.txt"}, 0, "", {builtInPage}},
        {"the svg alone", {"view", "--svg", "c.svg", "line.txt", "train.txt"}, 0, "", {"c.svg"}},
        {"page and svg", {"view", "--svg", "d.svg", "--out", "d.html", "line.txt", "train.txt"}, 0, "", {"d.svg", "d.html"}},
        {"an error code", {"view", "--out", "e.html", "line.txt", "bad.txt"}, 1, "bad.txt:", {}},
        {"a fatal stop", {"view", "--out", "f.html", "line.txt", "fatal.txt"}, 3, "error: Errore n. 1250", {}},
        {"a missing source", {"view", "--out", "g.html", "line.txt", "none.txt"}, 2, "\"none.txt\": No such file", {}},
        {"a warning", {"view", "--out", "h.html", "line.txt", "tight.txt"}, 0, "tight.txt:15:63: warning:", {"h.html"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Finished run = work.tool(c.args);
        EXPECT_EQ(run.exitStatus, c.status) << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        for (const std::string& name : c.written) EXPECT_TRUE(work.has(name)) << name;
    }
    for (const char* name : {"e.html", "f.html", "g.html"}) EXPECT_FALSE(work.has(name)) << name;
    // The page of sources with a warning says so at the top; a clean one does not.
    EXPECT_NE(work.read("h.html").find("<section id=\"warnings\" class=\"warnings\"><p>1 warning about the sources:"),
              std::string::npos);
    EXPECT_EQ(work.read("d.html").find("id=\"warnings\""), std::string::npos);
    // The warning is marked where its station stands; boards and restrictions carry their labels.
    const std::string warned = work.read("h.html");
    EXPECT_EQ(viewtest::marksOf(warned).count("warning"), 1u);
    EXPECT_NE(warned.find("<path data-kind=\"warning\" data-metre=\""), std::string::npos);
    EXPECT_NE(warned.find("class=\"board-label\" data-x0=\"1250\""), std::string::npos);
    EXPECT_NE(warned.find(">(FERMATA 1)</text>"), std::string::npos);
    EXPECT_NE(warned.find("class=\"zone-label\" data-x0=\"34850\""), std::string::npos);
    EXPECT_NE(warned.find("<line class=\"dwell\""), std::string::npos);
    EXPECT_FALSE(work.has("c.html"));
    // The SVG stands alone and draws the same marks as the page.
    const std::string svg = work.read("c.svg");
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_NE(svg.find("xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_EQ(svg.find("<script"), std::string::npos);
    EXPECT_EQ(viewtest::marksOf(svg), viewtest::marksOf(work.read(builtInPage)));
}

TEST(ViewCommand, ALineWithoutAProfileSaysSo) {
    Work work;
    ASSERT_EQ(work.tool({"compile", "--no-profile", "--out", "out", "line.txt", "train.txt"}).exitStatus, 0);
    ASSERT_EQ(work.tool({"view", "out"}).exitStatus, 0);
    const std::string page = work.read(builtInPage);
    EXPECT_NE(page.find("No plan: this line has no profile file"), std::string::npos);
    EXPECT_EQ(page.find("id=\"plan-line\""), std::string::npos);
    EXPECT_EQ(viewtest::marksOf(page).at("signal").size(), 19u);
}

// Names come from files an author may have downloaded: they show as text.
TEST(ViewCommand, NamesAreEscapedNeverMarkup) {
    Work work;
    std::string train = replaced(sb::builtin::builtInTrainSourceText(), "casale ronchi", "<script>alert(1)</script>");
    train = replaced(train, "borgonero", "a & b \"q\" 'x'\x01");
    sbtest::writeFile(work.folder.file("train.txt"), train);
    sbtest::writeFile(work.folder.file("line.txt"), replaced(sb::builtin::builtInLineSourceText(), "(MOLVERA)",
                                                             "<img src=x onerror=alert(2)>"));
    ASSERT_EQ(work.tool({"view", "--train-number", "<i>", "--svg", "x.svg", "--out", "x.html", "line.txt", "train.txt"})
                  .exitStatus,
              0);
    for (const char* name : {"x.html", "x.svg"}) {
        SCOPED_TRACE(name);
        const std::string text = work.read(name);
        EXPECT_NE(text.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
        EXPECT_NE(text.find("&lt;img src=x onerror=alert(2)&gt;"), std::string::npos);
        EXPECT_NE(text.find("a &amp; b &quot;q&quot; &#39;x&#39;\\x01"), std::string::npos);
        EXPECT_NE(text.find("train &lt;i&gt;"), std::string::npos);
        EXPECT_EQ(text.find("<img"), std::string::npos);
        EXPECT_EQ(text.find("<i>"), std::string::npos);
        EXPECT_EQ(text.find('\x01'), std::string::npos);
    }
    // The page's own three scripts and no other.
    EXPECT_EQ(viewtest::occurrences(work.read("x.html"), "<script"), 3u);
}

TEST(EscapeText, ReferencesAndVisibleControls) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"VELDRA", "VELDRA"},
        {"<b>&</b>", "&lt;b&gt;&amp;&lt;/b&gt;"},
        {"\"'", "&quot;&#39;"},
        {std::string("a\x01\x1F\x7F" "b", 5), "a\\x01\\x1F\\x7Fb"},
        {"tab\there", "tab\there"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},  // UTF-8 stays as it is
    };
    for (const Case& c : cases) EXPECT_EQ(sb::route_page::escapeText(c.in), c.out) << c.in;
}

TEST(StepPoints, WideRunsExactlyNarrowRunsAsAColumn) {
    using sb::route_page::ScreenAxis;
    using sb::route_page::StepRun;
    const ScreenAxis axis{0, 1000, 100, 100};  // 10 m a unit
    struct Case {
        const char* name;
        std::vector<StepRun> runs;
        std::vector<std::pair<double, double>> points;
    };
    const Case cases[] = {
        {"two wide runs", {{0, 500, 50}, {500, 1000, 85}}, {{100, 50}, {150, 50}, {150, 85}, {200, 85}}},
        {"outside the axis, cut", {{-500, 200, 10}, {900, 2000, 20}}, {{100, 10}, {120, 10}, {190, 20}, {200, 20}}},
        {"narrow runs share a column: lowest, highest, last",
         {{0, 4, 3}, {4, 8, 9}, {8, 12, 1}, {12, 500, 5}},
         {{100, 1}, {100, 9}, {101.2, 1}, {101.2, 5}, {150, 5}}},
        {"nothing shown", {{2000, 3000, 1}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto points = sb::route_page::stepPoints(c.runs, axis);
        ASSERT_EQ(points.size(), c.points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(points[i].first, c.points[i].first, 1e-9) << i;
            EXPECT_EQ(points[i].second, c.points[i].second) << i;
        }
    }
}

}  // namespace

namespace {

// The page's styles and script are embedded byte for byte from their files.
TEST(RoutePageAssets, AreTheFilesBesideThePageByteForByte) {
    const std::string folder = std::string(SB_SOURCE_DIR) + "/src/route_page/";
    EXPECT_EQ(sb::route_page::routeSvgStyle, sbtest::readFile(folder + "svg_style.css"));
    EXPECT_EQ(sb::route_page::routePageStyle, sbtest::readFile(folder + "page_style.css"));
    EXPECT_EQ(sb::route_page::routePageControls, sbtest::readFile(folder + "controls.html"));
    EXPECT_EQ(sb::route_page::routePageErrorTrap, sbtest::readFile(folder + "error_trap.js"));
    EXPECT_EQ(sb::route_page::routePageScript, sbtest::readFile(folder + "page_script.js"));
}

}  // namespace
