// The three compiled files as bytes and back: the cell file, the
// scenario-table file and the line profile file. Encoding is a pure function
// of the model; decoding checks every read against the end of the data and
// fails with DecodeError naming the record and field where the file stops
// fitting its layout.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "format/byte_io.h"
#include "format/layouts.h"
#include "model/route_model.h"

namespace sb::format {

template <typename Layout>
void encodeRecord(ByteWriter& out, const Layout& layout, const typename Layout::RecordType& record) {
    layout.forEach([&](const auto& f) { out.put(record.*f.member); });
}

template <typename Layout>
void decodeRecord(ByteReader& in, const Layout& layout, typename Layout::RecordType& record, std::size_t index) {
    layout.forEach([&](const auto& f) { in.get(record.*f.member, Where{layout.record, index, f.name}); });
}

void encodeProfileElement(ByteWriter& out, const ProfileValue& element);
ProfileValue decodeProfileElement(ByteReader& in, std::size_t index);

// Each file written field by field through out (finish() is the caller's).
void writeCellFile(ByteWriter& out, const std::vector<RouteCell>& cells);
void writeScenarioTableFile(ByteWriter& out, const ScenarioTable& entries);
// Nothing for a profile that was never built.
void writeLineProfileFile(ByteWriter& out, const LineProfile& profile);
void writeLineProfileFile(ByteWriter& out, const ProfileElements& profile);
std::size_t lineProfileFileSize(const LineProfile& profile);

// The same files as bytes in memory.
std::string cellFileBytes(const std::vector<RouteCell>& cells);
std::string scenarioTableBytes(const ScenarioTable& entries);
std::string lineProfileBytes(const LineProfile& profile);
std::string lineProfileBytes(const ProfileElements& profile);

std::vector<RouteCell> decodeCells(std::string_view bytes);
ScenarioTable decodeScenarioTable(std::string_view bytes);
// The two axes must hold the same number of elements; an empty file gives a
// profile that was never built.
ProfileElements decodeLineProfile(std::string_view bytes);

// Walks the elements of a profile file in file order without keeping them;
// visit(index, element). Returns the number of elements.
template <typename Visit>
std::size_t forEachProfileElement(std::string_view bytes, Visit&& visit) {
    ByteReader in(bytes);
    std::size_t index = 0;
    while (!in.atEnd()) {
        visit(index, decodeProfileElement(in, index));
        ++index;
    }
    return index;
}

}  // namespace sb::format
