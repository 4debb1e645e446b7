#include "format/compiled_files.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace sb::format {

std::string describe(const Where& where) {
    return std::string(where.record) + " " + std::to_string(where.index) + ", field " + std::string(where.field);
}

ByteWriter::ByteWriter() : buffer_(new char[bufferSize + overhang]) {}

ByteWriter::ByteWriter(ByteDrain drain) : buffer_(new char[bufferSize + overhang]), drain_(std::move(drain)) {}

void ByteWriter::put(const std::string& text) {
    if (text.size() > 0xFFFF) {
        throw std::length_error("a text of " + std::to_string(text.size()) + " bytes does not fit its 16-bit length");
    }
    put(static_cast<std::uint16_t>(text.size()));
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(text.size() - at, bufferSize - used_);
        text.copy(buffer_.get() + used_, n, at);
        used_ += n;
        at += n;
        if (used_ >= bufferSize) drainFull();
    }
}

void ByteWriter::putTagged(std::uint16_t tag, const double* values, std::size_t count) {
    constexpr std::size_t elementSize = sizeof tag + sizeof(double);
    static_assert(elementSize <= overhang);
    while (count > 0) {
        // Enough to reach the end of the buffer; the last may run past it.
        const std::size_t fit = std::min(count, (bufferSize - used_ + elementSize - 1) / elementSize);
        // A local pointer, so the loop keeps its state in registers.
        char* at = buffer_.get() + used_;
        for (std::size_t i = 0; i < fit; ++i) {
            const std::uint64_t bits = std::bit_cast<std::uint64_t>(values[i]);
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(at, &tag, sizeof tag);
                std::memcpy(at + sizeof tag, &bits, sizeof bits);
            } else {
                for (std::size_t b = 0; b < sizeof tag; ++b) at[b] = static_cast<char>((tag >> (8 * b)) & 0xFFu);
                for (std::size_t b = 0; b < sizeof bits; ++b) at[sizeof tag + b] = static_cast<char>((bits >> (8 * b)) & 0xFFu);
            }
            at += elementSize;
        }
        used_ += fit * elementSize;
        values += fit;
        count -= fit;
        if (used_ >= bufferSize) drainFull();
    }
}

// Hands on a whole buffer; what ran past it starts the next one.
void ByteWriter::drainFull() {
    const std::size_t over = used_ - bufferSize;
    used_ = bufferSize;
    drainBuffer();
    std::memcpy(buffer_.get(), buffer_.get() + bufferSize, over);  // over <= overhang: no overlap
    used_ = over;
}

void ByteWriter::drainBuffer() {
    const std::string_view full(buffer_.get(), used_);
    if (drain_) {
        drain_(full);
    } else {
        collected_.append(full);
    }
    used_ = 0;
}

void ByteWriter::finish() {
    if (used_ > 0) drainBuffer();
}

const std::string& ByteWriter::bytes() {
    finish();
    return collected_;
}

std::string ByteWriter::take() {
    finish();
    return std::move(collected_);
}

void ByteReader::get(std::string& text, const Where& where) {
    std::uint16_t length = 0;
    get(length, where);
    need(length, where);
    text.assign(bytes_.substr(pos_, length));
    pos_ += length;
}

