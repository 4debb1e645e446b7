#include "tools/compiled_set.h"

#include <sys/stat.h>

#include "files/file_store.h"
#include "files/folder_listing.h"
#include "format/byte_io.h"
#include "format/compiled_files.h"
#include "format/layouts.h"
#include "model/file_names.h"

namespace sb::tool {

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool startsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

}  // namespace

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Which scenario of the folder: the names pick it, or the folder holds one.
FoundScenario findScenario(const std::string& folder, const std::optional<std::string>& lineName,
                            const std::optional<std::string>& trainNumber) {
    std::vector<std::string> stems = scenarioStems(files::fileNamesIn(folder));
    std::vector<std::string> matching;
    for (const std::string& stem : stems) {
        if (lineName && !startsWith(stem, *lineName + "_")) continue;
        if (trainNumber && !endsWith(stem, "_" + *trainNumber)) continue;
        if (lineName && trainNumber && stem != *lineName + "_" + *trainNumber) continue;
        matching.push_back(stem);
    }
    if (matching.empty()) {
        throw CompiledSetFailure("\"" + folder + "\" holds no compiled scenario" +
                          std::string(lineName || trainNumber ? " of that name" : "") +
                          " (NAME_NUMBER.sim with NAME_NUMBER.dat beside it)");
    }
    if (matching.size() > 1) {
        std::string list;
        for (const std::string& stem : matching) list += (list.empty() ? "" : ", ") + stem;
        throw CompiledSetFailure("\"" + folder + "\" holds several compiled scenarios (" + list +
                          "): choose one with --line-name and --train-number");
    }
    const std::string& stem = matching.front();
    if (lineName) return {*lineName, stem.substr(lineName->size() + 1)};
    if (trainNumber) return {stem.substr(0, stem.size() - trainNumber->size() - 1), *trainNumber};
    // The names the table holds tell where the line name ends when both
    // could hold "_"; otherwise the train number follows the last "_".
    try {
        const ScenarioTable table =
            format::decodeScenarioTable(files::readAll(files::joinPath(folder, stem + ".sim")));
        const std::string& line = table[lineHeaderEntry].text;
        const std::string& train = table[trainHeaderEntry].text;
        if (stem == line + "_" + train) return {line, train};
    } catch (const format::DecodeError&) {
        // Read again below, where the failure is reported.
    }
    const std::size_t split = stem.rfind('_');
    return {stem.substr(0, split), stem.substr(split + 1)};
}

Compiled readFolder(const std::string& folder, const FoundScenario& scenario) {
    Compiled compiled;
    const std::string tablePath = files::joinPath(folder, names::scenarioTableFile(scenario.lineName, scenario.trainNumber));
    const std::string cellPath = files::joinPath(folder, names::cellFile(scenario.lineName, scenario.trainNumber));
    const std::string profilePath = files::joinPath(folder, names::lineProfileFile(scenario.lineName));
    // Only what a compiled file of its kind can be is read.
    const auto decoding = [](const std::string& path, std::uint64_t maxBytes, auto decode) {
        try {
            return decode(files::readRegularFile(path, maxBytes));
        } catch (const format::DecodeError& failure) {
            throw CompiledSetFailure("\"" + path + "\" does not fit its layout: " + failure.what());
        }
    };
    compiled.table = decoding(tablePath, format::maxScenarioTableFileBytes,
                              [](const std::string& b) { return format::decodeScenarioTable(b); });
    compiled.cells =
        decoding(cellPath, format::maxCellFileBytes, [](const std::string& b) { return format::decodeCells(b); });
    compiled.files = {tablePath, cellPath};
    if (files::exists(profilePath)) {
        compiled.plan = decoding(profilePath, format::maxLineProfileFileBytes,
                                 [](const std::string& b) { return route::readPlanFile(b); });
        compiled.files.push_back(profilePath);
    }
    return compiled;
}

std::vector<std::string> scenarioStems(const std::vector<std::string>& fileNames) {
    std::vector<std::string> stems;
    for (const std::string& name : fileNames) {
        if (!endsWith(name, ".sim")) continue;
        const std::string stem = name.substr(0, name.size() - 4);
        if (stem.find('_') == std::string::npos) continue;
        for (const std::string& other : fileNames) {
            if (other == stem + ".dat") {
                stems.push_back(stem);
                break;
            }
        }
    }
    return stems;
}


}  // namespace sb::tool
