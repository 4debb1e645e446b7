#include "tools/inspect_command.h"

#include <algorithm>
#include <charconv>
#include <ostream>

#include "files/file_store.h"
#include "format/compiled_files.h"
#include "format/layouts.h"
#include "format/listing.h"
#include "route/author_listing.h"
#include "tools/command_support.h"
#include "tools/exit_status.h"

namespace sb::tool {

namespace {

// Extensions and suffixes match in any letter case.
bool endsWith(const std::string& text, std::string_view tail) {
    if (text.size() < tail.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(tail.begin(), tail.end(), text.end() - static_cast<std::ptrdiff_t>(tail.size()),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

std::optional<std::size_t> parseIndex(std::string_view text) {
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The default listing and the JSON speak the author's units; --raw lists
// the stored fields as they are.
void show(CompiledKind kind, const std::string& bytes, const InspectOptions& options, std::ostream& out) {
    switch (kind) {
        case CompiledKind::Cells:
            if (options.bytes) return format::dumpCellFile(out, bytes, options.range);
            if (options.json) return route::writeCellsJsonForAuthors(out, format::decodeCells(bytes));
            if (options.raw) return format::listCells(out, format::decodeCells(bytes));
            return route::listCellsForAuthors(out, format::decodeCells(bytes));
        case CompiledKind::ScenarioTable:
            if (options.bytes) return format::dumpScenarioTableFile(out, bytes, options.range);
            if (options.json) return route::writeTableJsonForAuthors(out, format::decodeScenarioTable(bytes));
            if (options.raw) return format::listScenarioTable(out, format::decodeScenarioTable(bytes));
            return route::listTableForAuthors(out, format::decodeScenarioTable(bytes));
        case CompiledKind::LineProfile:
            if (options.bytes) return format::dumpLineProfileFile(out, bytes, options.range);
            if (options.json) return route::writeProfileJsonForAuthors(out, bytes);
            if (options.raw) return format::listLineProfile(out, bytes);
            return route::listProfileForAuthors(out, bytes);
    }
}

std::uint64_t maxBytes(CompiledKind kind) {
    switch (kind) {
        case CompiledKind::Cells: return format::maxCellFileBytes;
        case CompiledKind::ScenarioTable: return format::maxScenarioTableFileBytes;
        case CompiledKind::LineProfile: return format::maxLineProfileFileBytes;
    }
    return 0;
}

}  // namespace

std::optional<CompiledKind> kindFromName(const std::string& path) {
    if (endsWith(path, "_linea.dat")) return CompiledKind::LineProfile;
    if (endsWith(path, ".sim")) return CompiledKind::ScenarioTable;
    if (endsWith(path, ".dat")) return CompiledKind::Cells;
    return std::nullopt;
}

std::optional<format::RecordRange> parseRange(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto first = parseIndex(std::string_view(text).substr(0, colon));
    const auto last = parseIndex(std::string_view(text).substr(colon + 1));
    if (!first || !last || *first > *last) return std::nullopt;
    return format::RecordRange{*first, *last};
}

int runInspect(const InspectOptions& options, std::ostream& out, std::ostream& err) {
    const auto kind = kindFromName(options.path);
    if (!kind) {
        err << "scenario-tool: cannot tell the kind of \"" << options.path
            << "\" from its name (expected \"_linea.dat\", \".sim\" or \".dat\")\n";
        return exitUsage;
    }
    try {
        const std::string bytes = files::readRegularFile(options.path, maxBytes(*kind));
        // Nothing the simulator can load: a compile that stopped before it sized the cells writes it so.
        if (bytes.empty()) {
            err << "scenario-tool: \"" << options.path << "\" is empty: it holds no record, so it is not a compiled file "
                << "the simulator can load\n";
            return exitUsage;
        }
        show(*kind, bytes, options, out);
    } catch (const format::DecodeError& failure) {
        out.flush();
        err << "scenario-tool: \"" << options.path << "\" does not fit its layout: " << failure.what() << '\n';
        return exitUsage;
    } catch (const std::exception& failure) {
        return failed(err, failure, "reading \"" + options.path + "\"");
    }
    return exitOk;
}

}  // namespace sb::tool
