#include "compiler/compile_driver.h"

#include "compiler/memorizza_dati.h"
#include "model/compiled_files.h"
#include "model/file_names.h"
#include "model/finishing_pass.h"
#include "run/files/file_store.h"

namespace sb {

CompileOutcome compileModel(RouteModel& model, std::int32_t j, SourceFiles& sources) {
    model.withProfile = j;
    model.errorCode = 0;
    model.errorPosition = 0;
    model.errorOrigin = ErrorOrigin{};
    resetScenarioTable(model);
    memorizza_dati(model, sources);
    finishingWalk(model);
    return CompileOutcome{placeFormatMarks(model)};
}

void writeCompiledFiles(const RouteModel& model, const std::string& outputFolder) {
    // The three files belong together: all are staged first and renamed into
    // place only when every one is complete.
    files::ReplaceGroup group;
    if (model.withProfile != 0) {
        group.stage(files::joinPath(outputFolder, names::lineProfileFile(model.lineName)), lineProfileBytes(model.lineProfile));
    }
    group.stage(files::joinPath(outputFolder, names::scenarioTableFile(model.lineName, model.trainNumber)),
                scenarioTableBytes(model));
    group.stage(files::joinPath(outputFolder, names::cellFile(model.lineName, model.trainNumber)), cellFileBytes(model));
    group.commit();
}

CompileOutcome memorizza_percorso(RouteModel& model, std::int32_t j, const std::string& sourceFolder,
                                  const std::string& outputFolder) {
    FolderSources sources(sourceFolder);
    CompileOutcome outcome = compileModel(model, j, sources);
    if (outcome.fatal.empty()) writeCompiledFiles(model, outputFolder);
    return outcome;
}

}  // namespace sb
