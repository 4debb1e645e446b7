// Names of the files of one scenario, built from the line name and the
// train number.
#pragma once

#include <string>

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

inline const std::string builtInLineName = "VELDRA PALV";
inline const std::string builtInTrainNumber = "2638";

}  // namespace sb::names
