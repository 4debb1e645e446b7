// Decoding of compiled files for authors: a readable listing or every field
// as JSON. A file whose length does not fit its layout is rejected, never
// read past its end.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/route_model.h"

namespace sb::tool {

enum class CompiledKind { Cells, ScenarioTable, LineProfile };

// The kind follows from the name: "_linea.dat" line profile, ".sim"
// scenario table, any other ".dat" cell file.
std::optional<CompiledKind> kindFromName(const std::string& path);

class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<RouteCell> decodeCells(std::string_view bytes);
std::vector<ScenarioEntry> decodeScenarioTable(std::string_view bytes);

struct DecodedProfile {
    std::vector<ProfileValue> first;   // first coordinates, metre by metre
    std::vector<ProfileValue> second;  // second coordinates
};
DecodedProfile decodeLineProfile(std::string_view bytes);

std::string cellsText(const std::vector<RouteCell>& cells);
std::string scenarioTableText(const std::vector<ScenarioEntry>& entries);
std::string lineProfileText(const DecodedProfile& profile);

nlohmann::json cellsJson(const std::vector<RouteCell>& cells);
nlohmann::json scenarioTableJson(const std::vector<ScenarioEntry>& entries);
nlohmann::json lineProfileJson(const DecodedProfile& profile);

// The inspect subcommand; returns the exit status.
int runInspect(const std::string& path, bool json, std::ostream& out, std::ostream& err);

}  // namespace sb::tool
