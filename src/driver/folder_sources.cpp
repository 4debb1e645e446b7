#include "driver/folder_sources.h"

#include "files/file_store.h"

namespace sb::driver {

bool FolderSources::exists(const std::string& name) const {
    try {
        return files::exists(files::joinPath(folder_, name));
    } catch (const files::FileError& e) {
        throw compiler::SourceFileError(e.what());
    }
}

std::string FolderSources::read(const std::string& name) {
    try {
        return files::readAll(files::joinPath(folder_, name));
    } catch (const files::FileError& e) {
        throw compiler::SourceFileError(e.what());
    }
}

void FolderSources::remove(const std::string& name) {
    try {
        files::removeIfExists(files::joinPath(folder_, name));
    } catch (const files::FileError& e) {
        throw compiler::SourceFileError(e.what());
    }
}

}  // namespace sb::driver
