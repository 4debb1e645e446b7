#include "model/cell_kinds.h"
#include "model/scenario_table.h"
#include "model/station_kinds.h"

namespace sb {

const CellKindInfo* findCellKind(std::uint8_t kind) {
    for (const CellKindInfo& info : cellKinds) {
        if (info.kind == kind) return &info;
    }
    return nullptr;
}

std::string_view cellKindName(std::uint8_t kind) {
    const CellKindInfo* info = findCellKind(kind);
    return info != nullptr ? info->name : "unknown kind";
}

const EntryRoleInfo& entryRole(int index) {
    for (const EntryRoleInfo& info : entryRoles) {
        if (index >= info.first && index <= info.last) return info;
    }
    return entryRoles[0];
}

const StationKindInfo& stationKind(std::uint8_t kind) {
    for (const StationKindInfo& info : stationKinds) {
        if (kind >= info.first && kind <= info.last) return info;
    }
    return stationKinds[0];  // the table covers 0 to 255
}

}  // namespace sb
