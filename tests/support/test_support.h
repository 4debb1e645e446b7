// Helpers shared by the tests: temporary folders and small file utilities.
#pragma once

#include <string>
#include <vector>

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

// What a finished child process left: its exit status (-1 when it did not
// exit normally), the signal that ended it (0 when it exited) and everything
// it wrote on stdout and stderr.
struct Finished {
    int exitStatus = -1;
    int termSignal = 0;
    std::string out;
    std::string err;
};

// Runs a program with arguments in a working folder, standard input from
// /dev/null, with the given environment or, without one, this process's own.
Finished runProcess(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingFolder, const std::vector<std::string>* environment = nullptr);

}  // namespace sbtest
