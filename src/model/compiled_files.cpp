#include "model/compiled_files.h"

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

void writeProfileElement(ByteWriter& w, const ProfileValue& v) {
    w.u16(static_cast<std::uint16_t>(v.type));
    switch (v.type) {
        case ProfileType::Empty: break;
        case ProfileType::Integer: w.i16(static_cast<std::int16_t>(v.value)); break;
        case ProfileType::Double: w.f64(v.value); break;
    }
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
    ByteWriter w;
    if (!profile.allocated()) return w.take();
    const std::int64_t last = profile.lastMetre();
    w.reserve(static_cast<std::size_t>(2 * (last + 1)) * 10);
    // All first coordinates, then all second coordinates.
    for (int axis = 0; axis <= 1; ++axis) {
        for (std::int64_t m = 0; m <= last; ++m) writeProfileElement(w, profile.at(m, axis));
    }
    return w.take();
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
