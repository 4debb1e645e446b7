#include <cstdio>
#include <cstring>

#include "run/run_sequence.h"

namespace {

constexpr const char* helpText =
    "Usage: scenario-builder\n"
    "\n"
    "Writes, in the folder that holds this program, the scenario of line \"VELDRA PALV\"\n"
    "and train 2638: its two source files, the three crew documents (notes, slow-down\n"
    "order form, train sheet), then compiles the sources into the three files the\n"
    "simulator loads and deletes the sources. It takes no input. Started where there\n"
    "is a display it shows a small window while it works.\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and end\n"
    "  -V, --version    show the version and end\n"
    "Any other argument is a usage error (exit status 2, nothing written).\n"
    "\n"
    "Exit status: 0 all files written; 1 the compile recorded an error code in the\n"
    "source data (the compiled files are still written); 2 a run-time failure, such\n"
    "as a folder that cannot be written, or a usage error; 3 a reserved field of the\n"
    "compiled output was taken (\" Errore n. 1250\" or \"1251\"), no compiled file\n"
    "written.\n"
    "\n"
    "The folder must be writable: to run an installed copy, copy the program into a\n"
    "folder of your own and run it there. See also scenario-tool(1).\n";

}  // namespace

int main(int argc, char** argv) {
    // The program takes no input: it answers the two conventional questions,
    // and anything else is a mistake that must not rewrite the folder.
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-V") == 0)) {
        std::fputs("scenario-builder " SB_VERSION "\n", stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(helpText, stdout);
        return 0;
    }
    if (argc > 1) {
        std::fprintf(stderr,
                     "scenario-builder: unexpected argument \"%s\": the program takes none (it writes the built-in "
                     "scenario beside itself); nothing was written\nUsage: scenario-builder [--help | --version]\n",
                     argv[1]);
        return 2;
    }
    return sb::run::scenarioBuilderMain();
}
