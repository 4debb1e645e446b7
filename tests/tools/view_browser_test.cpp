// The route page in a real browser (Debian's Chromium, headless): per
// data-kind the marks equal inspect's counts, no script error or console
// message, the charts are drawn, zoom, pan and hover work, and names from
// the sources stay text. The longest route is opened the same way; how
// quickly is measured by bench/view_page.sh, not here.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench_inputs.h"
#include "browser.h"
#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "model/file_names.h"
#include "support/test_support.h"
#include "tool_process.h"

namespace {

using namespace tooltest;
using browsertest::chromium;
using browsertest::fileUrl;

const std::string page = "VELDRA PALV_2638.html";

std::string whyNoBrowser() {
    if (browsertest::chromiumPath().empty()) return "chromium is not installed (.ci/run installs it)";
    if (browsertest::onPath("convert").empty()) return "ImageMagick's convert is not on PATH (.ci/run installs it)";
    return "";
}

// Compiles the sources in folder (line.txt, train.txt) into out/ and views them.
void compileAndView(const sbtest::TempFolder& folder) {
    const Finished compiled = runTool({"compile", "--out", "out", "line.txt", "train.txt"}, folder.path());
    ASSERT_EQ(compiled.exitStatus, 0) << compiled.err;
    const Finished viewed = runTool({"view", "out"}, folder.path());
    ASSERT_EQ(viewed.exitStatus, 0) << viewed.err;
}

// What inspect --json counts per kind in the two files of out/.
std::map<std::string, std::size_t> inspectCounts(const sbtest::TempFolder& folder) {
    std::map<std::string, std::size_t> counts;
    for (const std::string& file : {cellFileName, scenarioTableName}) {
        const Finished run = runTool({"inspect", "--json", "out/" + file}, folder.path());
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        const nlohmann::json doc = nlohmann::json::parse(run.out);
        for (const auto& [kind, count] : doc.at("counts").items()) {
            if (count.get<std::size_t>() > 0) counts[kind] = count.get<std::size_t>();
        }
    }
    return counts;
}

// Opens the page and checks what the browser built from it.
void expectLoadedCleanly(const sbtest::TempFolder& folder, const std::map<std::string, std::size_t>& counts) {
    const Finished run = chromium({"--dump-dom"}, fileUrl(folder.file(page)), folder.path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(browsertest::consoleLines(run.err), std::vector<std::string>{});
    EXPECT_NE(run.out.find("<body data-ready=\"yes\">"), std::string::npos) << "the script did not finish";
    EXPECT_EQ(run.out.find("data-script-errors=\""), std::string::npos);
    // The fastest run and the timetable's marks are drawn beside the features.
    std::map<std::string, std::size_t> features = browsertest::kindCounts(run.out);
    for (const char* drawn : {"fastest-run", "fastest-speed", "scheduled-time"}) features.erase(drawn);
    EXPECT_EQ(features, counts);
}

// The route page with a driver added: it acts on the page as a user would
// and writes what it saw as JSON (<, > and & escaped) into #out. Headless
// Chromium produces almost no animation frames while it runs on virtual
// time, so the copy hands the page's frame requests to timers, which that
// clock runs; the page's own code is unchanged.
std::string drivenPage(const std::string& original, const std::string& actions) {
    const std::string frames =
        "<script>window.requestAnimationFrame = function (step) {"
        " return setTimeout(function () { step(performance.now()); }, 16); };</script>";
    const std::string driver = R"(<pre id="out"></pre><script>
(function () {
  var w = window, d = document, svg = d.getElementById("route"), result = {};
  function later(step) { setTimeout(step, 100); }
  function x(el) {
    if (el.tagName === "circle") return el.cx.baseVal.value;
    if (el.tagName === "rect") return el.x.baseVal.value + el.width.baseVal.value / 2;
    return el.transform.baseVal.getItem(0).matrix.e;
  }
  function centre(el) { var r = el.getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; }
  function finish() {
    document.getElementById("out").textContent = JSON.stringify(result).replace(/[<>&]/g, function (c) {
      return "\\u00" + c.charCodeAt(0).toString(16);
    });
  }
)" + actions + R"(
})();
</script>)";
    std::string copy = replaced(original, "<head>", "<head>" + frames);
    return replaced(copy, "</body></html>", driver + "</body></html>");
}

nlohmann::json driven(const sbtest::TempFolder& folder, const std::string& actions) {
    sbtest::writeFile(folder.file("driven.html"), drivenPage(sbtest::readFile(folder.file(page)), actions));
    const Finished run = chromium({"--window-size=1400,1000", "--virtual-time-budget=5000", "--dump-dom"},
                                  fileUrl(folder.file("driven.html")), folder.path());
    EXPECT_EQ(browsertest::consoleLines(run.err), std::vector<std::string>{});
    const std::size_t start = run.out.find("<pre id=\"out\">");
    const std::size_t end = run.out.find("</pre>", start);
    if (start == std::string::npos || end == std::string::npos) return nullptr;
    const std::string text = run.out.substr(start + 14, end - start - 14);
    if (text.empty()) return nullptr;
    return nlohmann::json::parse(text);
}

class RouteViewInChromium : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = whyNoBrowser(); !why.empty()) GTEST_SKIP() << why;
    }
};

