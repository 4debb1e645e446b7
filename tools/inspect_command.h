// The inspect subcommand: a compiled file decoded as a listing, as JSON, or
// as an annotated byte dump.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "format/dump.h"

namespace sb::tool {

enum class CompiledKind { Cells, ScenarioTable, LineProfile };

// The kind follows from the name: "_linea.dat" line profile, ".sim"
// scenario table, any other ".dat" cell file.
std::optional<CompiledKind> kindFromName(const std::string& path);

struct InspectOptions {
    std::string path;
    bool json = false;
    bool bytes = false;  // the annotated byte dump
    bool raw = false;    // the stored fields instead of the author's units
    format::RecordRange range;
};

// Parses "FIRST:LAST" (record numbers, inclusive); nothing when malformed.
std::optional<format::RecordRange> parseRange(const std::string& text);

// Returns the exit status.
int runInspect(const InspectOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb::tool
