#include "driver/compile_and_write.h"

#include <cstdlib>

#include "driver/folder_sources.h"
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
                              std::vector<std::string>& notices) {
    files::FolderLock lock = files::FolderLock::acquire(folder, patience());
    for (std::string& line : files::recoverFolder(folder, fileNames)) notices.push_back(std::move(line));
    return lock;
}

namespace {

// Encodes straight into the staged file through the writer's small buffer.
template <typename Encode>
std::function<void(const files::ReplaceGroup::Write&)> streamed(Encode encode) {
    return [encode](const files::ReplaceGroup::Write& write) {
        format::ByteWriter out(write);
        encode(out);
        out.finish();
    };
}

// A profile of many megabytes costs the system less in larger writes.
constexpr std::uint64_t largeProfileSize = std::uint64_t{4} << 20;
constexpr std::size_t largeProfileBuffer = std::size_t{256} << 10;

// The line profile's two halves, each written where it belongs as the one
// walk of the profile makes them.
void stageLineProfile(files::ReplaceGroup& group, const std::string& name, const LineProfile& profile) {
    group.stageAt(name, [&](const files::ReplaceGroup::WriteAt& writeAt) {
        const auto placedFrom = [&](std::uint64_t offset) {
            return [&writeAt, offset](std::string_view bytes) mutable {
                writeAt(offset, bytes);
                offset += bytes.size();
            };
        };
        const std::uint64_t size = format::lineProfileFileSize(profile);
        const std::size_t buffer = size >= largeProfileSize ? largeProfileBuffer : format::ByteWriter::bufferSize;
        format::ByteWriter firstHalf(placedFrom(0), 0, buffer);
        format::ByteWriter secondHalf(placedFrom(size / 2), size / 2, buffer);
        format::writeLineProfileHalves(firstHalf, secondHalf, profile);
        firstHalf.finish();
        secondHalf.finish();
    });
}

}  // namespace

void writeCompiledFiles(const RouteModel& model, const std::string& outputFolder) {
    files::ReplaceGroup group(outputFolder, files::Atomicity::AllOrNothing);
    if (model.withProfile) {
        stageLineProfile(group, names::lineProfileFile(model.lineName), model.lineProfile);
    }
    group.stage(names::scenarioTableFile(model.lineName, model.trainNumber),
                streamed([&](format::ByteWriter& out) { format::writeScenarioTableFile(out, model.scenario); }));
    group.stage(names::cellFile(model.lineName, model.trainNumber),
                streamed([&](format::ByteWriter& out) { format::writeCellFile(out, model.cells); }));
    group.commit();
}

CompileOutcome compileAndWrite(RouteModel& model, bool withProfile, const std::string& sourceFolder,
                               const std::string& outputFolder) {
    FolderSources sources(sourceFolder);
    CompileOutcome outcome = compileModel(model, withProfile, sources);
    if (outcome.fatal.empty()) writeCompiledFiles(model, outputFolder);
    return outcome;
}

}  // namespace sb::driver
