// Calls the fatal error through the platform layer the program itself would pick, with
// the status window up as in a real run, so a test can answer the message box
// and watch how the process ends. The number to show is the first argument.
#include <string>

#include "run/platform.h"

int main(int argc, char** argv) {
    const std::string code = argc > 1 ? argv[1] : "1250";
    const auto platform = sb::run::makePlatform();
    platform->showStatus();
    platform->fatalError(code);
}
