#include "editor/answers.h"

#include <algorithm>
#include <cctype>

#include "compiler/common/keywords.h"
#include "compiler/common/rows.h"
#include "diagnostics/row_rules.h"
#include "diagnostics/trace_view.h"
#include "model/charset.h"

namespace sb::editor {

namespace {

using nlohmann::json;
using namespace sb::compiler;
using diagnostics::SourceTrace;
using diagnostics::TracedSource;
using diagnostics::TraceView;

json positionJson(Position p) { return json{{"line", p.line}, {"character", p.character}}; }
json rangeJson(const EditorText& text, std::size_t from, std::size_t to) {
    return json{{"start", positionJson(text.positionOf(from))}, {"end", positionJson(text.positionOf(to))}};
}

std::string_view featureNoun(CellFeature feature) {
    switch (feature) {
        case CellFeature::Board: return "location board";
        case CellFeature::SpeedIndicator: return "speed indicator";
        case CellFeature::Signal: return "signal";
        case CellFeature::CodePoint: return "code point";
        case CellFeature::RestrictionWarning: return "restriction warning point";
        case CellFeature::RestrictionStart: return "restriction start";
        case CellFeature::RestrictionEnd: return "restriction end";
        case CellFeature::RestrictionMarker: return "restriction warning marker";
        case CellFeature::StationStop: return "station stop cell";
    }
    return "feature";
}

// The traced source of a pair member, with its index among the trace's.
struct Located {
    const TracedSource* source = nullptr;
    int index = -1;
};
Located locate(const PairAnalysis& pair, const std::string& path) {
    const std::optional<SourceRole> role = pair.roleOf(path);
    if (!role) return {};
    const SourceTrace& trace = *pair.compile->trace;
    const TracedSource* source = trace.source(*role);
    if (source == nullptr) return {};
    return {source, static_cast<int>(source - trace.sources().data())};
}

// The field whose bytes hold an offset (or end just before it).
std::optional<std::size_t> fieldAt(const TracedSource& source, std::size_t offset) {
    const auto after = std::upper_bound(source.fields.begin(), source.fields.end(), offset,
                                        [](std::size_t o, const auto& f) { return o < f.span.offset; });
    if (after == source.fields.begin()) return std::nullopt;
    const std::size_t field = static_cast<std::size_t>(after - source.fields.begin()) - 1;
    const auto& span = source.fields[field].span;
    if (offset > std::size_t{span.offset} + span.length) return std::nullopt;
    return field;
}

// The row a field belongs to, as its value or its keyword.
std::optional<std::size_t> rowOf(const TracedSource& source, std::size_t field) {
    if (const int row = source.fields[field].row; row >= 0) {
        if (static_cast<std::size_t>(row) < source.rows.size()) return static_cast<std::size_t>(row);
        return std::nullopt;
    }
    const auto it = std::lower_bound(source.rows.begin(), source.rows.end(), field,
                                     [](const auto& row, std::size_t f) { return row.keyword < f; });
    if (it != source.rows.end() && it->keyword == field) return static_cast<std::size_t>(it - source.rows.begin());
    return std::nullopt;
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return std::string(text);
}

// A board label or station name as compared: no parentheses or blanks
// around it, in capitals.
std::string nameKey(std::string_view text) {
    std::string key = trimmed(text);
    if (key.size() >= 2 && key.front() == '(' && key.back() == ')') key = trimmed(std::string_view(key).substr(1, key.size() - 2));
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

std::string valueText(const TracedSource& source, const diagnostics::TracedRow& row, std::size_t i) {
    const auto field = TraceView::valueField(row, i);
    return field ? trimmed(source.text(*field)) : std::string();
}

}  // namespace

json hoverAt(const PairAnalysis& pair, const std::string& path, Position position) {
    const Located at = locate(pair, path);
    const EditorText* text = pair.text(path);
    if (at.source == nullptr || text == nullptr) return nullptr;
    const TracedSource& source = *at.source;
    const std::optional<std::size_t> field = fieldAt(source, text->offsetAt(position));
    if (!field) return nullptr;
    const std::optional<std::size_t> rowIndex = rowOf(source, *field);
    if (!rowIndex) return nullptr;
    const diagnostics::TracedRow& row = source.rows[*rowIndex];
    const KeywordInfo& info = keywordInfo(row.kind);
    const auto rules = diagnostics::rowRules(row.kind);
    std::string markdown;
    const std::size_t index = row.values.indexOf(*field);
    if (index >= row.values.size() || index >= rules.size()) {
        markdown = "**" + std::string(info.noun) + "** row: `" + windows1252ToUtf8(source.keywordText(row)) + "`, then";
        for (std::size_t i = 0; i < rules.size(); ++i) markdown += (i == 0 ? " " : ", ") + std::string(rules[i].name);
    } else {
        const diagnostics::FieldRule& rule = rules[index];
        markdown = "**" + std::string(rule.name) + "**";
        if (!rule.unit.empty()) markdown += " (" + std::string(rule.unit) + ")";
        markdown += ": value " + std::to_string(index + 1) + " of the " + std::string(info.noun) + " row";
        if (rule.min || rule.max) {
            markdown += "; sensible from " + (rule.min ? std::to_string(*rule.min) : std::string("any")) + " to " +
                        (rule.max ? std::to_string(*rule.max) : std::string("any"));
        }
        markdown += "\n\nread: `" + windows1252ToUtf8(trimmed(source.text(*field))) + "`";
        if (!rule.text) {
            if (const auto whole = TraceView::whole(source, *field)) {
                const KeptValue kept = keptValue(rule.storage, *whole);
                markdown += ", kept as " + diagnostics::withUnit(kept.value, rule.unit);
            }
        }
    }
    const auto cells = pair.compile->trace->cellsOf(at.index, static_cast<int>(*rowIndex));
    if (!cells.empty()) {
        markdown += "\n\nlands in";
        for (std::size_t i = 0; i < cells.size() && i < 8; ++i) {
            markdown += (i == 0 ? " cell " : ", cell ") + std::to_string(cells[i].first) + " (" +
                        std::string(featureNoun(cells[i].second)) + ")";
        }
        if (cells.size() > 8) markdown += " and " + std::to_string(cells.size() - 8) + " more";
    }
    if (const auto* area = source.stationArea(static_cast<int>(*rowIndex))) {
        markdown += "\n\nstation area from " + std::to_string(area->start) + " m to " + std::to_string(area->end) + " m";
    }
    const auto& span = source.fields[*field].span;
    return json{{"contents", {{"kind", "markdown"}, {"value", markdown}}},
                {"range", rangeJson(*text, span.offset, std::size_t{span.offset} + span.length)}};
}

json completionAt(const PairAnalysis& pair, const std::string& path, const EditorText& text, Position position) {
    const std::optional<SourceRole> role = pair.roleOf(path);
    json items = json::array();
    if (!role) return items;
    const std::size_t offset = text.offsetAt(position);
    const std::string_view line = text.line(static_cast<std::size_t>(std::max(position.line, 0)));
    const std::size_t column = offset - text.lineStart(static_cast<std::size_t>(std::max(position.line, 0)));
    const std::string_view before = line.substr(0, std::min(column, line.size()));
    const std::size_t commas = static_cast<std::size_t>(std::count(before.begin(), before.end(), ','));
    if (commas == 0) {
        // Which section: the line file's header runs until its first
        // section after "[generale]".
        KeywordSection section = KeywordSection::Train;
        if (*role == SourceRole::Line) {
            section = KeywordSection::LineHeader;
            for (std::size_t l = 0; l < static_cast<std::size_t>(position.line); ++l) {
                const std::string key = nameKey(text.line(l));
                if (!key.empty() && key.front() == '[' && key != "[GENERALE]") section = KeywordSection::LineFeatures;
            }
        }
        for (const KeywordInfo& info : keywordCatalogue()) {
            if (info.section != section) continue;
            std::string snippet;
            int stop = 1;
            for (const RowField& field : rowFields(info.kind)) {
                snippet += ", ${" + std::to_string(stop++) + ":" + std::string(field.name) + "}";
            }
            for (const std::string_view form : info.writtenAs) {
                items.push_back(json{{"label", std::string(form)},
                                     {"kind", 14},
                                     {"detail", std::string(info.noun)},
                                     {"insertTextFormat", 2},
                                     {"insertText", std::string(form) + snippet}});
            }
        }
        return items;
    }
    // A board's label names a station of the train source.
    const std::string keyword = nameKey(line.substr(0, line.find(',')));
    if (*role != SourceRole::Line || commas < 2 || !keywordMatches(RowKind::board, keyword)) return items;
    const TracedSource* train = pair.trainPath.empty() ? nullptr : pair.compile->trace->source(SourceRole::Train);
    if (train == nullptr) return items;
    for (const auto& row : train->rows) {
        if (row.kind != RowKind::station) continue;
        const std::string name = valueText(*train, row, static_cast<std::size_t>(rows::StationField::name));
        if (name.empty()) continue;
        const std::string label = "(" + windows1252ToUtf8(nameKey(name)) + ")";
        items.push_back(json{{"label", label}, {"kind", 12}, {"detail", "station at " + valueText(*train, row, 0) + " m"}});
    }
    return items;
}

json documentSymbols(const PairAnalysis& pair, const std::string& path, const EditorText& text) {
    json sections = json::array();
    const auto closeSection = [&](std::size_t endOffset) {
        if (!sections.empty()) sections.back()["range"]["end"] = positionJson(text.positionOf(endOffset));
    };
    for (std::size_t l = 0; l < text.lineCount(); ++l) {
        const std::string name = trimmed(text.line(l));
        if (name.empty() || name.front() != '[') continue;
        const std::size_t start = text.lineStart(l);
        closeSection(start);
        const json range = rangeJson(text, start, start + text.line(l).size());
        sections.push_back(json{{"name", windows1252ToUtf8(name)}, {"kind", 3}, {"range", range},
                                {"selectionRange", range}, {"children", json::array()}});
    }
    closeSection(text.bytes().size());
    const Located at = locate(pair, path);
    if (at.source == nullptr) return sections;
    const TracedSource& source = *at.source;
    for (const auto& row : source.rows) {
        std::string name;
        int kind = 0;
        switch (row.kind) {
            case RowKind::station:
                name = "station " + valueText(source, row, static_cast<std::size_t>(rows::StationField::name));
                kind = 5;
                break;
            case RowKind::signal: name = "signal"; kind = 24; break;
            case RowKind::restriction: name = "restriction " + valueText(source, row, 1) + " km/h"; kind = 14; break;
            case RowKind::board: name = "board " + valueText(source, row, 1); kind = 15; break;
            default: continue;
        }
        const auto& keyword = source.fields[row.keyword].span;
        const std::size_t end = row.values.empty() ? std::size_t{keyword.offset} + keyword.length
                                                   : std::size_t{source.fields[row.values.back()].span.offset} +
                                                         source.fields[row.values.back()].span.length;
        json symbol{{"name", windows1252ToUtf8(name)},
                    {"detail", valueText(source, row, 0) + " m"},
                    {"kind", kind},
                    {"range", rangeJson(text, keyword.offset, end)},
                    {"selectionRange", rangeJson(text, keyword.offset, std::size_t{keyword.offset} + keyword.length)}};
        // Into the last section that starts before it.
        const int line = text.positionOf(keyword.offset).line;
        json* home = nullptr;
        for (json& section : sections) {
            if (section["range"]["start"]["line"].get<int>() <= line) home = &section;
        }
        if (home != nullptr) (*home)["children"].push_back(std::move(symbol));
        else sections.push_back(std::move(symbol));
    }
    return sections;
}

json definitionAt(const PairAnalysis& pair, const std::string& path, Position position, const Workspace& workspace) {
    json locations = json::array();
    const EditorText* text = pair.text(path);
    if (text == nullptr) return locations;
    const std::size_t offset = text->offsetAt(position);
    // A board's label: the station of that name.
    const Located at = locate(pair, path);
    const TracedSource* train = pair.trainPath.empty() ? nullptr : pair.compile->trace->source(SourceRole::Train);
    const EditorText* trainText = pair.text(pair.trainPath);
    if (at.source != nullptr && train != nullptr && trainText != nullptr) {
        if (const auto field = fieldAt(*at.source, offset)) {
            const auto rowIndex = rowOf(*at.source, *field);
            if (rowIndex && at.source->rows[*rowIndex].kind == RowKind::board) {
                const std::string label = nameKey(valueText(*at.source, at.source->rows[*rowIndex], 1));
                for (const auto& row : train->rows) {
                    const auto name = TraceView::valueField(row, static_cast<std::size_t>(rows::StationField::name));
                    if (row.kind != RowKind::station || !name || nameKey(train->text(*name)) != label) continue;
                    const auto& span = train->fields[*name].span;
                    locations.push_back(json{{"uri", workspace.uriOf(pair.trainPath)},
                                             {"range", rangeJson(*trainText, span.offset, std::size_t{span.offset} + span.length)}});
                }
                if (!locations.empty()) return locations;
            }
        }
    }
    // A diagnostic's place: where its notes point.
    const Position here = text->positionOf(offset);
    for (const diagnostics::Diagnostic& d : pair.compile->result.diagnostics) {
        if (d.file != path || d.line != here.line + 1) continue;
        for (const diagnostics::Diagnostic& note : d.notes) {
            const EditorText* noteText = pair.text(note.file);
            if (noteText == nullptr || note.line <= 0) continue;
            const Position start = noteText->positionOf(note.line, note.column);
            const Position end = noteText->positionOf(note.line, note.column + static_cast<int>(std::max<std::size_t>(note.caretLength, 1)));
            locations.push_back(json{{"uri", workspace.uriOf(note.file)},
                                     {"range", {{"start", positionJson(start)}, {"end", positionJson(end)}}}});
        }
    }
    return locations;
}

}  // namespace sb::editor
