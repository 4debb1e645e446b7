#include "format/dump.h"

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "format/compiled_files.h"

namespace sb::format {

namespace {

std::string valueText(std::uint8_t v) { return std::to_string(v); }
std::string valueText(std::int16_t v) { return std::to_string(v); }
std::string valueText(std::int32_t v) { return std::to_string(v); }
std::string valueText(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}
// Printable ASCII as it is, every other byte as \xNN, inside quotes.
std::string valueText(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte < 0x7F && ch != '"' && ch != '\\') {
            out.push_back(ch);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        }
    }
    return out + "\"";
}

void writeLine(std::ostream& out, std::size_t offset, std::string_view bytes, const std::string& label,
               const std::string& value) {
    char head[16];
    std::snprintf(head, sizeof head, "%08zx ", offset);
    out << head;
    for (const char ch : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(ch));
        out << hex;
    }
    out << "  ; " << label << " = " << value << '\n';
}

template <typename Layout>
void dumpRecord(std::ostream& out, ByteReader& in, const Layout& layout, std::size_t index, bool shown) {
    typename Layout::RecordType record{};
    layout.forEach([&](const auto& f) {
        const std::size_t start = in.offset();
        auto& value = record.*f.member;
        in.get(value, Where{layout.record, index, f.name});
        if (shown) {
            writeLine(out, start, in.since(start),
                      std::string(layout.record) + " " + std::to_string(index) + " " + std::string(f.name),
                      valueText(value));
        }
    });
}

}  // namespace

void dumpCellFile(std::ostream& out, std::string_view bytes, const RecordRange& range) {
    ByteReader in(bytes);
    for (std::size_t index = 0; !in.atEnd(); ++index) dumpRecord(out, in, cellLayout, index, range.contains(index));
}

void dumpScenarioTableFile(std::ostream& out, std::string_view bytes, const RecordRange& range) {
    ByteReader in(bytes);
    for (std::size_t index = 0; index < static_cast<std::size_t>(scenarioEntryCount); ++index) {
        dumpRecord(out, in, entryLayout, index, range.contains(index));
    }
    if (!in.atEnd()) {
        throw DecodeError(std::to_string(bytes.size() - in.offset()) + " byte(s) follow the last of the " +
                          std::to_string(scenarioEntryCount) + " entries");
    }
}

void dumpLineProfileFile(std::ostream& out, std::string_view bytes, const RecordRange& range) {
    // The element count first, so each line can say which metre and axis it
    // holds; a broken file is dumped without them up to where it breaks.
    std::size_t count = 0;
    bool labelled = true;
    try {
        count = forEachProfileElement(bytes, [](std::size_t, const ProfileValue&) {});
    } catch (const DecodeError&) {
        labelled = false;
    }
    labelled = labelled && count % 2 == 0;
    const std::size_t perAxis = count / 2;
    ByteReader in(bytes);
    for (std::size_t index = 0; !in.atEnd(); ++index) {
        const std::size_t start = in.offset();
        const ProfileValue element = decodeProfileElement(in, index);
        if (!range.contains(index)) continue;
        std::string label = std::string(profileRecord) + " " + std::to_string(index);
        if (labelled) {
            label += " (axis " + std::to_string(index < perAxis ? 0 : 1) + ", metre " +
                     std::to_string(index % perAxis) + ")";
        }
        const ProfileTag& tag = profileTag(element.type);
        writeLine(out, start, in.since(start).substr(0, profileTagSize), label + " type", std::string(tag.name));
        if (!tag.hasValue) continue;
        const std::string value = tag.valueWire == Wire::I16
                                      ? valueText(static_cast<std::int16_t>(element.value))
                                      : valueText(element.value);
        writeLine(out, start + profileTagSize, in.since(start + profileTagSize), label + " value", value);
    }
}

}  // namespace sb::format
