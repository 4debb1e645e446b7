// The roles of the 87 scenario-table entries: one table that the compile's
// constants, listings and the route page read.
#pragma once

#include <cstdint>
#include <string_view>

namespace sb {

inline constexpr int scenarioEntryCount = 87;
inline constexpr int firstStationEntry = 1;
inline constexpr int firstBoardEntry = 80;  // boards count down from here
inline constexpr int kmPostEntryThree = 81;
inline constexpr int kmPostEntryTwo = 82;
inline constexpr int kmPostEntryOne = 83;
inline constexpr int trainRouteEntry = 84;
inline constexpr int lineHeaderEntry = 85;
inline constexpr int trainHeaderEntry = 86;

enum class EntryRole { None, StationOrBoard, KilometrePosts, TrainAndRoute, LineHeader, TrainHeader };

struct EntryRoleInfo {
    int first;
    int last;
    EntryRole role;
    std::string_view name;
    std::string_view fields;  // which fields carry what
};

inline constexpr EntryRoleInfo entryRoles[] = {
    {0, 0, EntryRole::None, "no role", "stays cleared"},
    {firstStationEntry, firstBoardEntry, EntryRole::StationOrBoard, "station or location board",
     "stations from entry 1 upward, board labels from entry 80 downward"},
    {kmPostEntryThree, kmPostEntryOne, EntryRole::KilometrePosts, "kilometre posts",
     "longA position, longB value, longC flag; entry 81 holds the largest position"},
    {trainRouteEntry, trainRouteEntry, EntryRole::TrainAndRoute, "train and route",
     "longA braked-mass percentage, longB route length, longC cars"},
    {lineHeaderEntry, lineHeaderEntry, EntryRole::LineHeader, "line header",
     "longA, longC, longB backgrounds one, two, three; text line name; intA format mark; longD code"},
    {trainHeaderEntry, trainHeaderEntry, EntryRole::TrainHeader, "train header",
     "longA, longB signal-repetition start and end, longC codes; text train number; intA sand; intC..intE clock"},
};

// The row for an entry index 0 to 86 (the first row for anything else).
const EntryRoleInfo& entryRole(int index);

}  // namespace sb