TEST_F(RouteViewInChromium, BuiltInScenarioLoadsWithEveryMarkAndNoScriptError) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), sb::builtin::builtInLineSourceText());
    sbtest::writeFile(folder.file("train.txt"), sb::builtin::builtInTrainSourceText());
    compileAndView(folder);
    const std::map<std::string, std::size_t> counts = inspectCounts(folder);
    const std::map<std::string, std::size_t> builtIn{
        {"station", 17},          {"signal", 19},          {"restriction-start", 1}, {"restriction-end", 1},
        {"restriction-warning", 1}, {"restriction-marker", 4}, {"speed-indicator", 11}, {"board", 18},
        {"code-point", 3},
    };
    EXPECT_EQ(counts, builtIn);
    expectLoadedCleanly(folder, counts);
}

// The distance-time panel: a mark per scheduled time, the fastest run
// ending at the terminus, its speed over the limits.
TEST_F(RouteViewInChromium, TheFastestRunIsDrawnAgainstTheTimetable) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), sb::builtin::builtInLineSourceText());
    sbtest::writeFile(folder.file("train.txt"), sb::builtin::builtInTrainSourceText());
    compileAndView(folder);
    const nlohmann::json seen = driven(folder, R"(
  result.scheduled = d.querySelectorAll('[data-kind="scheduled-time"]').length;
  var run = d.querySelector('[data-kind="fastest-run"]');
  result.lastMetre = run ? run.getAttribute("data-last-metre") : null;
  result.speed = !!d.querySelector('[data-kind="fastest-speed"]');
  finish();
)");
    ASSERT_TRUE(seen.is_object()) << "the driver wrote nothing";
    // 12 stops with an arrival and a departure, the terminus with its arrival.
    EXPECT_EQ(seen.at("scheduled"), 12 * 2 + 1);
    EXPECT_EQ(seen.at("lastMetre"), "46000");
    EXPECT_TRUE(seen.at("speed").get<bool>());
}

