// The language server as an editor meets it: the time from a didChange to
// the publishDiagnostics it causes, against the round trip of a request
// answered at once (the pipes and framing alone, the yardstick); and the
// server's resident memory over a long run of edits.
//
// Usage: lsp_session SCENARIO_TOOL FOLDER EDITS [MEMORY_EDITS]
//   FOLDER holds NAME_linea.txt and NAME_NUMBER-.txt (the first of each)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/server_process.h"
#include "support/test_support.h"

namespace {

using nlohmann::json;
using namespace editortest;
using Clock = std::chrono::steady_clock;

std::string uriOf(const std::string& path) {
    std::string uri = "file://";
    for (const char c : path) uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
}

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Spread {
    double median;
    double p90;
};
Spread spreadOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() * 9 / 10]};
}

long residentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: lsp_session SCENARIO_TOOL FOLDER EDITS [MEMORY_EDITS]\n";
        return 2;
    }
    const std::string tool = argv[1];
    const std::string folder = std::filesystem::absolute(argv[2]).string();
    const int edits = std::stoi(argv[3]);
    const int memoryEdits = argc > 4 ? std::stoi(argv[4]) : 0;
    std::string linePath;
    std::string trainPath;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 10 && name.substr(name.size() - 10) == "_linea.txt") linePath = entry.path().string();
        else if (name.size() > 5 && name.substr(name.size() - 5) == "-.txt") trainPath = entry.path().string();
    }
    if (linePath.empty() || trainPath.empty()) {
        std::cerr << "lsp_session: no line and train source in " << folder << '\n';
        return 2;
    }
    // The editor holds UTF-8; the sources here are ASCII.
    const std::string line = sbtest::readFile(linePath);
    const std::string train = sbtest::readFile(trainPath);
    const std::string lineUri = uriOf(linePath);
    const std::string trainUri = uriOf(trainPath);

    ServerProcess server(folder, tool);
    server.initialize();
    server.send(notification("textDocument/didOpen", {{"textDocument", {{"uri", lineUri}, {"languageId", "scenario"}, {"version", 1}, {"text", line}}}}));
    server.diagnosticsFor(trainUri);

    // An edit: one value of the last row changes back and forth, so every
    // change is real and the document keeps its size.
    const std::size_t lastComma = line.rfind(',', line.rfind("[fine]"));
    int version = 1;
    const auto edit = [&] {
        std::string text = line;
        text.insert(lastComma + 1, version % 2 == 0 ? " " : "  ");
        ++version;
        server.send(notification("textDocument/didChange", {{"textDocument", {{"uri", lineUri}, {"version", version}}},
                                                            {"contentChanges", json::array({{{"text", text}}})}}));
        return server.diagnosticsFor(lineUri).has_value();
    };

    std::vector<double> changeTimes;
    std::vector<double> roundTrips;
    for (int i = 0; i < edits; ++i) {
        const Clock::time_point start = Clock::now();
        if (!edit()) {
            std::cerr << "lsp_session: no diagnostics after an edit: " << server.errorOutput() << '\n';
            return 1;
        }
        changeTimes.push_back(milliseconds(Clock::now() - start));
        const Clock::time_point asked = Clock::now();
        server.send(request(100000 + i, "$/yardstick"));
        server.replyTo(100000 + i);
        roundTrips.push_back(milliseconds(Clock::now() - asked));
    }
    const Spread change = spreadOf(changeTimes);
    const Spread trip = spreadOf(roundTrips);
    std::printf("  %-38s median %8.3f ms   p90 %8.3f ms\n", "didChange to publishDiagnostics", change.median, change.p90);
    std::printf("  %-38s median %8.3f ms   p90 %8.3f ms\n", "request round trip (yardstick)", trip.median, trip.p90);
    std::printf("  %-38s %8.1f\n", "ratio", change.median / trip.median);

    if (memoryEdits > 100) {
        for (int i = 0; i < 100; ++i) edit();
        const long early = residentKiB(server.pid());
        for (int i = 100; i < memoryEdits; ++i) edit();
        const long late = residentKiB(server.pid());
        std::printf("  resident memory after 100 edits %ld KiB, after %d edits %ld KiB: %+.1f %%\n", early, memoryEdits,
                    late, 100.0 * static_cast<double>(late - early) / static_cast<double>(early));
    }
    server.send(request(1, "shutdown"));
    server.replyTo(1);
    server.send(notification("exit"));
    return server.wait() == 0 ? 0 : 1;
}
