#include "model/route_model.h"

#include <cmath>
#include <string>

namespace sb {

std::int64_t pointCell(std::int64_t p) { return static_cast<std::int64_t>(roundHalfEven(static_cast<double>(p) / 50.0 + 1.0)); }
std::int64_t codeCell(std::int64_t p) { return static_cast<std::int64_t>(roundHalfEven(static_cast<double>(p) / 50.0)); }
std::int64_t stopCell(std::int64_t e) { return static_cast<std::int64_t>(roundHalfEven(static_cast<double>(e) / 50.0 - 1.0)); }

bool hasCell(const RouteModel& model, std::int64_t index) {
    return index >= 0 && static_cast<std::uint64_t>(index) < model.cells.size();
}

RouteCell& cellAt(RouteModel& model, std::int64_t index) {
    if (!hasCell(model, index)) {
        throw RunTimeFailure("cell " + std::to_string(index) + " is outside the route cells");
    }
    return model.cells[static_cast<std::size_t>(index)];
}

const RouteCell& cellAt(const RouteModel& model, std::int64_t index) {
    if (!hasCell(model, index)) {
        throw RunTimeFailure("cell " + std::to_string(index) + " is outside the route cells");
    }
    return model.cells[static_cast<std::size_t>(index)];
}

ScenarioEntry& entryAt(RouteModel& model, std::int64_t index) {
    if (index < 0 || index >= scenarioEntryCount) {
        throw RunTimeFailure("scenario entry " + std::to_string(index) + " does not exist");
    }
    return model.scenario[static_cast<std::size_t>(index)];
}

void setEntryText(ScenarioEntry& entry, std::string text) {
    if (text.size() > 0xFFFF) {
        throw RunTimeFailure("a text of " + std::to_string(text.size()) + " bytes is too long for a scenario entry");
    }
    entry.text = std::move(text);
}

bool fitsCells(const RouteModel& model, std::int64_t p) {
    return (static_cast<double>(p) + 100.0) / 50.0 <= static_cast<double>(model.cellCount);
}

void allocateCells(RouteModel& model, std::int32_t routeLength) {
    model.profileLength = addInt32(routeLength, routeTailMetres);
    model.cellCount = toInt32(static_cast<double>(model.profileLength) / 50.0);
    if (model.cellCount < 0) {
        throw RunTimeFailure("route cells 0 to " + std::to_string(model.cellCount) + " are empty");
    }
    model.cells.assign(static_cast<std::size_t>(model.cellCount) + 1, RouteCell{});
    if (model.withProfile) {
        model.lineProfile.recreate(model.profileLength);
    }
}

}  // namespace sb