TEST_F(RouteViewInChromium, TheChartsAreDrawn) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), sb::builtin::builtInLineSourceText());
    sbtest::writeFile(folder.file("train.txt"), sb::builtin::builtInTrainSourceText());
    compileAndView(folder);
    const Finished run = chromium({"--hide-scrollbars", "--window-size=1400,1100", "--screenshot=" + folder.file("shot.png")},
                                  fileUrl(folder.file(page)), folder.path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::map<std::string, long> colours = browsertest::colourCounts(folder.file("shot.png"), folder.path());
    struct Drawn {
        const char* what;
        const char* colour;
        long atLeast;
    };
    const Drawn drawn[] = {
        {"the line speed", "#1F77B4", 1000},  {"the gradient", "#9CCC7A", 10000}, {"stations", "#7B3FA0", 500},
        {"signals and the plan", "#222222", 1000}, {"code points", "#2CA02C", 30},
    };
    for (const Drawn& d : drawn) {
        EXPECT_GE(colours.count(d.colour) ? colours.at(d.colour) : 0, d.atLeast) << d.what << " (" << d.colour << ")";
    }
    long all = 0;
    for (const auto& [colour, count] : colours) all += count;
    EXPECT_LT(colours.count("#FFFFFF") ? colours.at("#FFFFFF") : 0, all * 95 / 100) << "a blank page";
}

TEST_F(RouteViewInChromium, HoverShowsDetailsAndTheAxisZoomsAndPans) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), sb::builtin::builtInLineSourceText());
    sbtest::writeFile(folder.file("train.txt"), sb::builtin::builtInTrainSourceText());
    compileAndView(folder);
    const nlohmann::json seen = driven(folder, R"(
  var signal = d.querySelector('[data-kind="signal"][data-metre="4000"]');
  var far = d.querySelector('[data-kind="station"][data-metre="46000"]');
  var tip = d.getElementById("tip"), range = d.getElementById("range");
  result.range = range.textContent;
  result.x = x(signal);
  signal.dispatchEvent(new w.MouseEvent("mouseover", { bubbles: true }));
  result.tip = tip.textContent;
  result.tipShown = !tip.hidden;
  var at = centre(signal);
  for (var i = 0; i < 8; i++) {
    svg.dispatchEvent(new w.WheelEvent("wheel", { deltaY: -100, clientX: at[0], clientY: at[1], bubbles: true, cancelable: true }));
  }
  later(function () {
    result.zoomedRange = range.textContent;
    result.zoomedX = x(signal);
    result.farX = x(far);
    var from = centre(signal);
    svg.dispatchEvent(new w.PointerEvent("pointerdown", { button: 0, pointerId: 1, clientX: from[0], clientY: from[1], bubbles: true }));
    svg.dispatchEvent(new w.PointerEvent("pointermove", { pointerId: 1, clientX: from[0] + 200, clientY: from[1], bubbles: true }));
    svg.dispatchEvent(new w.PointerEvent("pointerup", { pointerId: 1, clientX: from[0] + 200, clientY: from[1], bubbles: true }));
    later(function () {
      result.draggedX = x(signal);
      d.getElementById("zoom-all").click();
      later(function () {
        result.wholeRange = range.textContent;
        result.wholeX = x(signal);
        finish();
      });
    });
  });
)");
    ASSERT_TRUE(seen.is_object()) << "the driver wrote nothing";
    EXPECT_EQ(seen.at("range"), "0.000 to 47.073 km");  // to the terminus area's end, 46150 m, and 2 % more
    EXPECT_EQ(seen.at("tip"), "signal at 4000 m: first group 1: 3 1 0; second group 1: 2 1 0; auxiliary 0 (cell 81)");
    EXPECT_TRUE(seen.at("tipShown").get<bool>());
    // Zoomed around the pointer: the signal under it stays put, the far end leaves the chart.
    EXPECT_NE(seen.at("zoomedRange"), seen.at("range"));
    EXPECT_NEAR(seen.at("zoomedX").get<double>(), seen.at("x").get<double>(), 4.0);
    EXPECT_GT(seen.at("farX").get<double>(), 1180);
    // Dragged to the right: the route follows the pointer.
    EXPECT_GT(seen.at("draggedX").get<double>(), seen.at("zoomedX").get<double>() + 50);
    EXPECT_EQ(seen.at("wholeRange"), seen.at("range"));
    EXPECT_NEAR(seen.at("wholeX").get<double>(), seen.at("x").get<double>(), 0.11);
}

