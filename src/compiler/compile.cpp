#include "compiler/compile.h"

#include <optional>

#include "compiler/common/field_reader.h"
#include "compiler/finish/finishing_pass.h"
#include "compiler/line/line_pass.h"
#include "compiler/train/train_pass.h"
#include "model/file_names.h"

namespace sb::compiler {

namespace {

// Which source file a failure happened in, and where, for the diagnostics.
// It owns the readers so that the failure handler can still ask them for
// the line after the pass that threw has unwound.
struct ReadingPosition {
    std::string sourceFile;
    std::optional<FieldReader> lineReader;
    std::optional<FieldReader> trainReader;
    const FieldReader* reader = nullptr;
};

FieldReader& openSource(ReadingPosition& at, std::optional<FieldReader>& reader, std::string data, SourceRole role,
                        const std::string& name, ReadListener* listener) {
    at.sourceFile = name;
    FieldReader& opened = reader.emplace(std::move(data));
    opened.setListener(listener);
    if (listener != nullptr) listener->sourceStarted(role, name, opened.data());
    at.reader = &opened;
    return opened;
}

void readBothSources(RouteModel& model, SourceFiles& sources, ReadingPosition& at, ReadListener* listener) {
    const std::string lineSource = names::lineSource(model.lineName);
    const std::string trainSource = names::trainSource(model.lineName, model.trainNumber);
    setEntryText(model.scenario[lineHeaderEntry], model.lineName);
    setEntryText(model.scenario[trainHeaderEntry], model.trainNumber);

    if (!sources.exists(lineSource)) {
        model.errorCode = error::lineFileMissing;
        model.errorOrigin = ErrorOrigin{lineSource, 0, {}};
        return;
    }
    at.sourceFile = lineSource;
    FieldReader& lineReader =
        openSource(at, at.lineReader, sources.read(lineSource), SourceRole::Line, lineSource, listener);
    LineCursors cursors;
    const LinePassEnd lineEnd = readLineFile(model, lineReader, cursors, lineSource);
    sources.remove(lineSource);
    if (lineEnd == LinePassEnd::Abandoned) return;
    at.reader = nullptr;
    lineReader.stage(ReadStage::LineTails);
    finishLineFile(model, cursors);

    at.sourceFile = trainSource;
    FieldReader& trainReader =
        openSource(at, at.trainReader, sources.read(trainSource), SourceRole::Train, trainSource, listener);
    readTrainFile(model, trainReader, sources, trainSource);
}

}  // namespace

void compileSources(RouteModel& model, SourceFiles& sources, ReadListener* listener) {
    ReadingPosition at;
    ErrorOrigin failed;
    try {
        readBothSources(model, sources, at, listener);
        return;
    } catch (const RunTimeFailure& failure) {
        failed = ErrorOrigin{at.sourceFile, at.reader ? at.reader->rowLine() : 0, failure.what()};
        if (listener != nullptr) {
            if (const auto* wide = dynamic_cast<const ValueTooWide*>(&failure)) {
                listener->valueTooWide(wide->value, wide->min, wide->max, wide->field);
            }
            listener->failed(failure.what());
        }
    }
    // A SourceFileError is not the data's fault: it leaves the compile as it is.
    // The failure handler: both source files go, each only if still there.
    sources.remove(names::lineSource(model.lineName));
    sources.remove(names::trainSource(model.lineName, model.trainNumber));
    model.errorCode = error::readFailure;
    model.errorOrigin = failed;
}

CompileOutcome compileModel(RouteModel& model, bool withProfile, SourceFiles& sources, ReadListener* listener) {
    model.withProfile = withProfile;
    model.errorCode = 0;
    model.errorPosition = 0;
    model.errorOrigin = ErrorOrigin{};
    resetScenarioTable(model);
    compileSources(model, sources, listener);
    finishingWalk(model, listener);
    return CompileOutcome{placeFormatMarks(model)};
}

}  // namespace sb::compiler
