// scenario-tool: compile and check authors' own source files with the
// program's compiler, export the built-in sources, inspect compiled files,
// view a route.
#include <CLI/CLI.hpp>
#include <iostream>

#include "tools/check_command.h"
#include "tools/compile_command.h"
#include "diagnostics/display_text.h"
#include "tools/exit_status.h"
#include "tools/export_command.h"
#include "tools/inspect_command.h"
#include "tools/view_command.h"

namespace {

int run(int argc, char** argv) {
    using namespace sb::tool;
    CLI::App app{"Compile, check, export, inspect and view train-driving scenarios", "scenario-tool"};
    app.require_subcommand(1);
    app.footer(
        "Each subcommand has its own --help. The manual: man scenario-tool. Both source formats, every\n"
        "keyword, field, error code and warning: the format reference, format-reference.md, in the\n"
        "project's docs/ or, installed, in /usr/share/doc/scenario-builder/.");
    app.set_version_flag("--version", "scenario-tool " SB_VERSION);

    std::string exportFolder;
    bool exportForce = false;
    CLI::App* exportCommand = app.add_subcommand("export", "Write the built-in line and train source files into DIR");
    exportCommand->add_flag("--force", exportForce, "Replace source files already in DIR");
    exportCommand->add_option("DIR", exportFolder, "Folder to write into (created if missing)")->required();

    const char* lineNameHelp = "Line name (default: NAME of a line source named NAME_linea.txt, else VELDRA PALV)";
    const char* trainNumberHelp = "Train number (default: NUMBER of a train source named NAME_NUMBER-.txt, else 2638)";

    CompileOptions compile;
    bool noProfile = false;
    CLI::App* compileCommand = app.add_subcommand("compile", "Compile a line and a train source file");
    compileCommand->add_flag("--no-profile", noProfile, "Do not build or write the line profile file");
    compileCommand->add_option("--line-name", compile.lineName, lineNameHelp);
    compileCommand->add_option("--train-number", compile.trainNumber, trainNumberHelp);
    compileCommand->add_option("--out", compile.outputFolder, "Folder for the compiled files")->capture_default_str();
    compileCommand->add_flag("--json", compile.json, "Print the result as one JSON object on stdout");
    compileCommand->add_flag("--werror", compile.werror, "Exit with status 1 when there is any warning");
    compileCommand->add_flag("--write-on-error", compile.writeOnError,
                             "Write the compiled files even when the compile records an error code");
    compileCommand->add_option("LINE_SOURCE", compile.lineSource, "Line source file")->required();
    compileCommand->add_option("TRAIN_SOURCE", compile.trainSource, "Train source file")->required();

    CheckOptions check;
    bool checkNoProfile = false;
    CLI::App* checkCommand =
        app.add_subcommand("check", "Compile a line and a train source file in memory and report; write nothing");
    checkCommand->add_flag("--no-profile", checkNoProfile, "Do not build the line profile (curve rows are not read)");
    checkCommand->add_option("--line-name", check.lineName, lineNameHelp);
    checkCommand->add_option("--train-number", check.trainNumber, trainNumberHelp);
    checkCommand->add_flag("--json", check.json, "Print the result as one JSON object on stdout");
    checkCommand->add_flag("--werror", check.werror, "Exit with status 1 when there is any warning");
    checkCommand->add_option("LINE_SOURCE", check.lineSource, "Line source file")->required();
    checkCommand->add_option("TRAIN_SOURCE", check.trainSource, "Train source file")->required();

    InspectOptions inspect;
    std::string range;
    CLI::App* inspectCommand = app.add_subcommand("inspect", "Decode a compiled file");
    auto* inspectJson = inspectCommand->add_flag("--json", inspect.json, "Print every record and field as JSON");
    auto* inspectBytes =
        inspectCommand->add_flag("--bytes", inspect.bytes, "Dump every field: offset, bytes in hex, record, field, value");
    inspectCommand->add_option("--range", range, "With --bytes: only records FIRST to LAST (FIRST:LAST)")
        ->needs(inspectBytes);
    auto* inspectRaw =
        inspectCommand->add_flag("--raw", inspect.raw, "List the stored fields as they are instead of the author's units");
    inspectJson->excludes(inspectBytes);
    inspectRaw->excludes(inspectJson)->excludes(inspectBytes);
    inspectCommand->add_option("FILE", inspect.path, "Compiled file (_linea.dat, .sim or .dat)")->required();

    ViewOptions view;
    CLI::App* viewCommand = app.add_subcommand(
        "view", "Write a route page (HTML) of a folder's compiled scenario, or of two source files compiled in memory");
    viewCommand->add_option("--out", view.pageFile, "Page to write (default: NAME_NUMBER.html in the current folder)");
    viewCommand->add_option("--svg", view.svgFile, "Also, or with no --out only, write the charts alone as an SVG file");
    viewCommand->add_option("--line-name", view.lineName, "Line name: which scenario of the folder, or the compile's");
    viewCommand->add_option("--train-number", view.trainNumber, "Train number: which scenario of the folder, or the compile's");
    viewCommand->add_option("INPUT", view.inputs, "FOLDER, or LINE_SOURCE TRAIN_SOURCE")->required()->expected(1, 2);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return exitUsage;
    }

    if (*exportCommand) return runExport(exportFolder, exportForce, std::cerr);
    if (*viewCommand) return runView(view, std::cout, std::cerr);
    if (*compileCommand) {
        compile.withProfile = !noProfile;
        return runCompile(compile, std::cout, std::cerr);
    }
    if (*checkCommand) {
        check.withProfile = !checkNoProfile;
        return runCheck(check, std::cout, std::cerr);
    }
    if (!range.empty()) {
        const auto parsed = parseRange(range);
        if (!parsed) {
            std::cerr << "scenario-tool: --range takes FIRST:LAST, two record numbers with FIRST <= LAST\n";
            return exitUsage;
        }
        inspect.range = *parsed;
    }
    return runInspect(inspect, std::cout, std::cerr);
}

}  // namespace

// No exception leaves the tool: the last resort is exit status 2 with a line.
int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "scenario-tool: ran out of memory\n";
    } catch (const std::exception& failure) {
        std::cerr << "scenario-tool: " << sb::diagnostics::displayText(failure.what()) << '\n';
    } catch (...) {
        std::cerr << "scenario-tool: an unexpected failure\n";
    }
    return sb::tool::exitUsage;
}
