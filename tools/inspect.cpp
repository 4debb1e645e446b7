#include "tools/inspect.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "model/compiled_files.h"
#include "run/files/file_store.h"
#include "tools/compile_command.h"

namespace sb::tool {

namespace {

bool endsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Little-endian reads from a bounded buffer; every read is checked against its end.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
    bool atEnd() const { return pos_ == bytes_.size(); }
    std::size_t offset() const { return pos_; }

    std::uint8_t u8() {
        need(1);
        return static_cast<std::uint8_t>(bytes_[pos_++]);
    }
    std::uint16_t u16() {
        const std::uint16_t lo = u8();
        const std::uint16_t hi = u8();
        return static_cast<std::uint16_t>(lo | (hi << 8));
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int shift = 0; shift < 32; shift += 8) v |= static_cast<std::uint32_t>(u8()) << shift;
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    double f64() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 8) v |= static_cast<std::uint64_t>(u8()) << shift;
        return std::bit_cast<double>(v);
    }
    std::string text(std::size_t n) {
        need(n);
        std::string t(bytes_.substr(pos_, n));
        pos_ += n;
        return t;
    }

private:
    void need(std::size_t n) const {
        if (bytes_.size() - pos_ < n) {
            throw DecodeError("the file ends at byte " + std::to_string(bytes_.size()) + " inside a record that needs " +
                              std::to_string(n) + " more byte(s) from offset " + std::to_string(pos_));
        }
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
};

const char* cellKindName(std::uint8_t kind) {
    switch (kind) {
        case cellkind::plain: return "plain";
        case cellkind::signal: return "signal";
        case cellkind::restrictionEnd: return "restriction end";
        case cellkind::restrictionStart: return "restriction start";
        case cellkind::restrictionWarning: return "restriction warning point";
        case cellkind::restrictionMarker: return "restriction approach marker";
        case cellkind::speedIndicator: return "speed indicator";
        case cellkind::stationStop: return "station stop";
        case cellkind::mountainFiller: return "mountain filler";
        case cellkind::codePoint: return "code point";
        case cellkind::codePointWithoutValue: return "code point without value";
        case cellkind::locationBoard: return "location board";
        default: return "unknown kind";
    }
}

std::string formatDouble(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

std::string profileValueText(const ProfileValue& v) {
    switch (v.type) {
        case ProfileType::Empty: return "empty";
        case ProfileType::Integer: return std::to_string(static_cast<int>(v.value)) + " (integer)";
        case ProfileType::Double: return formatDouble(v.value);
    }
    return "?";
}

nlohmann::json profileValueJson(const ProfileValue& v) {
    switch (v.type) {
        case ProfileType::Empty: return nullptr;
        case ProfileType::Integer: return {{"integer", static_cast<int>(v.value)}};
        case ProfileType::Double: return v.value;
    }
    return nullptr;
}

// Runs of equal values of one per-cell field, as "first-last value".
template <typename Field>
void appendRuns(std::ostringstream& out, const char* title, const std::vector<RouteCell>& cells, Field field) {
    out << title << ':';
    std::size_t start = 0;
    for (std::size_t i = 1; i <= cells.size(); ++i) {
        if (i == cells.size() || field(cells[i]) != field(cells[start])) {
            out << ' ' << start;
            if (i - 1 != start) out << '-' << (i - 1);
            out << '=' << static_cast<int>(field(cells[start]));
            start = i;
        }
    }
    out << '\n';
}

// A board entry carries its label and nothing else.
bool onlyText(const ScenarioEntry& e) {
    ScenarioEntry bare = e;
    bare.text.clear();
    return bare == ScenarioEntry{};
}

}  // namespace

std::optional<CompiledKind> kindFromName(const std::string& path) {
    if (endsWith(path, "_linea.dat")) return CompiledKind::LineProfile;
    if (endsWith(path, ".sim")) return CompiledKind::ScenarioTable;
    if (endsWith(path, ".dat")) return CompiledKind::Cells;
    return std::nullopt;
}

std::vector<RouteCell> decodeCells(std::string_view bytes) {
    if (bytes.size() % cellRecordSize != 0) {
        throw DecodeError("the length " + std::to_string(bytes.size()) + " is not a whole number of 15-byte cell records");
    }
    ByteReader r(bytes);
    std::vector<RouteCell> cells(bytes.size() / cellRecordSize);
    for (RouteCell& c : cells) {
        c.kind = r.u8();
        c.value1 = r.i16();
        c.value2 = r.i16();
        c.value3 = r.i16();
        c.value4 = r.i16();
        c.signalTime = r.u8();
        c.approachMark = r.u8();
        c.mountainType = r.u8();
        c.lineSpeed = r.u8();
        c.gradient = r.u8();
        c.adhesion = r.u8();
    }
    return cells;
}

