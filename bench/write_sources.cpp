// Writes the generated benchmark sources under the built-in names, so the
// companion tool (or the fuzzer's replay) can run them as files:
//   bench_sources DIR  ->  DIR/VELDRA PALV_linea.txt, DIR/VELDRA PALV_2638-.txt
#include <cstdio>
#include <fstream>
#include <string>

#include "bench_inputs.h"
#include "model/file_names.h"

namespace {

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::string& line = sb::names::builtInLineName;
    const std::string& train = sb::names::builtInTrainNumber;
    const bool ok = writeFile(folder + "/" + sb::names::lineSource(line), sb::bench::maxRouteLineText()) &&
                    writeFile(folder + "/" + sb::names::trainSource(line, train), sb::bench::denseTrainText());
    return ok ? 0 : 1;
}
