#include "diagnostics/source_compile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Copies an author's source into the compile's in-memory folder: a file,
// a pipe or process substitution, or standard input for "-". A source that
// cannot be read, is a folder or holds more than the cap is an input
// failure of the tool, reported before anything is written; a file is
// measured before it is read.
void copySource(const std::string& path, const std::string& internalName, std::map<std::string, std::string>& kept) {
    const bool standardInput = path == "-";
    const std::string shown = standardInput ? "standard input" : "\"" + path + "\"";
    const int fd = standardInput ? ::dup(STDIN_FILENO) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw files::FileError("cannot open " + shown + ": " + std::strerror(errno));
    std::string bytes;
    std::string problem;
    struct stat info {};
    const auto tooLarge = [&](const std::string& holds) {
        return shown + " holds " + holds + " bytes: a source may hold at most " + std::to_string(sourceSizeCap >> 20) +
               " MiB (the longest route the format allows takes a few megabytes)";
    };
    if (::fstat(fd, &info) != 0) {
        problem = "cannot read " + shown + ": " + std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        problem = shown + " is a folder, not a source file";
    } else if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > sourceSizeCap) {
        problem = tooLarge(std::to_string(info.st_size));
    } else {
        // A file is read into room of its size; a pipe grows as it comes.
        if (S_ISREG(info.st_mode)) bytes.reserve(static_cast<std::size_t>(info.st_size));
        char buffer[1 << 16];
        while (problem.empty()) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) problem = "cannot read " + shown + ": " + std::strerror(errno);
            if (n <= 0) break;
            if (bytes.size() + static_cast<std::size_t>(n) > sourceSizeCap) problem = tooLarge("more than " + std::to_string(sourceSizeCap));
            else bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (!problem.empty()) throw files::FileError(problem);
    kept[internalName] = std::move(bytes);
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
    // Diagnostics name standard input as compilers do.
    const auto shownPath = [](const std::string& path) { return path == "-" ? std::string("<stdin>") : path; };
    const SourcePaths paths{names::lineSource(model.lineName), names::trainSource(model.lineName, model.trainNumber),
                            shownPath(lineSource), shownPath(trainSource)};
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

std::unique_ptr<TracedCompile> compileSourceBytes(std::string lineBytes, std::string trainBytes,
                                                  const std::string& linePath, const std::string& trainPath,
                                                  const ScenarioNames& scenario, bool withProfile) {
    auto compile = std::make_unique<TracedCompile>();
    RouteModel& model = compile->result.model;
    model.lineName = scenario.lineName;
    model.trainNumber = scenario.trainNumber;
    compile->paths = SourcePaths{names::lineSource(model.lineName),
                                 names::trainSource(model.lineName, model.trainNumber), linePath, trainPath};
    compile->sources[compile->paths.internalLineName] = std::move(lineBytes);
    compile->sources[compile->paths.internalTrainName] = std::move(trainBytes);
    MemorySources sources;
    sources.files = compile->sources;
    compile->trace = std::make_unique<SourceTrace>(&compile->sources);
    compile->result.outcome = compileModel(model, withProfile, sources, compile->trace.get());
    compile->result.diagnostics = compileDiagnostics(*compile->trace, compile->paths,
                                                     CompileFacts{model, compile->result.outcome.fatal}, withProfile);
    return compile;
}

std::string nameProblem(const std::string& name) {
    if (name.empty()) return "is empty";
    if (name.find('/') != std::string::npos) return "contains \"/\"";
    if (name.find('\0') != std::string::npos) return "contains a NUL character";
    if (name.size() > 200) return "is longer than 200 characters";
    return {};
}

}  // namespace sb::diagnostics
