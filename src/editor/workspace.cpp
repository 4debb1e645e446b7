#include "editor/workspace.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "files/file_store.h"
#include "files/folder_listing.h"
#include "model/route_model.h"

namespace sb::editor {

namespace {

using nlohmann::json;
using diagnostics::Diagnostic;
using diagnostics::Severity;

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The name without a suffix compared in any letter case; nothing when it
// does not end so or nothing is left.
std::optional<std::string> stemOf(const std::string& name, std::string_view suffix) {
    if (name.size() <= suffix.size() || !sameLetters(std::string_view(name).substr(name.size() - suffix.size()), suffix))
        return std::nullopt;
    return name.substr(0, name.size() - suffix.size());
}

// "NAME_linea.txt" gives a line source of NAME; "NAME_NUMBER-.txt" a train
// source of NAME.
struct NamedRole {
    SourceRole role;
    std::string name;
};
std::optional<NamedRole> roleByName(const std::string& fileName) {
    if (auto stem = stemOf(fileName, "_linea.txt")) return NamedRole{SourceRole::Line, *stem};
    if (auto stem = stemOf(fileName, "-.txt")) {
        const std::size_t underscore = stem->find_last_of('_');
        if (underscore != std::string::npos && underscore > 0 && underscore + 1 < stem->size())
            return NamedRole{SourceRole::Train, stem->substr(0, underscore)};
    }
    return std::nullopt;
}

// A file named neither way: a train source holds train rows, a line
// source the route length.
SourceRole roleByContent(const std::string& bytes) {
    std::string lower(bytes.substr(0, std::min<std::size_t>(bytes.size(), 1 << 16)));
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find("lunghezza") != std::string::npos) return SourceRole::Line;
    for (const char* train : {"stazione", "segnale", "velocita"}) {
        if (lower.find(train) != std::string::npos) return SourceRole::Train;
    }
    return SourceRole::Line;
}

// Sources that compile clean and stand for a missing partner: the longest
// line with nothing on it, and a train with nothing in it.
std::string standInLine() {
    return "[generale]\r\nlunghezza percorso, " + std::to_string(maxRouteLength) + "\r\n[fine]\r\n";
}
const char* const standInTrain = "[generale]\r\n[fine]\r\n";
// A path no author file has, so its diagnostics go nowhere.
const char* const standInPath = "\x01stand-in";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

json positionJson(Position p) { return json{{"line", p.line}, {"character", p.character}}; }

}  // namespace

std::string pathOfUri(const std::string& uri) {
    std::string_view rest(uri);
    if (rest.substr(0, 7) == "file://") rest.remove_prefix(7);
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 && hexValue(rest[i + 2]) >= 0) {
            path.push_back(static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2])));
            i += 2;
        } else {
            path.push_back(rest[i]);
        }
    }
    return path;
}

std::string uriOfPath(const std::string& path) {
    std::string uri = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::string_view("/-._~").find(c) != std::string_view::npos) {
            uri.push_back(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            uri += escaped;
        }
    }
    return uri;
}

const EditorText* PairAnalysis::text(const std::string& path) const {
    const auto it = texts.find(path);
    return it == texts.end() ? nullptr : &it->second;
}

std::optional<SourceRole> PairAnalysis::roleOf(const std::string& path) const {
    if (!linePath.empty() && path == linePath) return SourceRole::Line;
    if (!trainPath.empty() && path == trainPath) return SourceRole::Train;
    return std::nullopt;
}

// A document larger than a source may be is measured, not kept: each
// character is one byte for the compile and starts with a byte of UTF-8
// that is no continuation byte, so counting those bounds it from below.
void Workspace::setText(Document& document, const std::string& utf8) {
    const auto starts = static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
    document.text = starts > diagnostics::sourceSizeCap ? EditorText() : EditorText::fromUtf8(utf8);
    const bool tooLarge = starts > diagnostics::sourceSizeCap || document.text.bytes().size() > diagnostics::sourceSizeCap;
    document.oversize = tooLarge ? utf8.size() : 0;
    if (tooLarge) document.text = EditorText();
}

void Workspace::open(const std::string& uri, const std::string& utf8, int version) {
    Document& document = documents_[uri];
    document.path = pathOfUri(uri);
    setText(document, utf8);
    document.version = version;
    document.touched = ++clock_;
    cleared_.erase(document.path);
    analyses_.clear();
    // The new document may be another's partner: every open pair is due.
    for (const auto& [other, _] : documents_) dirty_.insert(other);
}

void Workspace::change(const std::string& uri, const std::string& utf8, int version) {
    if (!isOpen(uri)) return open(uri, utf8, version);
    Document& document = documents_[uri];
    setText(document, utf8);
    document.version = version;
    document.touched = ++clock_;
    analyses_.clear();
    const std::string folder = files::folderOf(document.path);
    for (const auto& [other, doc] : documents_) {
        if (files::folderOf(doc.path) == folder) dirty_.insert(other);
    }
}

