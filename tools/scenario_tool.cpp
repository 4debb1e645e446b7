// scenario-tool: compile and check authors' own source files with the
// program's compiler, export the built-in sources, inspect compiled files,
// view a route.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <tuple>

#include "tools/check_command.h"
#include "tools/compile_command.h"
#include "tools/diff_command.h"
#include "tools/timetable_command.h"
#include "diagnostics/display_text.h"
#include "diagnostics/keyword_suggestions.h"
#include "tools/exit_status.h"
#include "tools/export_command.h"
#include "tools/inspect_command.h"
#include "tools/lsp_command.h"
#include "tools/view_command.h"

namespace {

using namespace sb::tool;

// The flags check and compile share for telling their diagnostics.
void addReportingFlags(CLI::App* command, Reporting& reporting, std::string& colour) {
    command->add_flag("--json", reporting.json, "Print the result as one JSON object on stdout");
    command->add_flag("--werror", reporting.werror, "Make every warning an error (exit status 1)");
    command->add_option("-W", reporting.warningFlags,
                        "-W ID, -Wno-ID, -Werror=ID, -Wno-error=ID: turn the warning ID on, off, into an error, or "
                        "back into a warning; -Werror: as --werror")
        ->allow_extra_args(false)
        ->take_all();
    command->add_flag("-q,--quiet", reporting.quiet, "Print errors only: no warnings, notices or summary");
    command->add_option("--color", colour, "Colour the diagnostics: auto (on a terminal, unless NO_COLOR is set), "
                                           "always or never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
        ->capture_default_str();
}

// Colour and summary belong to a terminal, and NO_COLOR turns colour off.
void settle(Reporting& reporting, const std::string& colour, bool terminal) {
    const char* noColour = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    const bool wantsColour = (noColour == nullptr || *noColour == '\0') && !(term != nullptr && std::string(term) == "dumb");
    reporting.colour = colour == "always" || (colour == "auto" && terminal && wantsColour);
    reporting.summary = terminal;
}

// "did you mean" for a mistyped subcommand or option of the command line.
std::string suggestion(const CLI::App& app, int argc, char** argv) {
    std::vector<std::string> known;
    const CLI::App* command = &app;
    for (const CLI::App* sub : app.get_subcommands({})) {
        known.push_back(sub->get_name());
        for (int i = 1; i < argc; ++i) {
            if (sub->get_name() == argv[i]) command = sub;
        }
    }
    std::vector<std::string> options;
    for (const CLI::Option* option : command->get_options()) {
        for (const std::string& name : option->get_lnames()) options.push_back("--" + name);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool isOption = word.rfind("--", 0) == 0;
        if (!isOption && (command != &app || i > 1)) continue;
        const std::string typed = isOption ? word.substr(0, word.find('=')) : word;
        const std::vector<std::string>& candidates = isOption ? options : known;
        if (std::find(candidates.begin(), candidates.end(), typed) != candidates.end()) continue;
        std::string closest;
        std::size_t best = 3;
        for (const std::string& candidate : candidates) {
            const std::size_t distance = sb::diagnostics::editDistance(typed, candidate);
            if (distance < best) {
                best = distance;
                closest = candidate;
            }
        }
        if (!closest.empty()) return "scenario-tool: \"" + typed + "\": did you mean \"" + closest + "\"?\n";
        if (!isOption) {
            std::string list;
            for (const std::string& name : known) list += (list.empty() ? "" : ", ") + name;
            return "scenario-tool: \"" + typed + "\" is not a command; the commands are " + list + "\n";
        }
    }
    return {};
}

int run(int argc, char** argv, std::ostream& out, std::ostream& err, bool terminal) {
    CLI::App app{"Compile, check, export, inspect, view and compare train-driving scenarios", "scenario-tool"};
    app.require_subcommand(1);
    app.footer(
        "Each subcommand has its own --help. The manual: man scenario-tool. Both source formats, every\n"
        "keyword, field, error code and warning: the format reference, format-reference.md, in the\n"
        "project's docs/ or, installed, in /usr/share/doc/scenario-builder/docs/.");
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
    compileCommand->add_option("-o,--out", compile.outputFolder, "Folder for the compiled files")->capture_default_str();
    std::string compileColour = "auto";
    addReportingFlags(compileCommand, compile.reporting, compileColour);
    compileCommand->add_flag("--write-on-error", compile.writeOnError,
                             "Write the compiled files even when the compile records an error code");
    compileCommand->add_option("LINE_SOURCE", compile.lineSource, "Line source file (- for standard input)")->required();
    compileCommand->add_option("TRAIN_SOURCE", compile.trainSource, "Train source file (- for standard input)")->required();

    CheckOptions check;
    bool checkNoProfile = false;
    CLI::App* checkCommand =
        app.add_subcommand("check", "Compile a line and a train source file in memory and report; write nothing");
    checkCommand->add_flag("--no-profile", checkNoProfile, "Do not build the line profile (curve rows are not read)");
    checkCommand->add_option("--line-name", check.lineName, lineNameHelp);
    checkCommand->add_option("--train-number", check.trainNumber, trainNumberHelp);
    std::string checkColour = "auto";
    addReportingFlags(checkCommand, check.reporting, checkColour);
    checkCommand->add_option("LINE_SOURCE", check.lineSource, "Line source file (- for standard input)")->required();
    checkCommand->add_option("TRAIN_SOURCE", check.trainSource, "Train source file (- for standard input)")->required();

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
    viewCommand->add_option("-o,--out", view.pageFile,
                            "Page to write, - for standard output (default: NAME_NUMBER.html in the current folder)");
    viewCommand->add_option("--svg", view.svgFile, "Also, or with no --out only, write the charts alone as an SVG file");
    viewCommand->add_option("--line-name", view.lineName, "Line name: which scenario of the folder, or the compile's");
    viewCommand->add_option("--train-number", view.trainNumber, "Train number: which scenario of the folder, or the compile's");
    viewCommand->add_option("INPUT", view.inputs, "FOLDER, or LINE_SOURCE TRAIN_SOURCE")->required()->expected(1, 2);

    DiffOptions diff;
    CLI::App* diffCommand = app.add_subcommand(
        "diff", "List what differs between two compiled scenarios: features, stations, speed, gradient, curves");
    diffCommand->add_option("--line-name", diff.lineName, "Line name: which scenario of a folder holding several");
    diffCommand->add_option("--train-number", diff.trainNumber, "Train number: which scenario of a folder holding several");
    diffCommand->add_flag("--json", diff.json, "Print the differences as one JSON object on stdout");
    diffCommand->add_option("BEFORE", diff.before, "Folder of compiled files, or a scenario table NAME_NUMBER.sim")
        ->required();
    diffCommand->add_option("AFTER", diff.after, "Folder of compiled files, or a scenario table NAME_NUMBER.sim")
        ->required();

    TimetableOptions timetable;
    CLI::App* timetableCommand = app.add_subcommand(
        "timetable", "Hold the timetable against the fastest run of the scenario's train, stop by stop");
    timetableCommand->add_option("--acceleration", timetable.train.acceleration, "Acceleration on the level, m/s2")
        ->check(CLI::PositiveNumber)->capture_default_str();
    timetableCommand->add_option("--braking", timetable.train.braking, "Service braking on the level, m/s2")
        ->check(CLI::PositiveNumber)->capture_default_str();
    timetableCommand->add_option("--car-length", timetable.train.carLength, "Length of a car, m")
        ->check(CLI::NonNegativeNumber)->capture_default_str();
    timetableCommand->add_option("--line-name", timetable.lineName, "Line name: which scenario of the folder, or the compile's");
    timetableCommand->add_option("--train-number", timetable.trainNumber, "Train number: which scenario of the folder, or the compile's");
    timetableCommand->add_flag("--json", timetable.json, "Print the stops and segments as one JSON object on stdout");
    timetableCommand->add_option("INPUT", timetable.inputs, "FOLDER, or LINE_SOURCE TRAIN_SOURCE (- for standard input)")
        ->required()->expected(1, 2);

    bool lspStdio = false;
    CLI::App* lspCommand = app.add_subcommand(
        "lsp", "Serve an editor over the Language Server Protocol on standard input and output");
    lspCommand->add_flag("--stdio", lspStdio, "Talk on standard input and output (the only way; accepted for editors that pass it)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        err << suggestion(app, argc, argv);
        return exitUsage;
    }

    for (const CLI::App* command : {compileCommand, checkCommand}) {
        const Reporting& reporting = command == compileCommand ? compile.reporting : check.reporting;
        for (const std::string& flag : reporting.warningFlags) {
            if (const std::string problem = warningFlagProblem(flag); *command && !problem.empty()) {
                err << "scenario-tool: " << problem << '\n';
                return exitUsage;
            }
        }
    }
    for (const auto& [command, first, second] :
         {std::tuple{compileCommand, &compile.lineSource, &compile.trainSource},
          std::tuple{checkCommand, &check.lineSource, &check.trainSource}}) {
        if (*command && *first == "-" && *second == "-") {
            err << "scenario-tool: only one source can come from standard input (-)\n";
            return exitUsage;
        }
    }
    if ((view.inputs.size() == 2 && view.inputs[0] == "-" && view.inputs[1] == "-") ||
        (timetable.inputs.size() == 2 && timetable.inputs[0] == "-" && timetable.inputs[1] == "-")) {
        err << "scenario-tool: only one source can come from standard input (-)\n";
        return exitUsage;
    }

    if (*lspCommand) return runLsp(SB_VERSION, err);
    if (*exportCommand) return runExport(exportFolder, exportForce, err);
    if (*diffCommand) return runDiff(diff, out, err);
    if (*timetableCommand) return runTimetable(timetable, out, err);
    if (*viewCommand) return runView(view, out, err);
    if (*compileCommand) {
        compile.withProfile = !noProfile;
        settle(compile.reporting, compileColour, terminal);
        return runCompile(compile, out, err);
    }
    if (*checkCommand) {
        check.withProfile = !checkNoProfile;
        settle(check.reporting, checkColour, terminal);
        return runCheck(check, out, err);
    }
    if (!range.empty()) {
        const auto parsed = parseRange(range);
        if (!parsed) {
            err << "scenario-tool: --range takes FIRST:LAST, two record numbers with FIRST <= LAST\n";
            return exitUsage;
        }
        inspect.range = *parsed;
    }
    return runInspect(inspect, out, err);
}

// With --json, a run that fails before it has a result still prints one
// JSON object: the exit status and what went wrong.
int runWithJson(int argc, char** argv, bool terminal) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(argc, argv, out, err, terminal);
    std::cout << out.str();
    std::cerr << err.str();
    if (status == exitUsage && out.str().empty()) {
        std::string failure;
        std::istringstream lines(err.str());
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("scenario-tool: ", 0) == 0) line.erase(0, 15);
            failure += (failure.empty() ? "" : "\n") + line;
        }
        nlohmann::ordered_json result;
        result["status"] = status;
        result["failure"] = failure;
        std::cout << sb::diagnostics::jsonLine(result);
    }
    return status;
}

}  // namespace

// No exception leaves the tool: the last resort is exit status 2 with a line.
int main(int argc, char** argv) {
    try {
        const bool terminal = ::isatty(STDERR_FILENO) == 1;
        for (int i = 1; i < argc; ++i) {
            if (std::string_view(argv[i]) == "--json") return runWithJson(argc, argv, terminal);
        }
        return run(argc, argv, std::cout, std::cerr, terminal);
    } catch (const std::bad_alloc&) {
        std::cerr << "scenario-tool: ran out of memory\n";
    } catch (const std::exception& failure) {
        std::cerr << "scenario-tool: " << sb::diagnostics::displayText(failure.what()) << '\n';
    } catch (...) {
        std::cerr << "scenario-tool: an unexpected failure\n";
    }
    return sb::tool::exitUsage;
}
