// The annotated byte dump of a compiled file: one line per field, its offset
// (8 hex digits), its bytes in hex, then "; ", the record and field and the
// decoded value, as in "0000010f  0c 00  ; cell 18 value1 = 12". The lines
// cover every byte of the file exactly once, in order.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <limits>
#include <string_view>

namespace sb::format {

// Records to show, by number (cells and entries by index, profile elements
// in file order); the others are decoded but not shown.
struct RecordRange {
    std::size_t first = 0;
    std::size_t last = std::numeric_limits<std::size_t>::max();
    bool contains(std::size_t index) const { return index >= first && index <= last; }
};

// Each writes the dump of a whole file; a file that does not fit its layout
// is dumped up to the field where it stops fitting, then DecodeError says why.
void dumpCellFile(std::ostream& out, std::string_view bytes, const RecordRange& range = {});
void dumpScenarioTableFile(std::ostream& out, std::string_view bytes, const RecordRange& range = {});
void dumpLineProfileFile(std::ostream& out, std::string_view bytes, const RecordRange& range = {});

}  // namespace sb::format