void Workspace::close(const std::string& uri) {
    const auto it = documents_.find(uri);
    if (it == documents_.end()) return;
    const std::string folder = files::folderOf(it->second.path);
    cleared_.insert(it->second.path);
    documents_.erase(it);
    dirty_.erase(uri);
    analyses_.clear();
    for (const auto& [other, doc] : documents_) {
        if (files::folderOf(doc.path) == folder) dirty_.insert(other);
    }
}

const Workspace::Document* Workspace::openAt(const std::string& path) const {
    for (const auto& [uri, document] : documents_) {
        if (document.path == path) return &document;
    }
    return nullptr;
}

std::string Workspace::uriOf(const std::string& path) const {
    for (const auto& [uri, document] : documents_) {
        if (document.path == path) return uri;
    }
    return uriOfPath(path);
}

const EditorText* Workspace::text(const std::string& uri) const {
    const auto it = documents_.find(uri);
    return it == documents_.end() ? nullptr : &it->second.text;
}

Workspace::PairPlan Workspace::planFor(const Document& document) const {
    const std::string folder = files::folderOf(document.path);
    const std::string fileName = files::nameOf(document.path);
    const std::optional<NamedRole> named = roleByName(fileName);
    PairPlan plan;
    plan.role = named ? named->role : roleByContent(document.text.bytes());
    (plan.role == SourceRole::Line ? plan.linePath : plan.trainPath) = document.path;
    if (!named) {
        plan.lookedFor = "none: \"" + fileName + "\" is named neither NAME_linea.txt nor NAME_NUMBER-.txt";
        return plan;
    }
    // Is a file of the folder the partner? Open documents first, the
    // latest touched first; then the folder's files in name order.
    const auto partner = [&](const std::string& candidate) {
        const std::optional<NamedRole> other = roleByName(candidate);
        if (!other || other->role == named->role) return false;
        return plan.role == SourceRole::Line ? other->name == named->name : sameLetters(other->name, named->name);
    };
    const Document* chosen = nullptr;
    for (const auto& [uri, other] : documents_) {
        if (files::folderOf(other.path) == folder && partner(files::nameOf(other.path)) &&
            (chosen == nullptr || other.touched > chosen->touched))
            chosen = &other;
    }
    std::string partnerPath = chosen != nullptr ? chosen->path : std::string();
    // Only a document of a file (an absolute path) has a folder on disk.
    if (partnerPath.empty() && !document.path.empty() && document.path.front() == '/') {
        try {
            for (const std::string& name : files::fileNamesIn(folder.empty() ? "/" : folder)) {
                if (partner(name)) {
                    partnerPath = files::joinPath(folder, name);
                    break;
                }
            }
        } catch (const files::FileError&) {
            // An unreadable folder holds no partner we can use.
        }
    }
    (plan.role == SourceRole::Line ? plan.trainPath : plan.linePath) = partnerPath;
    if (partnerPath.empty()) {
        plan.lookedFor = plan.role == SourceRole::Line ? named->name + "_NUMBER-.txt" : named->name + "_linea.txt";
    }
    return plan;
}

std::unique_ptr<PairAnalysis> Workspace::compilePair(const PairPlan& plan) const {
    auto pair = std::make_unique<PairAnalysis>();
    pair->linePath = plan.linePath;
    pair->trainPath = plan.trainPath;
    pair->lookedFor = plan.lookedFor;
    const auto bytesOf = [&](const std::string& path, SourceRole role) -> std::string {
        if (path.empty()) return role == SourceRole::Line ? standInLine() : standInTrain;
        if (const Document* document = openAt(path)) {
            pair->texts[path] = document->text;
            return document->text.bytes();
        }
        std::string bytes = files::readRegularFile(path, diagnostics::sourceSizeCap);
        pair->texts[path] = EditorText::fromWindows1252(bytes);
        return bytes;
    };
    std::string lineBytes;
    std::string trainBytes;
    try {
        lineBytes = bytesOf(plan.linePath, SourceRole::Line);
    } catch (const files::FileError& failure) {
        pair->lookedFor = files::nameOf(plan.linePath) + " (" + failure.what() + ")";
        pair->linePath.clear();
        lineBytes = standInLine();
    }
    try {
        trainBytes = bytesOf(plan.trainPath, SourceRole::Train);
    } catch (const files::FileError& failure) {
        pair->lookedFor = files::nameOf(plan.trainPath) + " (" + failure.what() + ")";
        pair->trainPath.clear();
        trainBytes = standInTrain;
    }
    const std::string linePath = pair->linePath.empty() ? standInPath : pair->linePath;
    const std::string trainPath = pair->trainPath.empty() ? standInPath : pair->trainPath;
    const diagnostics::ScenarioNames names =
        diagnostics::scenarioNames(pair->linePath, pair->trainPath, std::nullopt, std::nullopt);
    pair->compile = diagnostics::compileSourceBytes(std::move(lineBytes), std::move(trainBytes), linePath, trainPath,
                                                    names, !pair->linePath.empty());
    return pair;
}

