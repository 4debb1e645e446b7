// One fuzz input run through a decoder of the compiled files, then through
// the byte dump, the listing and the JSON of the same bytes, as inspect runs
// them on a file an author hands it.
//
// Input layout: byte 0 chooses the kind of file (its value modulo 3, so the
// digits '0', '1', '2' keep a seed readable): 0 cell file, 1 scenario-table
// file, 2 line profile file. The rest is the file's bytes. A file that does
// not fit its layout must end in DecodeError, never in anything else.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "format/compiled_files.h"
#include "format/dump.h"
#include "format/listing.h"
#include "fuzz_entry.h"

namespace {

// Takes whatever is written and keeps none of it.
class Discard : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

template <typename Step>
void expectDecodeErrorOnly(Step step) {
    try {
        step();
    } catch (const sb::format::DecodeError&) {
        // the file does not fit its layout: refused, as it should be
    }
}

}  // namespace

void fuzzOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sb::format;
    if (size == 0) return;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    Discard discard;
    std::ostream out(&discard);
    switch (data[0] % 3) {
        case 0:
            expectDecodeErrorOnly([&] { listCells(out, decodeCells(bytes)); });
            expectDecodeErrorOnly([&] { dumpCellFile(out, bytes); });
            break;
        case 1:
            expectDecodeErrorOnly([&] { listScenarioTable(out, decodeScenarioTable(bytes)); });
            expectDecodeErrorOnly([&] { dumpScenarioTableFile(out, bytes); });
            break;
        default:
            expectDecodeErrorOnly([&] { decodeLineProfile(bytes); });
            expectDecodeErrorOnly([&] { listLineProfile(out, bytes); });
            expectDecodeErrorOnly([&] { dumpLineProfileFile(out, bytes); });
            break;
    }
}
