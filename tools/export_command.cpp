#include "tools/export_command.h"

#include <ostream>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "files/file_store.h"
#include "model/file_names.h"
#include "tools/exit_status.h"

namespace sb::tool {

int runExport(const std::string& folder, bool force, std::ostream& err) {
    const std::string linePath = files::joinPath(folder, names::lineSource(names::builtInLineName));
    const std::string trainPath =
        files::joinPath(folder, names::trainSource(names::builtInLineName, names::builtInTrainNumber));
    if (!force) {
        for (const std::string& path : {linePath, trainPath}) {
            if (files::exists(path)) {
                err << "scenario-tool: \"" << path << "\" already exists; --force replaces it\n";
                return exitUsage;
            }
        }
    }
    try {
        files::createFolder(folder);
        files::replaceFile(linePath, builtin::builtInLineSourceText());
        files::replaceFile(trainPath, builtin::builtInTrainSourceText());
    } catch (const std::exception& failure) {
        err << "scenario-tool: " << failure.what() << '\n';
        return exitUsage;
    }
    return exitOk;
}

}  // namespace sb::tool
