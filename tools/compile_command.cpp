#include "tools/compile_command.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>
#include <vector>

#include "driver/compile_and_write.h"
#include "files/file_store.h"
#include "model/file_names.h"
#include "diagnostics/diagnostic.h"
#include "diagnostics/display_text.h"
#include "tools/command_support.h"
#include "tools/exit_status.h"
#include "diagnostics/source_compile.h"

namespace sb::tool {

using namespace diagnostics;

namespace {

// A compiled file written over one of the sources would destroy the
// author's file; the names are known before compiling.
std::string outputOverSource(const CompileOptions& options, const ScenarioNames& scenario) {
    std::vector<std::string> outputs{names::scenarioTableFile(scenario.lineName, scenario.trainNumber),
                                     names::cellFile(scenario.lineName, scenario.trainNumber)};
    if (options.withProfile) outputs.push_back(names::lineProfileFile(scenario.lineName));
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

int runCompile(const CompileOptions& options, std::ostream& out, std::ostream& err) {
    const ScenarioNames scenario =
        scenarioNames(options.lineSource, options.trainSource, options.lineName, options.trainNumber);
    if (!namesUsable(scenario, err)) return exitUsage;

    if (const std::string clash = outputOverSource(options, scenario); !clash.empty()) {
        err << "scenario-tool: the compiled file \"" << displayText(clash) << "\" would replace a source file\n";
        return exitUsage;
    }

    // Good files in --out are not replaced by the output of a failed compile
    // unless the author asks for it, as the program itself does. An existing
    // --out is claimed first, so that what a killed run left there is
    // completed whatever this compile finds. The set is written while the
    // diagnostics are worked out; what the writing has to say comes after them.
    bool written = false;
    std::vector<std::string> notices;
    std::optional<files::FolderLock> lock;
    const auto claim = [&] {
        files::createFolder(options.outputFolder);
        lock.emplace(driver::claimFolder(
            options.outputFolder, names::compiledFiles(scenario.lineName, scenario.trainNumber), notices,
            [&err](const std::string& line) { err << "scenario-tool: " << displayText(line) << std::endl; }));
    };
    std::error_code noFolder;
    if (std::filesystem::is_directory(options.outputFolder, noFolder)) {
        try {
            claim();
        } catch (const std::exception& failure) {
            return failed(err, failure, "claiming \"" + options.outputFolder + "\"");
        }
    }
    std::optional<std::string> writeFailure;
    const auto writeSet = [&](const SourceCompile& compiled) {
        if (!compiled.outcome.fatal.empty() || (compiled.model.errorCode != 0 && !options.writeOnError)) return;
        try {
            if (!lock) claim();
            driver::writeCompiledFiles(compiled.model, options.outputFolder, &notices);
            written = true;
        } catch (const std::exception& failure) {
            writeFailure = failure.what();
        }
    };
    SourceCompile compile;
    try {
        compile = compileSourceFiles(options.lineSource, options.trainSource, scenario, options.withProfile, writeSet);
    } catch (const std::exception& failure) {
        for (const std::string& notice : notices) err << "scenario-tool: " << displayText(notice) << '\n';
        return failed(err, failure, "compiling \"" + options.lineSource + "\" and \"" + options.trainSource + "\"");
    }

    const int status = reportCompile(compile, options.reporting, out, err);
    if (!options.reporting.quiet) {
        for (const std::string& notice : notices) err << "scenario-tool: " << displayText(notice) << '\n';
    }
    if (status == exitFatal) return exitFatal;
    if (writeFailure) {
        err << "scenario-tool: " << displayText(*writeFailure) << '\n';
        return exitUsage;
    }
    if (!written && !options.reporting.quiet) {
        err << "scenario-tool: no compiled file written (the compile recorded error " << compile.model.errorCode
            << "; --write-on-error writes them anyway)\n";
    }
    return status;
}

}  // namespace sb::tool
