// What the run tests share: the names a run writes and checks on its files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "support/test_support.h"

namespace runtest {

inline const std::string lineSource = "VELDRA PALV_linea.txt";
inline const std::string trainSource = "VELDRA PALV_2638-.txt";
inline const std::string notes = "VELDRA PALV_2638_note.txt";
inline const std::string slowDownOrders = "VELDRA PALV_2638_rallentamenti.txt";
inline const std::string trainSheet = "VELDRA PALV_2638_scheda_treno.txt";
inline const std::string lineProfile = "VELDRA PALV_linea.dat";
inline const std::string scenarioTable = "VELDRA PALV_2638.sim";
inline const std::string cells = "VELDRA PALV_2638.dat";

inline constexpr std::uintmax_t lineProfileBytes = 1019964;
inline constexpr std::uintmax_t cellBytes = 15315;

// Every entry of a folder by name, files and folders alike.
inline std::set<std::string> entriesOf(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// Number of CR LF lines; -1 when the text has a bare CR or LF or an
// unterminated last line.
inline int crlfLines(const std::string& text) {
    int lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++lines;
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            return -1;
        }
    }
    if (!text.empty() && text.back() != '\n') return -1;
    return lines;
}

}  // namespace runtest