std::vector<ScenarioEntry> decodeScenarioTable(std::string_view bytes) {
    ByteReader r(bytes);
    std::vector<ScenarioEntry> entries(scenarioEntryCount);
    for (ScenarioEntry& e : entries) {
        e.kind = r.u8();
        e.longA = r.i32();
        e.longB = r.i32();
        e.longC = r.i32();
        e.byteA = r.u8();
        const std::uint16_t n = r.u16();
        e.text = r.text(n);
        e.intA = r.i16();
        e.intB = r.i16();
        e.intC = r.i16();
        e.intD = r.i16();
        e.intE = r.i16();
        e.byteB = r.u8();
        e.byteC = r.u8();
        e.byteD = r.u8();
        e.byteE = r.u8();
        e.longD = r.i32();
    }
    if (!r.atEnd()) {
        throw DecodeError("the length " + std::to_string(bytes.size()) + " does not fit 87 entries: " +
                          std::to_string(bytes.size() - r.offset()) + " byte(s) follow the last entry");
    }
    return entries;
}

DecodedProfile decodeLineProfile(std::string_view bytes) {
    ByteReader r(bytes);
    std::vector<ProfileValue> all;
    while (!r.atEnd()) {
        const std::size_t at = r.offset();
        const std::uint16_t type = r.u16();
        switch (type) {
            case 0: all.push_back({ProfileType::Empty, 0.0}); break;
            case 2: all.push_back({ProfileType::Integer, static_cast<double>(r.i16())}); break;
            case 5: all.push_back({ProfileType::Double, r.f64()}); break;
            default:
                throw DecodeError("unknown element type " + std::to_string(type) + " at offset " + std::to_string(at));
        }
    }
    if (all.size() % 2 != 0) {
        throw DecodeError("the file holds " + std::to_string(all.size()) + " elements, not two equal columns");
    }
    DecodedProfile profile;
    const auto half = static_cast<std::ptrdiff_t>(all.size() / 2);
    profile.first.assign(all.begin(), all.begin() + half);
    profile.second.assign(all.begin() + half, all.end());
    return profile;
}

std::string cellsText(const std::vector<RouteCell>& cells) {
    std::ostringstream out;
    out << "cell file: " << cells.size() << " cells";
    if (!cells.empty()) out << " (0 to " << cells.size() - 1 << ")";
    out << '\n';
    // Cell 1 carries the format mark and the code og whatever its kind.
    if (cells.size() > 1) out << "cell 1 marks: value1=" << cells[1].value1 << " value2=" << cells[1].value2 << '\n';
    for (int kind = 1; kind <= 255; ++kind) {
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].kind == kind) found.push_back(i);
        }
        if (found.empty()) continue;
        out << cellKindName(static_cast<std::uint8_t>(kind)) << " (kind " << kind << "): " << found.size() << '\n';
        for (const std::size_t i : found) {
            const RouteCell& c = cells[i];
            out << "  cell " << i << " (" << i * 50 << " m): value1=" << c.value1 << " value2=" << c.value2
                << " value3=" << c.value3 << " value4=" << c.value4;
            if (c.signalTime != 0) out << " signalTime=" << static_cast<int>(c.signalTime);
            out << '\n';
        }
    }
    std::vector<std::size_t> marked;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].approachMark != 0) marked.push_back(i);
    }
    if (!marked.empty()) {
        out << "approach marks: " << marked.size() << '\n';
        for (const std::size_t i : marked) out << "  cell " << i << ": " << static_cast<int>(cells[i].approachMark) << '\n';
    }
    appendRuns(out, "mountain type", cells, [](const RouteCell& c) { return c.mountainType; });
    appendRuns(out, "line speed (km/h / 5)", cells, [](const RouteCell& c) { return c.lineSpeed; });
    appendRuns(out, "gradient (per mille + 100)", cells, [](const RouteCell& c) { return c.gradient; });
    appendRuns(out, "adhesion", cells, [](const RouteCell& c) { return c.adhesion; });
    return out.str();
}

std::string scenarioTableText(const std::vector<ScenarioEntry>& entries) {
    std::ostringstream out;
    out << "scenario table: " << entries.size() << " entries\n";
    const ScenarioEntry empty{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ScenarioEntry& e = entries[i];
        if (e == empty) continue;
        out << "entry " << i << ' ';
        if (i == 0) out << "(no role)";
        else if (i <= 80) out << (onlyText(e) ? "(location board)" : "(station)");
        else if (i <= 83) out << "(kilometre posts)";
        else if (i == 84) out << "(train and route)";
        else if (i == 85) out << "(line header)";
        else out << "(train header)";
        out << ": kind=" << static_cast<int>(e.kind) << " longA=" << e.longA << " longB=" << e.longB
            << " longC=" << e.longC << " byteA=" << static_cast<int>(e.byteA) << " text=\"" << e.text << "\""
            << " intA=" << e.intA << " intB=" << e.intB << " intC=" << e.intC << " intD=" << e.intD
            << " intE=" << e.intE << " byteB=" << static_cast<int>(e.byteB) << " byteC=" << static_cast<int>(e.byteC)
            << " byteD=" << static_cast<int>(e.byteD) << " byteE=" << static_cast<int>(e.byteE)
            << " longD=" << e.longD << '\n';
    }
    return out.str();
}

