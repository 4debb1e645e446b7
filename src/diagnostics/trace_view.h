// The trace of a compile as the diagnostics read it: the author's paths
// for the compile's own file names, diagnostics placed at fields, and the
// values of number fields as the compile reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "diagnostics/diagnostic.h"
#include "diagnostics/trace.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

// The paths the author gave for the two sources, shown instead of the
// names the compile uses internally.
struct SourcePaths {
    std::string internalLineName;
    std::string internalTrainName;
    std::string lineSource;
    std::string trainSource;
};

class TraceView {
public:
    TraceView(const SourceTrace& trace, const SourcePaths& paths) : trace_(trace), paths_(paths) {}

    const SourceTrace& trace() const { return trace_; }
    const SourcePaths& paths() const { return paths_; }
    const TracedSource* source(SourceRole role) const { return trace_.source(role); }
    const std::string& authorPath(SourceRole role) const;

    Diagnostic at(const TracedSource& source, std::size_t field, Severity severity, std::string message,
                  std::optional<std::int32_t> code = std::nullopt) const;
    Diagnostic atFile(SourceRole role, Severity severity, std::string message,
                      std::optional<std::int32_t> code = std::nullopt) const;

    // The number a field holds, if it holds one.
    static std::optional<double> number(const TracedSource& source, std::size_t field);
    // The whole number the compile reads from it: rounded, halves to even.
    static std::optional<std::int64_t> whole(const TracedSource& source, std::size_t field);
    // A row's i-th value field, if it was read.
    static std::optional<std::size_t> valueField(const TracedRow& row, std::size_t i);
    static std::optional<std::int64_t> wholeValue(const TracedSource& source, const TracedRow& row, std::size_t i);
    // 1-based line of a field.
    static int lineOf(const TracedSource& source, std::size_t field) { return source.fields[field].span.line; }

private:
    const SourceTrace& trace_;
    const SourcePaths& paths_;
};

// "12 m", "-1 ‰", "3": a value with its unit.
std::string withUnit(std::int64_t value, std::string_view unit);
// The keyword as written, for messages: "`pendenza`".
std::string keywordQuote(std::string_view keyword);
// "1st", "2nd", "3rd", "4th", ...
std::string ordinal(std::size_t n);

}  // namespace sb::diagnostics
