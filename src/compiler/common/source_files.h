// Where the compile finds its two source files: a folder on disk (the
// driver's FolderSources) or bytes in memory (the author tool, tests,
// fuzzing). The compile reads a file whole when it opens it and deletes it
// when the rules say so.
#pragma once

#include <map>
#include <stdexcept>
#include <string>

namespace sb::compiler {

// A source file that cannot be read or deleted; the message names the file
// and the cause.
class SourceFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SourceFiles {
public:
    virtual ~SourceFiles() = default;
    // False only for a file that is not there; throws SourceFileError when
    // the system cannot tell.
    virtual bool exists(const std::string& name) const = 0;
    // The file's whole content, read once by the compile; throws
    // SourceFileError when the file cannot be read.
    virtual std::string read(const std::string& name) = 0;
    // Deletes the file when it exists; throws SourceFileError when it cannot.
    virtual void remove(const std::string& name) = 0;
};

class MemorySources final : public SourceFiles {
public:
    std::map<std::string, std::string> files;

    bool exists(const std::string& name) const override { return files.count(name) != 0; }
    // Hands the content over rather than copying it: the compile reads
    // each source once (and deletes it afterwards).
    std::string read(const std::string& name) override {
        const auto it = files.find(name);
        if (it == files.end()) throw SourceFileError("cannot open \"" + name + "\": no such file");
        return std::move(it->second);
    }
    void remove(const std::string& name) override { files.erase(name); }
};

}  // namespace sb::compiler
