#include "diagnostics/trace_view.h"

#include <cmath>

#include "compiler/common/field_reader.h"
#include "model/conversions.h"
#include "diagnostics/row_rules.h"

namespace sb::diagnostics {

const std::string& TraceView::authorPath(SourceRole role) const {
    return role == SourceRole::Line ? paths_.lineSource : paths_.trainSource;
}

Diagnostic TraceView::at(const TracedSource& source, std::size_t field, Severity severity, std::string message,
                         std::optional<std::int32_t> code) const {
    Diagnostic d;
    d.severity = severity;
    d.file = authorPath(source.role);
    const TracedSpan& span = source.fields[field].span;
    d.line = span.line;
    d.column = span.column;
    d.sourceLine = std::string(source.lineAt(span.offset));
    std::string_view text = source.text(field);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    d.caretLength = text.size();
    d.code = code;
    d.message = std::move(message);
    // A row that starts with a position places the diagnostic on the line.
    const auto row = source.fields[field].row;
    if (row >= 0 && static_cast<std::size_t>(row) < source.rows.size()) {
        const TracedRow& traced = source.rows[static_cast<std::size_t>(row)];
        const auto rules = rowRules(traced.kind);
        if (!rules.empty() && rules.front().position) d.metre = wholeValue(source, traced, 0);
    }
    return d;
}

Diagnostic TraceView::atFile(SourceRole role, Severity severity, std::string message,
                             std::optional<std::int32_t> code) const {
    Diagnostic d;
    d.severity = severity;
    d.file = authorPath(role);
    d.code = code;
    d.message = std::move(message);
    return d;
}

std::optional<double> TraceView::number(const TracedSource& source, std::size_t field) {
    double value = 0.0;
    if (!parseDecimal(source.text(field), value)) return std::nullopt;
    return value;
}

std::optional<std::int64_t> TraceView::whole(const TracedSource& source, std::size_t field) {
    const std::optional<double> value = number(source, field);
    if (!value) return std::nullopt;
    const double rounded = roundHalfEven(*value);
    // Only values that fit a 32-bit field get this far in a compile.
    if (!std::isfinite(rounded) || std::fabs(rounded) > 9.0e15) return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

std::optional<std::size_t> TraceView::valueField(const TracedRow& row, std::size_t i) {
    if (i >= row.values.size()) return std::nullopt;
    return row.values[i];
}

std::optional<std::int64_t> TraceView::wholeValue(const TracedSource& source, const TracedRow& row, std::size_t i) {
    const std::optional<std::size_t> field = valueField(row, i);
    if (!field) return std::nullopt;
    return whole(source, *field);
}

std::string withUnit(std::int64_t value, std::string_view unit) {
    std::string text = std::to_string(value);
    if (!unit.empty()) {
        text += ' ';
        text += unit;
    }
    return text;
}

std::string keywordQuote(std::string_view keyword) { return std::string(1, '`').append(keyword).append(1, '`'); }

std::string ordinal(std::size_t n) {
    const std::size_t lastTwo = n % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        if (n % 10 == 1) suffix = "st";
        if (n % 10 == 2) suffix = "nd";
        if (n % 10 == 3) suffix = "rd";
    }
    return std::to_string(n) + suffix;
}

}  // namespace sb::diagnostics
