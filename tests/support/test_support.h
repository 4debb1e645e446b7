// Helpers shared by the tests: temporary folders and small file utilities.
#pragma once

#include <string>

namespace sbtest {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes out of scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);

}  // namespace sbtest
