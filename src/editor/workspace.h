// The documents open in the editor, the pairs they form with their
// partners (open, or read from disk) and the compile of each pair, made
// when a member changed and kept until the next change.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/common/read_listener.h"
#include "diagnostics/source_compile.h"
#include "editor/editor_text.h"

namespace sb::editor {

using compiler::SourceRole;

// A file:// URI and the path it names.
std::string pathOfUri(const std::string& uri);
std::string uriOfPath(const std::string& path);

// The compile of a pair and the texts its positions are counted in.
struct PairAnalysis {
    std::string linePath;   // empty for a stand-in of a missing partner
    std::string trainPath;
    std::string lookedFor;  // the partner's name looked for, when missing
    std::unique_ptr<diagnostics::TracedCompile> compile;
    std::map<std::string, EditorText> texts;  // by path, for the real members

    const EditorText* text(const std::string& path) const;
    // The member a path is, if it is one.
    std::optional<SourceRole> roleOf(const std::string& path) const;
};

class Workspace {
public:
    // The editor's documents; a document larger than a source may be is
    // kept but not compiled (its diagnostics say why).
    void open(const std::string& uri, const std::string& utf8, int version);
    void change(const std::string& uri, const std::string& utf8, int version);
    void close(const std::string& uri);
    bool isOpen(const std::string& uri) const { return documents_.count(uri) != 0; }

    // The parameters of every publishDiagnostics due since the last call:
    // both members of each pair whose member changed, opened or closed.
    std::vector<nlohmann::json> takePublications();

    // The pair an open document belongs to, compiled if needed; nullptr
    // for a document that is not open or too large to compile.
    const PairAnalysis* analysis(const std::string& uri);
    const EditorText* text(const std::string& uri) const;
    // The URI a path is published under: the editor's own when open.
    std::string uriOf(const std::string& path) const;

private:
    struct Document {
        std::string path;
        EditorText text;
        std::size_t oversize = 0;  // the bytes of a document too large to compile (its text is not kept)
        int version = 0;
        std::size_t touched = 0;  // when last opened or changed: the latest pairs first
    };
    struct PairPlan {
        std::string linePath;
        std::string trainPath;
        std::string lookedFor;
        SourceRole role = SourceRole::Line;  // of the document planned for
    };
    static void setText(Document& document, const std::string& utf8);
    PairPlan planFor(const Document& document) const;
    std::unique_ptr<PairAnalysis> compilePair(const PairPlan& plan) const;
    const Document* openAt(const std::string& path) const;
    nlohmann::json diagnosticsFor(const PairAnalysis& pair, const std::string& path) const;

    std::map<std::string, Document> documents_;  // by URI
    std::size_t clock_ = 0;
    std::set<std::string> dirty_;                // URIs whose pair must be published again
    std::set<std::string> cleared_;              // paths no longer published for
    std::map<std::string, std::unique_ptr<PairAnalysis>> analyses_;  // by URI of the open document
};

}  // namespace sb::editor
