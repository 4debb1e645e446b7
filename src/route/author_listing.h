// The compiled files in the author's units: positions in metres as the
// sources give them, speeds in km/h, gradients in per mille, times as
// hh:mm:ss, codes taken apart, kinds and roles by name; each listing opens
// with a short summary. The JSON keeps every stored field and adds the
// decoded values beside them, with the counts per feature kind.
#pragma once

#include <iosfwd>
#include <string_view>
#include <vector>

#include "model/route_model.h"

namespace sb::route {

void listCellsForAuthors(std::ostream& out, const std::vector<RouteCell>& cells);
void listTableForAuthors(std::ostream& out, const ScenarioTable& entries);
void listProfileForAuthors(std::ostream& out, std::string_view bytes);

// {"kind":"cells","cellCount":N,"lastCell":N-1,"counts":{...},"features":[...],"cells":[{stored fields...,"decoded":{...}}]}
void writeCellsJsonForAuthors(std::ostream& out, const std::vector<RouteCell>& cells);
// {"kind":"scenarioTable","counts":{...},"general":{...},"stations":[...],"boardLabels":[...],
//  "kmPosts":[...],"entries":[{stored fields...,"role":...}]}
void writeTableJsonForAuthors(std::ostream& out, const ScenarioTable& entries);
// {"kind":"lineProfile","profileLength":P,"curves":[...],"first":[...],"second":[...]}
void writeProfileJsonForAuthors(std::ostream& out, std::string_view bytes);

}  // namespace sb::route
