#include "tools/compile_command.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sys/stat.h>
#include <system_error>
#include <vector>

#include "compiler/compile.h"
#include "driver/compile_and_write.h"
#include "files/file_store.h"
#include "model/error_codes.h"
#include "model/file_names.h"
#include "tools/diagnostics.h"
#include "tools/display_text.h"
#include "tools/exit_status.h"

namespace sb::tool {

// Copies an author's source into the compile's in-memory folder. A path
// that does not exist, is not a regular file or cannot be read is an input
// failure of the tool, reported before anything is written.
void copySource(const std::string& path, const std::string& internalName, MemorySources& sources) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw files::FileError("cannot open \"" + path + "\": " + std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) throw files::FileError("\"" + path + "\" is not a regular file");
    sources.files[internalName] = files::readAll(path);
}

namespace {

nlohmann::ordered_json resultJson(const RouteModel& model, const std::string& fatal, const std::string& diagnostic) {
    nlohmann::ordered_json result;
    result["errorCode"] = model.errorCode;
    result["errorPosition"] = model.errorPosition;
    result["fatal"] = fatal.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(fatal);
    result["diagnostic"] =
        diagnostic.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(displayText(diagnostic));
    return result;
}

// A compiled file written over one of the sources would destroy the
// author's file; the names are known before compiling.
std::string outputOverSource(const CompileOptions& options) {
    std::vector<std::string> outputs{names::scenarioTableFile(options.lineName, options.trainNumber),
                                     names::cellFile(options.lineName, options.trainNumber)};
    if (options.withProfile) outputs.push_back(names::lineProfileFile(options.lineName));
    for (const std::string& name : outputs) {
        const std::string output = files::joinPath(options.outputFolder, name);
        for (const std::string& source : {options.lineSource, options.trainSource}) {
            std::error_code ignored;
            if (std::filesystem::equivalent(output, source, ignored)) return output;
        }
    }
    return {};
}

}  // namespace

std::string nameProblem(const std::string& name) {
    if (name.empty()) return "is empty";
    if (name.find('/') != std::string::npos) return "contains \"/\"";
    if (name.find('\0') != std::string::npos) return "contains a NUL character";
    if (name.size() > 200) return "is longer than 200 characters";
    return {};
}

int runCompile(const CompileOptions& options, std::ostream& out, std::ostream& err) {
    for (const auto& [what, value] : {std::pair<const char*, const std::string&>{"line name", options.lineName},
                                      std::pair<const char*, const std::string&>{"train number", options.trainNumber}}) {
        if (const std::string problem = nameProblem(value); !problem.empty()) {
            err << "scenario-tool: the " << what << " \"" << value << "\" " << problem << '\n';
            return exitUsage;
        }
    }

    if (const std::string clash = outputOverSource(options); !clash.empty()) {
        err << "scenario-tool: the compiled file \"" << clash << "\" would replace a source file\n";
        return exitUsage;
    }

    RouteModel model;
    model.lineName = options.lineName;
    model.trainNumber = options.trainNumber;
    const SourcePaths paths{names::lineSource(model.lineName), names::trainSource(model.lineName, model.trainNumber),
                            options.lineSource, options.trainSource};
    CompileOutcome outcome;
    try {
        MemorySources sources;
        copySource(options.lineSource, paths.internalLineName, sources);
        copySource(options.trainSource, paths.internalTrainName, sources);
        outcome = compileModel(model, options.withProfile, sources);
    } catch (const std::exception& failure) {
        err << "scenario-tool: " << displayText(failure.what()) << '\n';
        return exitUsage;
    }

    const std::string diagnostic = diagnosticLine(model, paths);
    if (!outcome.fatal.empty()) {
        err << "fatal: Errore n. " << outcome.fatal << ": " << error::cause(std::stoi(outcome.fatal))
            << "; no compiled file written\n";
    }
    if (!diagnostic.empty()) err << displayText(diagnostic) << '\n';
    if (options.json) out << jsonLine(resultJson(model, outcome.fatal, diagnostic));
    if (!outcome.fatal.empty()) return exitFatal;

    // Good files in --out are not replaced by the output of a failed compile
    // unless the author asks for it, as the program itself does.
    const bool write = model.errorCode == 0 || options.writeOnError;
    if (write) {
        try {
            files::createFolder(options.outputFolder);
            std::vector<std::string> notices;
            const files::FolderLock lock = driver::claimFolder(
                options.outputFolder, names::compiledFiles(options.lineName, options.trainNumber), notices);
            for (const std::string& notice : notices) err << "scenario-tool: " << displayText(notice) << '\n';
            driver::writeCompiledFiles(model, options.outputFolder);
        } catch (const std::exception& failure) {
            err << "scenario-tool: " << displayText(failure.what()) << '\n';
            return exitUsage;
        }
    } else {
        err << "scenario-tool: no compiled file written (the compile recorded error " << model.errorCode
            << "; --write-on-error writes them anyway)\n";
    }
    return model.errorCode == 0 ? exitOk : exitSourceError;
}

}  // namespace sb::tool
