#include <cstdio>
#include <cstring>

#include "run/run_sequence.h"

int main(int argc, char** argv) {
    // The one argument the program answers; it takes no other input.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("scenario-builder " SB_VERSION);
        return 0;
    }
    return sb::run::scenarioBuilderMain();
}
