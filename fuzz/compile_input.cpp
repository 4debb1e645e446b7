#include "compile_input.h"
#include "fuzz_entry.h"

#include <string>
#include <string_view>

#include "compiler/common/source_files.h"
#include "compiler/compile.h"
#include "format/compiled_files.h"
#include "model/file_names.h"
#include "model/route_model.h"

namespace {

const std::string lineName = "F";
const std::string trainNumber = "1";

// Keeps the serializers' output observable so none of the work is dropped.
volatile std::size_t sink = 0;

}  // namespace

void compileFuzzInput(const std::uint8_t* data, std::size_t size) {
    using namespace sb;
    using namespace sb::compiler;
    const auto [flags, lineText, trainText] = sb::fuzz::splitInput(data, size);

    // A fresh model each time: a compile that never sizes the cells would
    // otherwise see the previous input's cells.
    RouteModel model;
    model.lineName = lineName;
    model.trainNumber = trainNumber;
    MemorySources sources;
    if ((flags & sb::fuzz::withoutLineSourceFlag) == 0) {
        sources.files[names::lineSource(model.lineName)] = std::string(lineText);
    }
    if ((flags & sb::fuzz::withoutTrainSourceFlag) == 0) {
        sources.files[names::trainSource(model.lineName, model.trainNumber)] = std::string(trainText);
    }
    const std::int32_t withProfile = (flags & sb::fuzz::withoutProfileFlag) != 0 ? 0 : 1;

    CompileOutcome outcome;
    try {
        outcome = compileModel(model, withProfile, sources);
    } catch (const SourceFileError&) {
        return;  // a source left out cannot be opened: refused before any output
    }
    if (!outcome.fatal.empty()) return;

    sink = sink + sb::format::cellFileBytes(model.cells).size();
    sink = sink + sb::format::scenarioTableBytes(model.scenario).size();
    sink = sink + sb::format::lineProfileBytes(model.lineProfile).size();
}

void fuzzOneInput(const std::uint8_t* data, std::size_t size) { compileFuzzInput(data, size); }
