// The compile's source files in a folder on disk.
#pragma once

#include <string>

#include "compiler/common/source_files.h"

namespace sb::driver {

class FolderSources final : public compiler::SourceFiles {
public:
    explicit FolderSources(std::string folder) : folder_(std::move(folder)) {}
    bool exists(const std::string& name) const override;
    std::string read(const std::string& name) override;
    void remove(const std::string& name) override;

private:
    std::string folder_;
};

}  // namespace sb::driver