std::string lineProfileText(const DecodedProfile& profile) {
    std::ostringstream out;
    const std::size_t n = profile.first.size();
    out << "line profile: " << n << " metres per axis";
    if (n > 0) out << " (0 to " << n - 1 << ")";
    out << '\n';
    if (n == 0) return out.str();
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool any = false;
    std::size_t empties = 0;
    for (std::size_t m = 0; m < n; ++m) {
        const ProfileValue& x = profile.first[m];
        const ProfileValue& y = profile.second[m];
        if (x.type == ProfileType::Empty || y.type == ProfileType::Empty) {
            ++empties;
            continue;
        }
        if (!any) {
            minX = maxX = x.value;
            minY = maxY = y.value;
            any = true;
        }
        minX = std::min(minX, x.value);
        maxX = std::max(maxX, x.value);
        minY = std::min(minY, y.value);
        maxY = std::max(maxY, y.value);
    }
    if (any) {
        out << "extent: first axis " << formatDouble(minX) << " to " << formatDouble(maxX) << ", second axis "
            << formatDouble(minY) << " to " << formatDouble(maxY) << '\n';
    }
    out << "empty metres: " << empties << '\n';
    const std::size_t shown[] = {0, 1, 2, n / 2, n > 3 ? n - 3 : 0, n > 2 ? n - 2 : 0, n - 1};
    std::size_t previous = n;
    for (const std::size_t m : shown) {
        if (m >= n || m == previous) continue;
        out << "  metre " << m << ": (" << profileValueText(profile.first[m]) << ", "
            << profileValueText(profile.second[m]) << ")\n";
        previous = m;
    }
    return out.str();
}

nlohmann::json cellsJson(const std::vector<RouteCell>& cells) {
    nlohmann::json list = nlohmann::json::array();
    for (const RouteCell& c : cells) {
        list.push_back({{"kind", c.kind}, {"value1", c.value1}, {"value2", c.value2}, {"value3", c.value3},
                        {"value4", c.value4}, {"signalTime", c.signalTime}, {"approachMark", c.approachMark},
                        {"mountainType", c.mountainType}, {"lineSpeed", c.lineSpeed}, {"gradient", c.gradient},
                        {"adhesion", c.adhesion}});
    }
    return {{"kind", "cells"}, {"cellCount", static_cast<std::int64_t>(cells.size()) - 1}, {"cells", list}};
}

nlohmann::json scenarioTableJson(const std::vector<ScenarioEntry>& entries) {
    nlohmann::json list = nlohmann::json::array();
    for (const ScenarioEntry& e : entries) {
        // Texts are single-byte; each byte maps to the code point of the same number.
        std::string text;
        for (const char ch : e.text) {
            const auto b = static_cast<unsigned char>(ch);
            if (b < 0x80) {
                text.push_back(ch);
            } else {
                text.push_back(static_cast<char>(0xC0 | (b >> 6)));
                text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
            }
        }
        list.push_back({{"kind", e.kind}, {"longA", e.longA}, {"longB", e.longB}, {"longC", e.longC},
                        {"byteA", e.byteA}, {"text", text}, {"intA", e.intA}, {"intB", e.intB}, {"intC", e.intC},
                        {"intD", e.intD}, {"intE", e.intE}, {"byteB", e.byteB}, {"byteC", e.byteC},
                        {"byteD", e.byteD}, {"byteE", e.byteE}, {"longD", e.longD}});
    }
    return {{"kind", "scenarioTable"}, {"entries", list}};
}

nlohmann::json lineProfileJson(const DecodedProfile& profile) {
    nlohmann::json first = nlohmann::json::array();
    nlohmann::json second = nlohmann::json::array();
    for (const ProfileValue& v : profile.first) first.push_back(profileValueJson(v));
    for (const ProfileValue& v : profile.second) second.push_back(profileValueJson(v));
    return {{"kind", "lineProfile"}, {"profileLength", static_cast<std::int64_t>(profile.first.size()) - 1},
            {"first", first}, {"second", second}};
}

int runInspect(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
    const auto kind = kindFromName(path);
    if (!kind) {
        err << "scenario-tool: cannot tell the kind of \"" << path
            << "\" from its name (expected \"_linea.dat\", \".sim\" or \".dat\")\n";
        return exitUsage;
    }
    try {
        const std::string bytes = files::readAll(path);
        switch (*kind) {
            case CompiledKind::Cells: {
                const auto cells = decodeCells(bytes);
                out << (json ? cellsJson(cells).dump() + "\n" : cellsText(cells));
                break;
            }
            case CompiledKind::ScenarioTable: {
                const auto entries = decodeScenarioTable(bytes);
                out << (json ? scenarioTableJson(entries).dump() + "\n" : scenarioTableText(entries));
                break;
            }
            case CompiledKind::LineProfile: {
                const auto profile = decodeLineProfile(bytes);
                out << (json ? lineProfileJson(profile).dump() + "\n" : lineProfileText(profile));
                break;
            }
        }
    } catch (const DecodeError& failure) {
        err << "scenario-tool: \"" << path << "\" does not fit its layout: " << failure.what() << '\n';
        return exitUsage;
    } catch (const std::exception& failure) {
        err << "scenario-tool: " << failure.what() << '\n';
        return exitUsage;
    }
    return exitOk;
}

}  // namespace sb::tool
