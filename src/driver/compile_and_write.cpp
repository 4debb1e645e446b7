#include "driver/compile_and_write.h"

#include "driver/folder_sources.h"
#include "files/file_store.h"
#include "format/compiled_files.h"
#include "model/file_names.h"

namespace sb::driver {

void writeCompiledFiles(const RouteModel& model, const std::string& outputFolder) {
    // The three files belong together: all are staged first and renamed into
    // place only when every one is complete.
    files::ReplaceGroup group;
    if (model.withProfile) {
        group.stage(files::joinPath(outputFolder, names::lineProfileFile(model.lineName)),
                    format::lineProfileBytes(model.lineProfile));
    }
    group.stage(files::joinPath(outputFolder, names::scenarioTableFile(model.lineName, model.trainNumber)),
                format::scenarioTableBytes(model.scenario));
    group.stage(files::joinPath(outputFolder, names::cellFile(model.lineName, model.trainNumber)), format::cellFileBytes(model.cells));
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
