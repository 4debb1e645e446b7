#include "run/run_sequence.h"

#include <exception>
#include <optional>
#include <vector>
#include <string_view>

#include "driver/compile_and_write.h"
#include "documents/notes.h"
#include "documents/slow_down_orders.h"
#include "documents/train_sheet.h"
#include "model/conversions.h"
#include "model/error_codes.h"
#include "model/file_names.h"
#include "model/route_model.h"
#include "files/file_store.h"
#include "files/folder_lock.h"
#include "files/replace_group.h"
#include "text/text_lines.h"
#include "builtin/line_source.h"
#include "builtin/train_source.h"

namespace sb::run {

namespace {

constexpr std::string_view programName = "scenario-builder: ";

// Messages from the system may carry line ends; the report is one line.
std::string oneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return line;
}

std::string failureLine(std::string_view step, std::string_view kind, std::string_view what) {
    std::string line(programName);
    line += step;
    line += " failed: ";
    line += kind;
    line += oneLine(what);
    return line;
}

}  // namespace

std::string describeCompileError(std::int32_t errorCode, std::int32_t errorPosition) {
    std::string line(programName);
    line += "the compile recorded error " + std::to_string(errorCode);
    if (error::hasPosition(errorCode)) line += " at position " + std::to_string(errorPosition);
    const std::string_view cause = error::cause(errorCode);
    if (!cause.empty()) {
        line += ": ";
        line += cause;
    }
    line += " (compiled files written)";
    return line;
}

int runScenarioBuilder(Platform& platform, const std::string& folder) {
    RouteModel model;
    model.lineName = names::builtInLineName;
    model.trainNumber = names::builtInTrainNumber;

    platform.showStatus();

    // Named before each step so a failure says which one it stopped.
    std::string_view step = "starting";
    compiler::CompileOutcome outcome;
    // One run at a time in the folder, held until the process ends.
    std::optional<files::FolderLock> lock;
    // An installed program in a system folder cannot write next to itself:
    // said plainly, with the way out.
    if (!files::isWritableFolder(folder)) {
        platform.report(std::string(programName) + "the program's folder \"" + folder +
                        "\" is not writable; copy the program into a folder of your own and run the copy there");
        return exitstatus::runTimeFailure;
    }
    try {
        step = "claiming the program's folder";
        std::vector<std::string> notices;
        lock.emplace(driver::claimFolder(folder, names::runFiles(model.lineName, model.trainNumber), notices,
                                         [](const std::string& line) { standardError()(std::string(programName) + line); }));
        step = "writing the line source file";
        builtin::writeLineSource(folder, model.lineName);
        step = "writing the train source file";
        builtin::writeTrainSource(folder, model.lineName, model.trainNumber);
        // The documents each end old or new and complete; their renames
        // reach the disk with the compiled set's first folder flush.
        files::ReplaceGroup crewDocuments(folder, files::Atomicity::EachFile);
        step = "writing the notes";
        text::stageTextLines(crewDocuments, names::notes(model.lineName, model.trainNumber), documents::builtInNotes());
        step = "writing the slow-down order form";
        text::stageTextLines(crewDocuments, names::slowDownOrders(model.lineName, model.trainNumber),
                             documents::builtInSlowDownOrders());
        step = "writing the train sheet";
        text::stageTextLines(crewDocuments, names::trainSheet(model.lineName, model.trainNumber),
                             documents::builtInTrainSheet());
        step = "writing the crew documents";
        crewDocuments.commit(files::FolderFlush::Later);
        step = "compiling the scenario";
        outcome = driver::compileAndWrite(model, true, folder, folder);
        // No compiled set was written: the documents still need their flush.
        if (!outcome.fatal.empty()) files::flushFolder(folder);
    } catch (const RunTimeFailure& e) {
        platform.report(failureLine(step, "run-time failure: ", e.what()));
        return exitstatus::runTimeFailure;
    } catch (const std::exception& e) {
        platform.report(failureLine(step, "", e.what()));
        return exitstatus::runTimeFailure;
    }

    // Outside the try: the fatal error ends the run and must not be mistaken for a failure.
    if (!outcome.fatal.empty()) platform.fatalError(outcome.fatal);

    if (model.errorCode != error::none) {
        platform.report(describeCompileError(model.errorCode, model.errorPosition));
        return exitstatus::compileError;
    }
    return exitstatus::ok;
}

int scenarioBuilderMain() {
    const std::unique_ptr<Platform> platform = makePlatform();
    std::string folder;
    try {
        folder = executableFolder();
    } catch (const std::exception& e) {
        platform->showStatus();
        platform->report(failureLine("finding the program's folder", "", e.what()));
        return exitstatus::runTimeFailure;
    }
    return runScenarioBuilder(*platform, folder);
}

}  // namespace sb::run
