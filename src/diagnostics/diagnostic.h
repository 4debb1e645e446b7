// One message to an author, compiler-style: where (file, line, column), how
// bad (error, warning, note), the error code if any, the message, the row's
// source line with a caret under the field, and notes pointing at the other
// places involved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sb::diagnostics {

enum class Severity : unsigned char { Error, Warning, Note };

struct Diagnostic {
    Severity severity = Severity::Error;
    std::string file;  // as the author typed it; empty when no file is to blame
    int line = 0;      // 1-based; 0 when the whole file is meant
    int column = 0;    // 1-based, in bytes: the field's first byte
    std::string sourceLine;        // the line's bytes, shown under the message
    std::size_t caretLength = 0;   // bytes of the field under the caret
    std::optional<std::int32_t> code;
    std::string id;       // a warning's identifier, e.g. "feature-dropped"
    std::string message;  // UTF-8, ends with "(code N ...)" where a code belongs to it
    // The position along the line of the row to blame, when its row gives one.
    std::optional<std::int64_t> metre;
    std::vector<Diagnostic> notes;
};

std::string_view severityName(Severity severity);

// FILE:LINE:COLUMN: SEVERITY: MESSAGE, the source line and the caret line,
// then the notes in the same form; with colour, the severity and caret in
// the terminal colours compilers use.
void writeDiagnostic(std::ostream& out, const Diagnostic& diagnostic, bool colour = false);
void writeDiagnostics(std::ostream& out, const std::vector<Diagnostic>& diagnostics, bool colour = false);

// {severity, file, line, column, endLine, endColumn, code, message, notes}:
// code is the number of an error, the identifier of a warning, else null;
// endColumn is the column just past the field. Notes have the same shape
// without "notes".
nlohmann::ordered_json diagnosticsJson(const std::vector<Diagnostic>& diagnostics);

// An author's bytes (Windows-1252) as UTF-8 for a message, control bytes
// escaped as \xNN.
std::string authorText(std::string_view bytes);
// A token in double quotes, cut to 40 bytes.
std::string quotedToken(std::string_view token);
// A path as typed: kept when it is UTF-8 without control bytes, else shown
// as authorText shows an author's bytes.
std::string pathText(std::string_view path);

}  // namespace sb::diagnostics