// Names from the sources that would be markup or script run nothing and show as written.
TEST_F(RouteViewInChromium, NamesThatLookLikeMarkupStayText) {
    sbtest::TempFolder folder;
    const std::string station = "<script>console.log(\"ran\")</script>";
    const std::string board = "<img src=x onerror=console.log(2)>";
    sbtest::writeFile(folder.file("line.txt"), replaced(sb::builtin::builtInLineSourceText(), "(FERMATA 1)", board));
    sbtest::writeFile(folder.file("train.txt"), replaced(sb::builtin::builtInTrainSourceText(), "casale ronchi", station));
    compileAndView(folder);
    expectLoadedCleanly(folder, inspectCounts(folder));
    const nlohmann::json seen = driven(folder, R"(
  result.scripts = d.querySelectorAll("script").length - 2;  // less the frame timers and this driver
  result.images = d.querySelectorAll("img").length;
  var tip = d.getElementById("tip");
  d.querySelector('[data-kind="station"][data-metre="7800"]').dispatchEvent(new w.MouseEvent("mouseover", { bubbles: true }));
  result.stationTip = tip.textContent;
  result.tipElements = tip.childElementCount;
  d.querySelector('[data-kind="board"][data-metre="1250"]').dispatchEvent(new w.MouseEvent("mouseover", { bubbles: true }));
  result.boardTip = tip.textContent;
  result.labels = Array.prototype.map.call(d.querySelectorAll("#labels text"), function (t) { return t.textContent; });
  result.cells = Array.prototype.map.call(d.querySelectorAll("#timetable td"), function (t) { return t.textContent; });
  finish();
)");
    ASSERT_TRUE(seen.is_object()) << "the driver wrote nothing";
    EXPECT_EQ(seen.at("scripts"), 3);
    EXPECT_EQ(seen.at("images"), 0);
    EXPECT_NE(seen.at("stationTip").get<std::string>().find("\"" + station + "\", stop (kind 12)"), std::string::npos)
        << seen.at("stationTip");
    EXPECT_EQ(seen.at("tipElements"), 0);
    EXPECT_EQ(seen.at("boardTip"), "location board at 1250 m: \"" + board + "\" (cell 26)");
    const auto& labels = seen.at("labels");
    EXPECT_NE(std::find(labels.begin(), labels.end(), station), labels.end());
    const auto& cells = seen.at("cells");
    EXPECT_NE(std::find(cells.begin(), cells.end(), station), cells.end());

    // The charts alone, as a standalone SVG document, parse as XML with the same marks.
    ASSERT_EQ(runTool({"view", "--svg", "charts.svg", "out"}, folder.path()).exitStatus, 0);
    const Finished svg = chromium({"--dump-dom"}, fileUrl(folder.file("charts.svg")), folder.path());
    ASSERT_EQ(svg.exitStatus, 0) << svg.err;
    EXPECT_EQ(svg.out.find("parsererror"), std::string::npos) << svg.out.substr(0, 400);
    std::map<std::string, std::size_t> marks = browsertest::kindCounts(svg.out);
    EXPECT_EQ(marks.erase("fastest-speed"), 1u);
    EXPECT_EQ(marks, inspectCounts(folder));
}

TEST_F(RouteViewInChromium, TheLongestRouteLoadsWithEveryMark) {
    sbtest::TempFolder folder;
    sbtest::writeFile(folder.file("line.txt"), sb::bench::maxRouteLineText());
    sbtest::writeFile(folder.file("train.txt"), sb::bench::denseTrainText());
    compileAndView(folder);
    const std::map<std::string, std::size_t> counts = inspectCounts(folder);
    EXPECT_EQ(counts.at("signal"), 5000u);
    EXPECT_EQ(counts.at("station"), 78u);
    expectLoadedCleanly(folder, counts);
}

}  // namespace
