// Where the compile finds its two source files: a folder on disk, or bytes in
// memory (tests, fuzzing). The compile reads a file whole when it opens it
// and deletes it when the rules say so.
#pragma once

#include <map>
#include <string>

namespace sb {

class SourceFiles {
public:
    virtual ~SourceFiles() = default;
    virtual bool exists(const std::string& name) const = 0;
    // Fails with files::FileError when the file cannot be read.
    virtual std::string read(const std::string& name) const = 0;
    // Deletes the file when it exists.
    virtual void remove(const std::string& name) = 0;
};

class FolderSources final : public SourceFiles {
public:
    explicit FolderSources(std::string folder) : folder_(std::move(folder)) {}
    bool exists(const std::string& name) const override;
    std::string read(const std::string& name) const override;
    void remove(const std::string& name) override;

private:
    std::string folder_;
};

class MemorySources final : public SourceFiles {
public:
    std::map<std::string, std::string> files;

    bool exists(const std::string& name) const override { return files.count(name) != 0; }
    std::string read(const std::string& name) const override;
    void remove(const std::string& name) override { files.erase(name); }
};

}  // namespace sb
