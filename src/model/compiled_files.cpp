#include "model/compiled_files.h"

#include <bit>

#include "model/byte_writer.h"

namespace sb {

namespace {

void writeCell(ByteWriter& w, const RouteCell& cell) {
    w.u8(cell.kind);
    w.i16(cell.value1);
    w.i16(cell.value2);
    w.i16(cell.value3);
    w.i16(cell.value4);
    w.u8(cell.signalTime);
    w.u8(cell.approachMark);
    w.u8(cell.mountainType);
    w.u8(cell.lineSpeed);
    w.u8(cell.gradient);
    w.u8(cell.adhesion);
}

void writeEntry(ByteWriter& w, const ScenarioEntry& e) {
    if (e.text.size() > 0xFFFF) {
        throw RunTimeFailure("a scenario text of " + std::to_string(e.text.size()) + " bytes does not fit its 16-bit length");
    }
    w.u8(e.kind);
    w.i32(e.longA);
    w.i32(e.longB);
    w.i32(e.longC);
    w.u8(e.byteA);
    w.u16(static_cast<std::uint16_t>(e.text.size()));
    w.raw(e.text);
    w.i16(e.intA);
    w.i16(e.intB);
    w.i16(e.intC);
    w.i16(e.intD);
    w.i16(e.intE);
    w.u8(e.byteB);
    w.u8(e.byteC);
    w.u8(e.byteD);
    w.u8(e.byteE);
    w.i32(e.longD);
}

}  // namespace

std::string cellFileBytes(const RouteModel& model) {
    ByteWriter w;
    w.reserve(model.cells.size() * cellRecordSize);
    for (const RouteCell& cell : model.cells) writeCell(w, cell);
    return w.take();
}

std::string scenarioTableBytes(const RouteModel& model) {
    ByteWriter w;
    w.reserve(scenarioEntryCount * entryFixedSize + 256);
    for (const ScenarioEntry& entry : model.scenario) writeEntry(w, entry);
    return w.take();
}

std::string lineProfileBytes(const LineProfile& profile) {
    if (!profile.allocated()) return {};
    const std::vector<ProfileType>& types = profile.types();
    const std::vector<double>& values = profile.values();
    // The exact size first, then each element in place: the profile file of a
    // long route holds millions of elements.
    std::size_t size = 0;
    for (const ProfileType type : types) {
        size += 2 + (type == ProfileType::Integer ? 2 : type == ProfileType::Double ? 8 : 0);
    }
    std::string bytes(size, '\0');
    std::size_t at = 0;
    const auto put = [&](std::uint64_t v, int count) {
        for (int i = 0; i < count; ++i) bytes[at++] = static_cast<char>((v >> (8 * i)) & 0xFFu);
    };
    // The arrays hold all first coordinates, then all second coordinates.
    for (std::size_t i = 0; i < types.size(); ++i) {
        put(static_cast<std::uint16_t>(types[i]), 2);
        if (types[i] == ProfileType::Integer) {
            put(static_cast<std::uint16_t>(static_cast<std::int16_t>(values[i])), 2);
        } else if (types[i] == ProfileType::Double) {
            put(std::bit_cast<std::uint64_t>(values[i]), 8);
        }
    }
    return bytes;
}

void appendCell(std::string& out, const RouteCell& cell) {
    ByteWriter w;
    writeCell(w, cell);
    out += w.bytes();
}

void appendEntry(std::string& out, const ScenarioEntry& entry) {
    ByteWriter w;
    writeEntry(w, entry);
    out += w.bytes();
}

}  // namespace sb
