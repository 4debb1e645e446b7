// The three compiled files as bytes: the cell file, the scenario-table file
// and the line profile file. Pure functions of the model; writing them to
// disk is the file store's job.
#pragma once

#include <string>

#include "model/route_model.h"

namespace sb {

inline constexpr std::size_t cellRecordSize = 15;
inline constexpr std::size_t entryFixedSize = 34;

std::string cellFileBytes(const RouteModel& model);
std::string scenarioTableBytes(const RouteModel& model);
std::string lineProfileBytes(const LineProfile& profile);

void appendCell(std::string& out, const RouteCell& cell);
void appendEntry(std::string& out, const ScenarioEntry& entry);

}  // namespace sb
