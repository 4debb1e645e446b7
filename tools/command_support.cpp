#include "tools/command_support.h"

#include <map>
#include <new>
#include <ostream>
#include <sstream>
#include <utility>

#include "diagnostics/diagnostic.h"
#include "diagnostics/display_text.h"
#include "diagnostics/keyword_suggestions.h"
#include "diagnostics/warnings.h"
#include "tools/exit_status.h"

namespace sb::tool {

nlohmann::ordered_json resultJson(const diagnostics::SourceCompile& compile) {
    nlohmann::ordered_json result;
    result["errorCode"] = compile.model.errorCode;
    result["errorPosition"] = compile.model.errorPosition;
    result["fatal"] = compile.outcome.fatal.empty() ? nlohmann::ordered_json(nullptr)
                                                    : nlohmann::ordered_json(compile.outcome.fatal);
    result["diagnostics"] = diagnostics::diagnosticsJson(compile.diagnostics);
    return result;
}

int exitStatusOf(const diagnostics::SourceCompile& compile, bool werror) {
    if (!compile.outcome.fatal.empty()) return exitFatal;
    if (compile.model.errorCode != 0) return exitSourceError;
    if (werror && compile.warningCount() > 0) return exitSourceError;
    return exitOk;
}

bool namesUsable(const diagnostics::ScenarioNames& scenario, std::ostream& err) {
    for (const auto& [what, value] : {std::pair<const char*, const std::string&>{"line name", scenario.lineName},
                                      std::pair<const char*, const std::string&>{"train number", scenario.trainNumber}}) {
        if (const std::string problem = diagnostics::nameProblem(value); !problem.empty()) {
            err << "scenario-tool: the " << what << " \"" << diagnostics::displayText(value) << "\" " << problem << '\n';
            return false;
        }
    }
    return true;
}

std::string warningFlagProblem(const std::string& flag) {
    std::string id = flag;
    for (const std::string_view prefix : {"no-error=", "error=", "no-"}) {
        if (id.rfind(prefix, 0) == 0) {
            id = id.substr(prefix.size());
            break;
        }
    }
    if (flag == "error") return {};
    std::string closest;
    std::size_t best = 3;
    for (const diagnostics::WarningInfo& info : diagnostics::warningCatalogue()) {
        if (info.identifier == id) return {};
        const std::size_t distance = diagnostics::editDistance(id, info.identifier);
        if (distance < best) {
            best = distance;
            closest = info.identifier;
        }
    }
    std::string problem = "-W" + flag + ": no warning is called \"" + id + "\"";
    if (!closest.empty()) problem += " (did you mean \"" + closest + "\"?)";
    return problem + "; the warnings are listed in the manual";
}

std::vector<diagnostics::Diagnostic> applyWarningFlags(std::vector<diagnostics::Diagnostic> all,
                                                       const Reporting& reporting) {
    std::map<std::string, bool, std::less<>> shown;  // identifier: on or off
    std::map<std::string, bool, std::less<>> promoted;
    bool allPromoted = reporting.werror;
    for (const std::string& flag : reporting.warningFlags) {
        if (flag == "error") {
            allPromoted = true;
        } else if (flag.rfind("no-error=", 0) == 0) {
            promoted[flag.substr(9)] = false;
        } else if (flag.rfind("error=", 0) == 0) {
            promoted[flag.substr(6)] = true;
        } else if (flag.rfind("no-", 0) == 0) {
            shown[flag.substr(3)] = false;
        } else {
            shown[flag] = true;
        }
    }
    std::erase_if(all, [&](const diagnostics::Diagnostic& d) {
        const auto found = shown.find(d.id);
        return d.severity == diagnostics::Severity::Warning && found != shown.end() && !found->second;
    });
    for (diagnostics::Diagnostic& d : all) {
        if (d.severity != diagnostics::Severity::Warning) continue;
        const auto found = promoted.find(d.id);
        if (found != promoted.end() ? found->second : allPromoted) d.severity = diagnostics::Severity::Error;
    }
    return all;
}

int reportCompile(const diagnostics::SourceCompile& compile, const Reporting& reporting, std::ostream& out,
                  std::ostream& err) {
    using diagnostics::Severity;
    const std::vector<diagnostics::Diagnostic> shown = applyWarningFlags(compile.diagnostics, reporting);
    std::size_t errors = 0;
    std::size_t warnings = 0;
    bool promotedWarning = false;
    // Written out at once: the standard error stream is unbuffered, and a
    // long route's warnings took hundreds of writes piece by piece.
    std::ostringstream text;
    for (const diagnostics::Diagnostic& d : shown) {
        if (d.severity == Severity::Error) ++errors;
        if (d.severity == Severity::Warning) ++warnings;
        promotedWarning = promotedWarning || (d.severity == Severity::Error && !d.id.empty());
        if (!reporting.quiet || d.severity == Severity::Error) diagnostics::writeDiagnostic(text, d, reporting.colour);
    }
    if (reporting.summary && !reporting.quiet && errors + warnings > 0) {
        const auto counted = [](std::size_t n, const char* what) {
            return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
        };
        text << (errors > 0 ? counted(errors, "error") : "")
             << (errors > 0 && warnings > 0 ? ", " : "") << (warnings > 0 ? counted(warnings, "warning") : "") << '\n';
    }
    err << text.str() << std::flush;
    if (reporting.json) {
        nlohmann::ordered_json result = resultJson(compile);
        result["diagnostics"] = diagnostics::diagnosticsJson(shown);
        out << diagnostics::jsonLine(result);
    }
    if (!compile.outcome.fatal.empty()) return exitFatal;
    if (compile.model.errorCode != 0 || promotedWarning) return exitSourceError;
    return exitOk;
}

int failed(std::ostream& err, const std::exception& failure, const std::string& doing) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        err << "scenario-tool: ran out of memory while " << diagnostics::displayText(doing) << '\n';
    } else {
        err << "scenario-tool: " << diagnostics::displayText(failure.what()) << '\n';
    }
    return exitUsage;
}

}  // namespace sb::tool
