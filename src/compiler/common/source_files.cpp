#include "compiler/common/source_files.h"

#include "run/files/file_store.h"

namespace sb {

bool FolderSources::exists(const std::string& name) const { return files::exists(files::joinPath(folder_, name)); }

std::string FolderSources::read(const std::string& name) const { return files::readAll(files::joinPath(folder_, name)); }

void FolderSources::remove(const std::string& name) { files::removeIfExists(files::joinPath(folder_, name)); }

std::string MemorySources::read(const std::string& name) const {
    const auto it = files.find(name);
    if (it == files.end()) throw files::FileError("cannot open \"" + name + "\": no such file");
    return it->second;
}

}  // namespace sb
