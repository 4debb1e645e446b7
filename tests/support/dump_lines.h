// Reads back the lines of an annotated byte dump, for tests of the dump and
// of inspect --bytes.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace sbtest {

struct DumpLine {
    std::size_t offset;
    std::string bytes;  // as the hex on the line says
    std::string label;  // after "; "
};

inline std::vector<DumpLine> parseDump(const std::string& dump) {
    std::vector<DumpLine> lines;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);) {
        DumpLine parsed{std::stoul(line.substr(0, 8), nullptr, 16), "", ""};
        const std::size_t semicolon = line.find("  ; ");
        std::istringstream hex(line.substr(9, semicolon - 9));
        for (std::string byte; hex >> byte;) parsed.bytes.push_back(static_cast<char>(std::stoi(byte, nullptr, 16)));
        parsed.label = line.substr(semicolon + 4);
        lines.push_back(parsed);
    }
    return lines;
}

// The first offset where the dump's lines stop running on byte for byte over
// the file (a gap, an overlap, or bytes that differ), or file.size() + 1 when
// they cover it short; npos when every byte is covered exactly once.
inline std::size_t firstUncovered(const std::vector<DumpLine>& lines, const std::string& file) {
    std::size_t next = 0;
    for (const DumpLine& line : lines) {
        if (line.offset != next || file.compare(line.offset, line.bytes.size(), line.bytes) != 0) return next;
        next += line.bytes.size();
    }
    return next == file.size() ? std::string::npos : file.size() + 1;
}

}  // namespace sbtest
