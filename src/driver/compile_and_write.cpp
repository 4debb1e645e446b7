#include "driver/compile_and_write.h"

#include <cstdlib>

#include "driver/folder_sources.h"
#include "files/file_store.h"
#include "files/replace_group.h"
#include "format/compiled_files.h"
#include "model/file_names.h"

namespace sb::driver {

namespace {

// Tests of the wait may shorten it; nothing else sets this.
std::chrono::milliseconds patience() {
    if (const char* text = std::getenv("SB_TEST_FOLDER_PATIENCE_MS")) {
        char* end = nullptr;
        const long ms = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && ms >= 0 && ms <= folderPatience.count()) return std::chrono::milliseconds(ms);
    }
    return folderPatience;
}

}  // namespace

files::FolderLock claimFolder(const std::string& folder, const std::vector<std::string>& fileNames,
                              std::vector<std::string>& notices, const std::function<void(const std::string&)>& say) {
    const auto waiting = [&](long holder) {
        if (!say) return;
        say("another run" + (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
            " holds the folder \"" + folder + "\"; this run waits for it up to " +
            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(patience()).count()) + " s");
    };
    files::FolderLock lock = [&] {
        try {
            return files::FolderLock::acquire(folder, patience(), waiting);
        } catch (const files::FileError& failure) {
            throw files::FileError(failure.what() + ("; nothing was written, and " + files::interruptedReplacement(folder, false)));
        }
    }();
    for (std::string& line : files::recoverFolder(folder, fileNames)) notices.push_back(std::move(line));
    return lock;
}

namespace {

// Encodes straight into the staged file, in file order, through the
// writer's buffer.
template <typename Encode>
std::function<void(const files::ReplaceGroup::Write&)> streamed(Encode encode) {
    return [encode](const files::ReplaceGroup::Write& write) {
        format::ByteWriter out(write);
        encode(out);
        out.finish();
    };
}

}  // namespace

void writeCompiledFiles(const RouteModel& model, const std::string& outputFolder, std::vector<std::string>* notices) {
    files::ReplaceGroup group(outputFolder, files::Atomicity::AllOrNothing);
    if (model.withProfile) {
        group.stage(names::lineProfileFile(model.lineName), streamed([&](format::ByteWriter& out) {
                        format::writeLineProfileFile(out, model.lineProfile);
                    }));
    }
    group.stage(names::scenarioTableFile(model.lineName, model.trainNumber),
                streamed([&](format::ByteWriter& out) { format::writeScenarioTableFile(out, model.scenario); }));
    group.stage(names::cellFile(model.lineName, model.trainNumber),
                streamed([&](format::ByteWriter& out) { format::writeCellFile(out, model.cells); }));
    group.commit(files::FolderFlush::Now, notices);
}

compiler::CompileOutcome compileAndWrite(RouteModel& model, bool withProfile, const std::string& sourceFolder,
                               const std::string& outputFolder) {
    FolderSources sources(sourceFolder);
    compiler::CompileOutcome outcome = compiler::compileModel(model, withProfile, sources);
    if (outcome.fatal.empty()) writeCompiledFiles(model, outputFolder);
    return outcome;
}

}  // namespace sb::driver
