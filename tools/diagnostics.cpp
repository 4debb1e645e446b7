#include "tools/diagnostics.h"

#include <sstream>

#include "model/error_codes.h"

namespace sb::tool {

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Failure messages name the compile's own copies; authors know their paths.
std::string withAuthorsNames(const std::string& detail, const SourcePaths& paths) {
    return replaceAll(replaceAll(detail, paths.internalTrainName, paths.trainSource), paths.internalLineName,
                      paths.lineSource);
}

}  // namespace

std::string diagnosticLine(const RouteModel& model, const SourcePaths& paths) {
    if (model.errorCode == 0) return {};
    std::ostringstream out;
    const ErrorOrigin& origin = model.errorOrigin;
    std::string file = origin.sourceFile;
    if (file == paths.internalLineName) file = paths.lineSource;
    if (file == paths.internalTrainName) file = paths.trainSource;
    if (!file.empty()) {
        out << file;
        if (origin.line > 0) out << ':' << origin.line;
        out << ": ";
    }
    out << "error " << model.errorCode;
    if (error::hasPosition(model.errorCode)) out << " at " << model.errorPosition << " m";
    out << ": " << error::cause(model.errorCode);
    if (!origin.detail.empty()) out << " (" << withAuthorsNames(origin.detail, paths) << ")";
    return out.str();
}

}  // namespace sb::tool