const PairAnalysis* Workspace::analysis(const std::string& uri) {
    const auto document = documents_.find(uri);
    if (document == documents_.end() || document->second.oversize != 0) return nullptr;
    auto& slot = analyses_[uri];
    if (!slot) slot = compilePair(planFor(document->second));
    return slot.get();
}

json Workspace::diagnosticsFor(const PairAnalysis& pair, const std::string& path) const {
    const EditorText* text = pair.text(path);
    const bool standIn = pair.linePath.empty() || pair.trainPath.empty();
    const auto range = [&](const Diagnostic& d, const EditorText* in) {
        if (d.line <= 0 || in == nullptr) return json{{"start", positionJson({})}, {"end", positionJson({})}};
        const int end = d.column + static_cast<int>(std::max<std::size_t>(d.caretLength, 1));
        return json{{"start", positionJson(in->positionOf(d.line, d.column))},
                    {"end", positionJson(in->positionOf(d.line, end))}};
    };
    // Diagnostics naming no file belong to the line source.
    const std::string& fileless = pair.linePath.empty() ? pair.trainPath : pair.linePath;
    json list = json::array();
    for (const Diagnostic& d : pair.compile->result.diagnostics) {
        const std::string& file = d.file.empty() ? fileless : d.file;
        if (file != path || (d.file.empty() && standIn)) continue;
        json item{{"range", range(d, text)},
                  {"severity", d.severity == Severity::Error ? 1 : d.severity == Severity::Warning ? 2 : 3},
                  {"source", "scenario-tool"},
                  {"message", d.message}};
        if (d.code) item["code"] = *d.code;
        else if (!d.id.empty()) item["code"] = d.id;
        json related = json::array();
        for (const Diagnostic& note : d.notes) {
            const std::string& notePath = note.file.empty() ? file : note.file;
            if (!pair.roleOf(notePath)) continue;
            related.push_back(json{{"location", {{"uri", uriOf(notePath)}, {"range", range(note, pair.text(notePath))}}},
                                   {"message", note.message}});
        }
        if (!related.empty()) item["relatedInformation"] = std::move(related);
        list.push_back(std::move(item));
    }
    if (!pair.lookedFor.empty()) {
        list.push_back(json{{"range", {{"start", positionJson({})}, {"end", positionJson({})}}},
                            {"severity", 3},
                            {"source", "scenario-tool"},
                            {"code", "no-partner"},
                            {"message", "no partner source found (looked for " + pair.lookedFor +
                                            "): only what this file holds is checked"}});
    }
    return list;
}

std::vector<json> Workspace::takePublications() {
    std::vector<json> out;
    std::set<std::string> published;
    const auto publish = [&](const std::string& path, json diagnostics) {
        if (path.empty() || !published.insert(path).second) return;
        json params{{"uri", uriOf(path)}, {"diagnostics", std::move(diagnostics)}};
        if (const Document* document = openAt(path)) params["version"] = document->version;
        out.push_back(std::move(params));
    };
    // The latest touched first, so a line source shared by two trains
    // shows the pair being edited.
    std::vector<std::string> due(dirty_.begin(), dirty_.end());
    std::sort(due.begin(), due.end(), [&](const std::string& a, const std::string& b) {
        return documents_.at(a).touched > documents_.at(b).touched;
    });
    dirty_.clear();
    for (const std::string& uri : due) {
        const Document& document = documents_.at(uri);
        if (document.oversize != 0) {
            publish(document.path,
                    json::array({json{{"range", {{"start", positionJson({})}, {"end", positionJson({})}}},
                                      {"severity", 1},
                                      {"source", "scenario-tool"},
                                      {"message", "the document holds " + std::to_string(document.oversize) +
                                                      " bytes: a source may hold at most " +
                                                      std::to_string(diagnostics::sourceSizeCap >> 20) +
                                                      " MiB, so it is not checked"}}}));
            continue;
        }
        const PairAnalysis* pair = analysis(uri);
        publish(document.path, diagnosticsFor(*pair, document.path));
        for (const std::string& member : {pair->linePath, pair->trainPath}) {
            if (member != document.path) publish(member, diagnosticsFor(*pair, member));
        }
    }
    for (const std::string& path : cleared_) {
        if (openAt(path) == nullptr) publish(path, json::array());
    }
    cleared_.clear();
    return out;
}

}  // namespace sb::editor
