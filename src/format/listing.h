// The storage-level views of the compiled files, walked from the record
// declarations: a readable listing of every field, and JSON. Both write as
// they go, so even the largest profile file takes little memory.
#pragma once

#include <iosfwd>
#include <string_view>
#include <vector>

#include "model/route_model.h"

namespace sb::format {

// Cells with equal fields are listed once as a run; zero fields are left out.
void listCells(std::ostream& out, const std::vector<RouteCell>& cells);
// Entries whose fields are all zero are left out; so are zero fields.
void listScenarioTable(std::ostream& out, const ScenarioTable& entries);
// The element count per type, each axis's extent and a few sample metres.
void listLineProfile(std::ostream& out, std::string_view bytes);

// A profile element as JSON: null for an empty element, {"integer":n} for
// an integer, else the number.
std::string profileElementJson(const ProfileValue& element);

// A field value as JSON text.
std::string jsonText(std::string_view singleByteText);
std::string jsonNumber(double value);

}  // namespace sb::format
