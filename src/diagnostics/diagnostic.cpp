#include "diagnostics/diagnostic.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <ostream>

#include "model/charset.h"
#include "diagnostics/display_text.h"

namespace sb::diagnostics {

namespace {

constexpr std::size_t quotedLimit = 40;
// Longer source lines are shown as a window around the field.
constexpr std::size_t shownLineLimit = 160;
constexpr std::size_t windowMargin = 60;

bool isControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

std::string escaped(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

// One byte of a source line as one character on a terminal, so that the
// caret line lines up with it.
std::string shownByte(unsigned char byte) {
    if (byte == '\t') return "\t";
    if (isControl(byte) || undefinedInWindows1252(byte)) return "?";
    return windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&byte), 1));
}

// The colours of compilers' diagnostics: bold, error red, warning magenta, note cyan.
std::string_view colourOf(Severity severity) {
    switch (severity) {
        case Severity::Warning: return "\033[1;35m";
        case Severity::Note: return "\033[1;36m";
        case Severity::Error: break;
    }
    return "\033[1;31m";
}
constexpr std::string_view bold = "\033[1m";
constexpr std::string_view plain = "\033[0m";
constexpr std::string_view caretColour = "\033[1;32m";

void writeLocation(std::ostream& out, const Diagnostic& d, bool colour) {
    if (!d.file.empty()) {
        if (colour) out << bold;
        out << pathText(d.file);
        if (d.line > 0) out << ':' << d.line << ':' << d.column;
        out << ": ";
        if (colour) out << plain;
    }
    if (colour) out << colourOf(d.severity);
    out << severityName(d.severity) << ':';
    if (colour) out << plain;
    out << ' ' << d.message << '\n';
}

void writeExcerpt(std::ostream& out, const Diagnostic& d, bool colour) {
    if (d.line <= 0) return;
    const std::string& text = d.sourceLine;
    const std::size_t caretStart = std::min(static_cast<std::size_t>(std::max(d.column, 1) - 1), text.size());
    std::size_t first = 0;
    std::size_t last = text.size();
    if (text.size() > shownLineLimit) {
        first = caretStart > windowMargin ? caretStart - windowMargin : 0;
        last = std::min(text.size(), caretStart + windowMargin);
    }
    std::string shown = first > 0 ? "..." : "";
    std::string pad = first > 0 ? "   " : "";
    for (std::size_t i = first; i < last; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        shown += shownByte(byte);
        if (i < caretStart) pad += byte == '\t' ? '\t' : ' ';
    }
    if (last < text.size()) shown += "...";
    const std::size_t under = std::clamp<std::size_t>(d.caretLength, 1, std::max<std::size_t>(last - caretStart, 1));
    out << std::setw(5) << d.line << " | " << shown << '\n';
    out << "      | " << pad << (colour ? caretColour : "") << '^' << std::string(under - 1, '~')
        << (colour ? plain : "") << '\n';
}

nlohmann::ordered_json oneJson(const Diagnostic& d, bool withNotes) {
    nlohmann::ordered_json j;
    j["severity"] = std::string(severityName(d.severity));
    j["file"] = d.file.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(pathText(d.file));
    j["line"] = d.line > 0 ? nlohmann::ordered_json(d.line) : nlohmann::ordered_json(nullptr);
    j["column"] = d.line > 0 ? nlohmann::ordered_json(d.column) : nlohmann::ordered_json(nullptr);
    j["endLine"] = d.line > 0 ? nlohmann::ordered_json(d.line) : nlohmann::ordered_json(nullptr);
    j["endColumn"] = d.line > 0 ? nlohmann::ordered_json(d.column + static_cast<int>(std::max<std::size_t>(d.caretLength, 1)))
                                : nlohmann::ordered_json(nullptr);
    j["code"] = d.code ? nlohmann::ordered_json(*d.code)
                : !d.id.empty() ? nlohmann::ordered_json(d.id)
                                : nlohmann::ordered_json(nullptr);
    j["message"] = d.message;
    if (withNotes) {
        nlohmann::ordered_json notes = nlohmann::ordered_json::array();
        for (const Diagnostic& note : d.notes) notes.push_back(oneJson(note, false));
        j["notes"] = std::move(notes);
    }
    return j;
}

}  // namespace

std::string_view severityName(Severity severity) {
    switch (severity) {
        case Severity::Warning: return "warning";
        case Severity::Note: return "note";
        case Severity::Error: break;
    }
    return "error";
}

void writeDiagnostic(std::ostream& out, const Diagnostic& diagnostic, bool colour) {
    writeLocation(out, diagnostic, colour);
    writeExcerpt(out, diagnostic, colour);
    for (const Diagnostic& note : diagnostic.notes) {
        writeLocation(out, note, colour);
        writeExcerpt(out, note, colour);
    }
}

void writeDiagnostics(std::ostream& out, const std::vector<Diagnostic>& diagnostics, bool colour) {
    for (const Diagnostic& diagnostic : diagnostics) writeDiagnostic(out, diagnostic, colour);
}

nlohmann::ordered_json diagnosticsJson(const std::vector<Diagnostic>& diagnostics) {
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    for (const Diagnostic& d : diagnostics) all.push_back(oneJson(d, true));
    return all;
}

std::string authorText(std::string_view bytes) {
    std::string out;
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!isControl(byte)) continue;
        out += windows1252ToUtf8(bytes.substr(plainFrom, i - plainFrom));
        out += escaped(byte);
        plainFrom = i + 1;
    }
    out += windows1252ToUtf8(bytes.substr(plainFrom));
    return out;
}

std::string quotedToken(std::string_view token) {
    // Built by appending: g++ 12 at -O3 warns wrongly about "..." + string.
    std::string quoted(1, '"');
    if (token.size() <= quotedLimit) return quoted.append(authorText(token)).append(1, '"');
    return quoted.append(authorText(token.substr(0, quotedLimit)))
        .append("\"... (")
        .append(std::to_string(token.size()))
        .append(" bytes)");
}

std::string pathText(std::string_view path) {
    const bool plain = std::none_of(path.begin(), path.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); });
    return plain && isValidUtf8(path) ? std::string(path) : authorText(path);
}

}  // namespace sb::diagnostics
