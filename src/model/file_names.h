// Names of the files of one scenario, built from the line name and the
// train number.
#pragma once

#include <string>
#include <vector>

namespace sb::names {

inline std::string lineSource(const std::string& lineName) { return lineName + "_linea.txt"; }
inline std::string trainSource(const std::string& lineName, const std::string& trainNumber) {
    return lineName + "_" + trainNumber + "-.txt";
}
inline std::string notes(const std::string& lineName, const std::string& trainNumber) {
    return lineName + "_" + trainNumber + "_" + "note.txt";
}
inline std::string slowDownOrders(const std::string& lineName, const std::string& trainNumber) {
    return lineName + "_" + trainNumber + "_" + "rallentamenti.txt";
}
inline std::string trainSheet(const std::string& lineName, const std::string& trainNumber) {
    return lineName + "_" + trainNumber + "_" + "scheda_treno.txt";
}
inline std::string lineProfileFile(const std::string& lineName) { return lineName + "_linea.dat"; }
inline std::string scenarioTableFile(const std::string& lineName, const std::string& trainNumber) {
    return lineName + "_" + trainNumber + ".sim";
}
inline std::string cellFile(const std::string& lineName, const std::string& trainNumber) {
    return lineName + "_" + trainNumber + ".dat";
}

// The compiled set of a scenario: line profile, scenario table, cells.
inline std::vector<std::string> compiledFiles(const std::string& lineName, const std::string& trainNumber) {
    return {lineProfileFile(lineName), scenarioTableFile(lineName, trainNumber), cellFile(lineName, trainNumber)};
}

// Every file a run of the program writes: the two sources, the three
// documents, the compiled set.
inline std::vector<std::string> runFiles(const std::string& lineName, const std::string& trainNumber) {
    std::vector<std::string> all{lineSource(lineName), trainSource(lineName, trainNumber), notes(lineName, trainNumber),
                                 slowDownOrders(lineName, trainNumber), trainSheet(lineName, trainNumber)};
    for (std::string& name : compiledFiles(lineName, trainNumber)) all.push_back(std::move(name));
    return all;
}

inline const std::string builtInLineName = "VELDRA PALV";
inline const std::string builtInTrainNumber = "2638";

}  // namespace sb::names
