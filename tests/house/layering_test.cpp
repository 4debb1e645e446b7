// The rooms point one way: every source file under src/ and tools/ includes
// only its own room and the rooms that the table in docs/design.md allows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path root = SB_SOURCE_DIR;

struct Room {
    std::string folder;           // e.g. "src/compiler"
    std::set<std::string> allowed;  // room names it may include
};

std::vector<std::string> cells(const std::string& row) {
    std::vector<std::string> out;
    std::stringstream in(row);
    std::string cell;
    std::getline(in, cell, '|');  // before the first bar
    while (std::getline(in, cell, '|')) {
        const auto first = cell.find_first_not_of(' ');
        const auto last = cell.find_last_not_of(' ');
        out.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    if (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

// The rows of the "Rooms and what each may include" table.
std::map<std::string, Room> roomsFromDesign() {
    std::ifstream in(root / "docs" / "design.md");
    std::map<std::string, Room> rooms;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("## Rooms and what each may include", 0) == 0) inTable = true;
        if (!inTable || line.rfind("| ", 0) != 0) continue;
        const std::vector<std::string> row = cells(line);
        if (row.size() != 4 || row[0] == "room") continue;
        Room room{row[1], {}};
        if (row[3] != "nothing") {
            std::stringstream list(row[3]);
            for (std::string name; std::getline(list, name, ',');) {
                name.erase(0, name.find_first_not_of(' '));
                room.allowed.insert(name);
            }
        }
        rooms[row[0]] = room;
    }
    return rooms;
}

// The room a quoted include names, by its first path component.
std::string roomOfInclude(const std::string& path, const std::map<std::string, Room>& rooms) {
    const std::string first = path.substr(0, path.find('/'));
    for (const auto& [name, room] : rooms) {
        if (fs::path(room.folder).filename() == first) return name;
    }
    return "";
}

TEST(Layering, TheDesignTableNamesEveryRoom) {
    const auto rooms = roomsFromDesign();
    ASSERT_GE(rooms.size(), 8u) << "the table in docs/design.md was not found";
    std::set<std::string> folders;
    for (const auto& [name, room] : rooms) {
        EXPECT_TRUE(fs::is_directory(root / room.folder)) << name << ": " << room.folder;
        folders.insert(room.folder);
        for (const std::string& allowed : room.allowed) EXPECT_TRUE(rooms.count(allowed)) << name << " allows " << allowed;
    }
    for (const auto& entry : fs::directory_iterator(root / "src")) {
        if (entry.is_directory()) {
            EXPECT_TRUE(folders.count("src/" + entry.path().filename().string()))
                << entry.path() << " is a room missing from docs/design.md";
        }
    }
}

TEST(Layering, EveryIncludeGoesToAnAllowedRoom) {
    const auto rooms = roomsFromDesign();
    ASSERT_FALSE(rooms.empty());
    const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    int checked = 0;
    for (const auto& [name, room] : rooms) {
        for (const auto& entry : fs::recursive_directory_iterator(root / room.folder)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            std::ifstream in(entry.path());
            int lineNumber = 0;
            for (std::string line; std::getline(in, line);) {
                ++lineNumber;
                std::smatch match;
                if (!std::regex_search(line, match, include)) continue;
                const std::string target = roomOfInclude(match[1], rooms);
                ASSERT_FALSE(target.empty()) << entry.path() << ":" << lineNumber << " includes \"" << match[1]
                                             << "\", which belongs to no room";
                ++checked;
                EXPECT_TRUE(target == name || room.allowed.count(target))
                    << entry.path().lexically_relative(root).string() << ":" << lineNumber << ": room " << name
                    << " may not include room " << target << " (\"" << match[1] << "\")";
            }
        }
    }
    EXPECT_GT(checked, 100);
}

// The rooms the issue of the one-way road names, checked apart from the
// table so that loosening the table cannot quietly undo them.
TEST(Layering, TheCoreRoomsStayClearOfTheDiskAndTheRun) {
    const auto rooms = roomsFromDesign();
    for (const char* core : {"compiler", "model", "format"}) {
        ASSERT_TRUE(rooms.count(core));
        EXPECT_FALSE(rooms.at(core).allowed.count("files")) << core;
        EXPECT_FALSE(rooms.at(core).allowed.count("run")) << core;
    }
    ASSERT_TRUE(rooms.count("files"));
    EXPECT_TRUE(rooms.at("files").allowed.empty());
    ASSERT_TRUE(rooms.count("tools"));
    EXPECT_FALSE(rooms.at("tools").allowed.count("run"));
}

}  // namespace
