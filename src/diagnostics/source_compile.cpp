#include "diagnostics/source_compile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <sys/stat.h>

#include "compiler/common/source_files.h"
#include "files/file_store.h"
#include "model/file_names.h"
#include "diagnostics/compile_diagnostics.h"
#include "diagnostics/trace.h"

namespace sb::diagnostics {

namespace {

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name without a suffix, compared in any letter case; nothing when the
// name does not end with it or nothing is left.
std::optional<std::string> withoutSuffix(const std::string& name, std::string_view suffix) {
    if (name.size() <= suffix.size()) return std::nullopt;
    const std::string tail = name.substr(name.size() - suffix.size());
    const bool same = std::equal(tail.begin(), tail.end(), suffix.begin(), suffix.end(), [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
    if (!same) return std::nullopt;
    return name.substr(0, name.size() - suffix.size());
}

// Copies an author's source into the compile's in-memory folder. A path
// that does not exist, is not a regular file or cannot be read is an input
// failure of the tool, reported before anything is written.
void copySource(const std::string& path, const std::string& internalName, std::map<std::string, std::string>& kept) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw files::FileError("cannot open \"" + path + "\": " + std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) throw files::FileError("\"" + path + "\" is not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > sourceSizeCap) {
        throw files::FileError("\"" + path + "\" holds " + std::to_string(info.st_size) +
                               " bytes: a source may hold at most " + std::to_string(sourceSizeCap >> 20) +
                               " MiB (the longest route the format allows takes a few megabytes)");
    }
    kept[internalName] = files::readAll(path);
}

}  // namespace

ScenarioNames scenarioNames(const std::string& lineSource, const std::string& trainSource,
                            const std::optional<std::string>& lineName, const std::optional<std::string>& trainNumber) {
    ScenarioNames chosen{names::builtInLineName, names::builtInTrainNumber};
    std::optional<std::string> trainLineName;
    if (const auto stem = withoutSuffix(baseName(trainSource), "-.txt")) {
        const std::size_t underscore = stem->find_last_of('_');
        if (underscore != std::string::npos && underscore > 0 && underscore + 1 < stem->size()) {
            trainLineName = stem->substr(0, underscore);
            chosen.trainNumber = stem->substr(underscore + 1);
        }
    }
    if (const auto stem = withoutSuffix(baseName(lineSource), "_linea.txt")) {
        chosen.lineName = *stem;
    } else if (trainLineName) {
        chosen.lineName = *trainLineName;
    }
    if (lineName) chosen.lineName = *lineName;
    if (trainNumber) chosen.trainNumber = *trainNumber;
    return chosen;
}

std::size_t SourceCompile::warningCount() const {
    return static_cast<std::size_t>(std::count_if(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& d) {
        return d.severity == Severity::Warning;
    }));
}

SourceCompile compileSourceFiles(const std::string& lineSource, const std::string& trainSource,
                                 const ScenarioNames& scenario, bool withProfile,
                                 const std::function<void(const SourceCompile&)>& afterCompile) {
    SourceCompile result;
    RouteModel& model = result.model;
    model.lineName = scenario.lineName;
    model.trainNumber = scenario.trainNumber;
    const SourcePaths paths{names::lineSource(model.lineName), names::trainSource(model.lineName, model.trainNumber),
                            lineSource, trainSource};
    // The sources are read once and kept for the diagnostics; the compile
    // takes (and deletes) copies, as the program's compile deletes its files.
    std::map<std::string, std::string> kept;
    copySource(lineSource, paths.internalLineName, kept);
    copySource(trainSource, paths.internalTrainName, kept);
    MemorySources sources;
    sources.files = kept;
    SourceTrace trace(&kept);
    result.outcome = compileModel(model, withProfile, sources, &trace);
    const auto diagnose = [&] {
        return compileDiagnostics(trace, paths, CompileFacts{model, result.outcome.fatal}, withProfile);
    };
    if (!afterCompile) {
        result.diagnostics = diagnose();
        return result;
    }
    // Both only read the finished model: the diagnostics are worked out on
    // a thread of their own (they touch no file) while the work after the
    // compile, which may write files, stays on this one.
    std::future<std::vector<Diagnostic>> diagnostics = std::async(std::launch::async, diagnose);
    try {
        afterCompile(result);
    } catch (...) {
        diagnostics.wait();
        throw;
    }
    result.diagnostics = diagnostics.get();
    return result;
}

std::string nameProblem(const std::string& name) {
    if (name.empty()) return "is empty";
    if (name.find('/') != std::string::npos) return "contains \"/\"";
    if (name.find('\0') != std::string::npos) return "contains a NUL character";
    if (name.size() > 200) return "is longer than 200 characters";
    return {};
}

}  // namespace sb::diagnostics
