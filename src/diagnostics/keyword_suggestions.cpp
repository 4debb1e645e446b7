#include "diagnostics/keyword_suggestions.h"

#include <algorithm>
#include <string>

#include "compiler/common/text_match.h"

namespace sb::diagnostics {

namespace {

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// More edits are allowed for longer keywords, never more than three.
std::size_t allowedEdits(std::string_view form) { return std::clamp<std::size_t>(form.size() / 4, 1, 3); }

}  // namespace

std::size_t editDistance(std::string_view a, std::string_view b) {
    // Optimal string alignment over three rows of the table.
    std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                row[j] = std::min(row[j], before[j - 2] + 1);
            }
        }
        before.swap(previous);
        previous.swap(row);
    }
    return previous[b.size()];
}

std::vector<RowKind> matchingKinds(std::string_view field) {
    std::vector<RowKind> kinds;
    for (const KeywordInfo& info : keywordCatalogue()) {
        if (keywordMatches(info.kind, field)) kinds.push_back(info.kind);
    }
    return kinds;
}

std::optional<KeywordSuggestion> suggestKeyword(std::string_view field, std::optional<KeywordSection> section) {
    const std::string text = folded(trimmed(field));
    if (text.empty()) return std::nullopt;
    // A keyword whose letter case is exact, written in other letter case.
    for (const KeywordInfo& info : keywordCatalogue()) {
        if (info.ignoreCase || (section && info.section != *section)) continue;
        if (!keywordMatches(info.kind, field) && containsNoCase(text, info.first) && containsNoCase(text, info.second)) {
            return KeywordSuggestion{{info.writtenAs.front()}, info.kind, true};
        }
    }
    KeywordSuggestion best;
    std::size_t bestDistance = 0;
    for (const KeywordInfo& info : keywordCatalogue()) {
        if (section && info.section != *section) continue;
        for (const std::string_view form : info.writtenAs) {
            const std::size_t gap = text.size() > form.size() ? text.size() - form.size() : form.size() - text.size();
            if (gap > allowedEdits(form)) continue;
            const std::size_t distance = editDistance(text, form);
            if (distance == 0 || distance > allowedEdits(form)) continue;
            if (best.forms.empty() || distance < bestDistance) {
                best = KeywordSuggestion{{form}, info.kind, false};
                bestDistance = distance;
            } else if (distance == bestDistance && best.forms.size() < 3) {
                best.forms.push_back(form);
            }
        }
    }
    if (best.forms.empty()) return std::nullopt;
    return best;
}

std::string_view sectionName(KeywordSection section) {
    switch (section) {
        case KeywordSection::LineHeader: return "the line source's header";
        case KeywordSection::LineFeatures: return "the line source's feature section";
        case KeywordSection::Train: break;
    }
    return "the train source";
}

}  // namespace sb::diagnostics
