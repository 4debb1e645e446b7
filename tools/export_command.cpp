#include "tools/export_command.h"

#include <ostream>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "files/file_store.h"
#include "model/file_names.h"
#include "tools/exit_status.h"

namespace sb::tool {

int runExport(const std::string& folder, std::ostream& err) {
    try {
        files::createFolder(folder);
        files::replaceFile(files::joinPath(folder, names::lineSource(names::builtInLineName)),
                           builtin::builtInLineSourceText());
        files::replaceFile(files::joinPath(folder, names::trainSource(names::builtInLineName, names::builtInTrainNumber)),
                           builtin::builtInTrainSourceText());
    } catch (const std::exception& failure) {
        err << "scenario-tool: " << failure.what() << '\n';
        return exitUsage;
    }
    return exitOk;
}

}  // namespace sb::tool
