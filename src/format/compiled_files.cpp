#include "format/compiled_files.h"

#include <stdexcept>

namespace sb::format {

std::string describe(const Where& where) {
    return std::string(where.record) + " " + std::to_string(where.index) + ", field " + std::string(where.field);
}

void ByteWriter::put(const std::string& text) {
    if (text.size() > 0xFFFF) {
        throw std::length_error("a text of " + std::to_string(text.size()) + " bytes does not fit its 16-bit length");
    }
    put(static_cast<std::uint16_t>(text.size()));
    bytes_.append(text);
}

void ByteReader::get(std::string& text, const Where& where) {
    std::uint16_t length = 0;
    get(length, where);
    need(length, where);
    text.assign(bytes_.substr(pos_, length));
    pos_ += length;
}

void encodeProfileElement(ByteWriter& out, const ProfileValue& element) {
    const ProfileTag& tag = profileTag(element.type);
    out.put(tag.tag);
    if (!tag.hasValue) return;
    if (tag.valueWire == Wire::I16) {
        out.put(static_cast<std::int16_t>(element.value));
    } else {
        out.put(element.value);
    }
}

ProfileValue decodeProfileElement(ByteReader& in, std::size_t index) {
    const std::size_t start = in.offset();
    std::uint16_t code = 0;
    in.get(code, Where{profileRecord, index, "type"});
    const ProfileTag* tag = findProfileTag(code);
    if (tag == nullptr) {
        throw DecodeError("unknown type " + std::to_string(code) + " in " + std::string(profileRecord) + " " +
                          std::to_string(index) + " at offset " + std::to_string(start));
    }
    ProfileValue element{tag->type, 0.0};
    if (!tag->hasValue) return element;
    const Where where{profileRecord, index, "value"};
    if (tag->valueWire == Wire::I16) {
        std::int16_t value = 0;
        in.get(value, where);
        element.value = value;
    } else {
        in.get(element.value, where);
    }
    return element;
}

std::string cellFileBytes(const std::vector<RouteCell>& cells) {
    ByteWriter out;
    out.reserve(cells.size() * cellRecordSize);
    for (const RouteCell& cell : cells) encodeRecord(out, cellLayout, cell);
    return out.take();
}

std::string scenarioTableBytes(const ScenarioTable& entries) {
    ByteWriter out;
    out.reserve(entries.size() * entryFixedSize + 256);
    for (const ScenarioEntry& entry : entries) encodeRecord(out, entryLayout, entry);
    return out.take();
}

std::string lineProfileBytes(const LineProfile& profile) {
    if (!profile.allocated()) return {};
    const std::vector<ProfileType>& types = profile.types();
    const std::vector<double>& values = profile.values();
    // The exact size first: the profile file of a long route holds millions of elements.
    std::size_t size = 0;
    for (const ProfileType type : types) size += profileElementSize(type);
    ByteWriter out;
    out.reserve(size);
    // The arrays hold all first coordinates, then all second coordinates: the file's order.
    for (std::size_t i = 0; i < types.size(); ++i) encodeProfileElement(out, ProfileValue{types[i], values[i]});
    return out.take();
}

std::vector<RouteCell> decodeCells(std::string_view bytes) {
    ByteReader in(bytes);
    std::vector<RouteCell> cells((bytes.size() + cellRecordSize - 1) / cellRecordSize);
    for (std::size_t i = 0; i < cells.size(); ++i) decodeRecord(in, cellLayout, cells[i], i);
    return cells;
}

ScenarioTable decodeScenarioTable(std::string_view bytes) {
    ByteReader in(bytes);
    ScenarioTable entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) decodeRecord(in, entryLayout, entries[i], i);
    if (!in.atEnd()) {
        throw DecodeError(std::to_string(bytes.size() - in.offset()) + " byte(s) follow the last of the " +
                          std::to_string(entries.size()) + " entries");
    }
    return entries;
}

LineProfile decodeLineProfile(std::string_view bytes) {
    LineProfile profile;
    const std::size_t count = forEachProfileElement(bytes, [](std::size_t, const ProfileValue&) {});
    if (count == 0) return profile;
    if (count % 2 != 0) {
        throw DecodeError("the file holds " + std::to_string(count) + " elements, not two axes of equal length");
    }
    const std::size_t perAxis = count / 2;
    if (perAxis - 1 > static_cast<std::size_t>(INT32_MAX)) throw DecodeError("the profile is too long");
    const auto lastMetre = static_cast<std::int32_t>(perAxis - 1);
    profile.recreate(lastMetre);
    forEachProfileElement(bytes, [&](std::size_t index, const ProfileValue& element) {
        const auto metre = static_cast<std::int64_t>(index % perAxis);
        const int axis = index < perAxis ? 0 : 1;
        if (element.type == ProfileType::Integer) {
            profile.setInteger(metre, axis, static_cast<std::int16_t>(element.value));
        } else if (element.type == ProfileType::Double) {
            profile.setDouble(metre, axis, element.value);
        }
    });
    return profile;
}

}  // namespace sb::format