void encodeProfileElement(ByteWriter& out, const ProfileValue& element) {
    // Tags and value wires as profileTags declares them; a switch, because
    // a long route's file holds millions of elements.
    static_assert(profileTag(ProfileType::Empty).tag == 0 && !profileTag(ProfileType::Empty).hasValue);
    static_assert(profileTag(ProfileType::Integer).tag == 2 && profileTag(ProfileType::Integer).valueWire == Wire::I16);
    static_assert(profileTag(ProfileType::Double).tag == 5 && profileTag(ProfileType::Double).valueWire == Wire::F64);
    switch (element.type) {
        case ProfileType::Empty:
            out.put(profileTag(ProfileType::Empty).tag);
            return;
        case ProfileType::Integer:
            out.put(profileTag(ProfileType::Integer).tag);
            out.put(toInt16(element.value));  // whole, within 16 bits, or a run-time failure
            return;
        case ProfileType::Double:
            out.put(profileTag(ProfileType::Double).tag);
            out.put(element.value);
            return;
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

namespace {

template <typename Profile>
void writeProfile(ByteWriter& out, const Profile& profile) {
    if (!profile.allocated()) return;
    // All first coordinates, then all second coordinates: the file's order.
    for (const int axis : {0, 1}) {
        profile.forEachOnAxis(axis, [&](const ProfileValue& element) { encodeProfileElement(out, element); });
    }
}

constexpr std::uint16_t doubleTag = profileTag(ProfileType::Double).tag;

// An axis's elements before and after its computed doubles.
void writeSeeded(ByteWriter& out, const LineProfile& profile, int axis) {
    for (int metre = 0; metre < profile.seededMetres(); ++metre) encodeProfileElement(out, profile.at(metre, axis));
}
void writeEmptyTail(ByteWriter& out, const LineProfile& profile) {
    const std::int64_t emptyMetres = profile.lastMetre() + 1 - profile.seededMetres() - profile.computedMetres();
    for (std::int64_t i = 0; i < emptyMetres; ++i) encodeProfileElement(out, ProfileValue{});
}

// The built profile's doubles go straight from the replay into the buffer.
void writeProfile(ByteWriter& out, const LineProfile& profile) {
    if (!profile.allocated()) return;
    // All first coordinates, then all second coordinates: the file's order.
    for (const int axis : {0, 1}) {
        writeSeeded(out, profile, axis);
        profile.forEachComputed(axis, [&](const double* values, std::size_t count) { out.putTagged(doubleTag, values, count); });
        writeEmptyTail(out, profile);
    }
}

template <typename Write>
std::string collected(std::size_t size, Write&& write) {
    ByteWriter out;
    out.reserve(size);
    write(out);
    return out.take();
}

}  // namespace

std::size_t lineProfileFileSize(const LineProfile& profile) {
    if (!profile.allocated()) return 0;
    const auto seeded = static_cast<std::size_t>(profile.seededMetres());
    const auto computed = static_cast<std::size_t>(profile.computedMetres());
    const std::size_t empty = static_cast<std::size_t>(profile.lastMetre()) + 1 - seeded - computed;
    return 2 * (seeded * profileElementSize(ProfileType::Integer) + computed * profileElementSize(ProfileType::Double) +
                empty * profileElementSize(ProfileType::Empty));
}

void writeCellFile(ByteWriter& out, const std::vector<RouteCell>& cells) {
    for (const RouteCell& cell : cells) encodeRecord(out, cellLayout, cell);
}

void writeScenarioTableFile(ByteWriter& out, const ScenarioTable& entries) {
    for (const ScenarioEntry& entry : entries) encodeRecord(out, entryLayout, entry);
}

void writeLineProfileFile(ByteWriter& out, const LineProfile& profile) { writeProfile(out, profile); }
void writeLineProfileFile(ByteWriter& out, const ProfileElements& profile) { writeProfile(out, profile); }

std::string cellFileBytes(const std::vector<RouteCell>& cells) {
    return collected(cells.size() * cellRecordSize, [&](ByteWriter& out) { writeCellFile(out, cells); });
}

std::string scenarioTableBytes(const ScenarioTable& entries) {
    std::size_t size = 0;
    for (const ScenarioEntry& entry : entries) size += entryFixedSize + entry.text.size();
    return collected(size, [&](ByteWriter& out) { writeScenarioTableFile(out, entries); });
}

std::string lineProfileBytes(const LineProfile& profile) {
    return collected(lineProfileFileSize(profile), [&](ByteWriter& out) { writeLineProfileFile(out, profile); });
}

std::string lineProfileBytes(const ProfileElements& profile) {
    std::size_t size = 0;
    for (const int axis : {0, 1}) {
        profile.forEachOnAxis(axis, [&](const ProfileValue& element) { size += profileElementSize(element.type); });
    }
    return collected(size, [&](ByteWriter& out) { writeLineProfileFile(out, profile); });
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

ProfileElements decodeLineProfile(std::string_view bytes) {
    ProfileElements profile;
    const std::size_t count = forEachProfileElement(bytes, [](std::size_t, const ProfileValue&) {});
    if (count == 0) return profile;
    if (count % 2 != 0) {
        throw DecodeError("the file holds " + std::to_string(count) + " elements, not two axes of equal length");
    }
    const std::size_t perAxis = count / 2;
    if (perAxis - 1 > static_cast<std::size_t>(INT32_MAX)) throw DecodeError("the profile is too long");
    profile.lastMetre = static_cast<std::int32_t>(perAxis - 1);
    profile.first.reserve(perAxis);
    profile.second.reserve(perAxis);
    forEachProfileElement(bytes, [&](std::size_t index, const ProfileValue& element) {
        (index < perAxis ? profile.first : profile.second).push_back(element);
    });
    return profile;
}

}  // namespace sb::format
