#include "diagnostics/trace.h"

#include <algorithm>
#include <utility>

namespace sb::diagnostics {

namespace {

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::string_view TracedSource::keywordText(const TracedRow& row) const {
    std::string_view field = text(row.keyword);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
    return field;
}

std::string_view TracedSource::lineAt(std::size_t offset) const {
    const std::string_view all(data);
    if (offset > all.size()) offset = all.size();
    std::size_t first = offset;
    while (first > 0 && !isLineEnd(all[first - 1])) --first;
    std::size_t last = offset;
    while (last < all.size() && !isLineEnd(all[last])) ++last;
    return all.substr(first, last - first);
}

void SourceTrace::sourceStarted(SourceRole role, const std::string& name, std::string_view data) {
    TracedSource source(&memory_);
    source.role = role;
    source.name = name;
    const std::string* keptBytes = nullptr;
    if (kept_ != nullptr) {
        const auto it = kept_->find(name);
        if (it != kept_->end() && it->second == data) keptBytes = &it->second;
    }
    source.data = keptBytes != nullptr ? std::string_view(*keptBytes) : std::string_view(copies_.emplace_back(data));
    // Room for the rows and the fields at once, the fields last: a field
    // and the separator after it take two bytes at the least, so a real
    // source never outgrows this and nothing is moved as it grows, while the
    // room the fields do not use is never touched.
    source.rows.reserve(static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n')) + 1);
    source.fields.reserve(data.size() / 2 + 1);
    sources_.push_back(std::move(source));
    section_ = TraceSection::Preamble;
    currentRow_ = -1;
    readFailure_.reset();
}

void SourceTrace::fieldRead(FieldKind kind, const FieldSpan& span, NumberWidth width) {
    TracedSource* source = current();
    if (source == nullptr) return;
    TracedField field;
    field.kind = kind;
    field.width = width;
    field.span = TracedSpan(span);
    field.section = section_;
    if (kind == FieldKind::Keyword) {
        currentRow_ = -1;
    } else if (currentRow_ >= 0) {
        field.row = currentRow_;
        source->rows[static_cast<std::size_t>(currentRow_)].values.push_back(source->fields.size());
    }
    source->fields.push_back(field);
}

namespace {

// The keyword field read last, if any.
TracedField* lastKeyword(TracedSource* source, std::size_t* index = nullptr) {
    if (source == nullptr) return nullptr;
    for (std::size_t i = source->fields.size(); i > 0; --i) {
        if (source->fields[i - 1].kind == FieldKind::Keyword) {
            if (index != nullptr) *index = i - 1;
            return &source->fields[i - 1];
        }
    }
    return nullptr;
}

}  // namespace

void SourceTrace::keywordOutcome(KeywordOutcome outcome) {
    if (TracedField* field = lastKeyword(current())) field->outcome = outcome;
}

void SourceTrace::dataStarts() {
    TracedSource* source = current();
    if (source == nullptr) return;
    source->dataStarted = true;
    section_ = source->role == SourceRole::Line ? TraceSection::LineHeader : TraceSection::Train;
}

void SourceTrace::headerEnds() {
    if (TracedField* field = lastKeyword(current())) field->endsHeader = true;
    section_ = TraceSection::LineFeatures;
}

void SourceTrace::rowStarts(RowKind kind) {
    TracedSource* source = current();
    std::size_t keyword = 0;
    if (lastKeyword(source, &keyword) == nullptr) return;
    source->rows.push_back(TracedRow{kind, keyword, {}});
    currentRow_ = static_cast<int>(source->rows.size()) - 1;
}

void SourceTrace::readFailed(ReadFailureKind kind) { readFailure_ = kind; }

void SourceTrace::errorRecorded(std::int32_t code, std::optional<std::int32_t> position) {
    TracedSource* source = current();
    const auto taken = std::exchange(pendingTaken_, std::nullopt);
    if (source == nullptr) return;
    // The kilometre-post check records its code once per wrong set.
    if (!source->errors.empty() && source->errors.back().code == code && source->errors.back().row == currentRow_ &&
        source->errors.back().position == position) {
        return;
    }
    TracedError error = taken.value_or(TracedError{});
    error.code = code;
    error.position = position;
    error.row = currentRow_;
    source->errors.push_back(std::move(error));
}

void SourceTrace::errorCarriedOver() {
    if (TracedSource* source = current(); source != nullptr && !source->errors.empty()) {
        source->errors.back().carriedOver = true;
    }
}

CellClaim SourceTrace::here(CellFeature feature) const {
    return CellClaim{static_cast<int>(sources_.size()) - 1, currentRow_, feature, 0};
}

void SourceTrace::cellClaimed(std::int64_t cell, CellFeature feature) { claims_[cell] = here(feature); }

void SourceTrace::cellTaken(std::int64_t cell, CellFeature) {
    TracedError taken;
    taken.takenCell = cell;
    if (const CellClaim* occupant = claim(cell)) taken.occupant = *occupant;
    pendingTaken_ = std::move(taken);
}

void SourceTrace::featureReplaced(std::int64_t cell, CellFeature by) {
    if (const CellClaim* lost = claim(cell)) losses_.push_back(TracedLoss{cell, *lost, here(by)});
}

void SourceTrace::stationArea(std::int32_t start, std::int32_t end) {
    if (TracedSource* source = current()) source->stationAreas.push_back(TracedStationArea{currentRow_, start, end});
}

void SourceTrace::codePointAdded(std::int64_t cell, std::int64_t forCell) {
    claims_[cell] = CellClaim{-1, -1, CellFeature::CodePoint, forCell};
}

void SourceTrace::finishingBlocked(std::int32_t code, std::int64_t forCell, std::span<const std::int64_t> tried) {
    blocked_ = TracedBlock{code, forCell, std::vector<std::int64_t>(tried.begin(), tried.end())};
}

std::vector<std::pair<std::int64_t, CellFeature>> SourceTrace::cellsOf(int source, int row) const {
    std::vector<std::pair<std::int64_t, CellFeature>> cells;
    for (const auto& [cell, claim] : claims_) {
        if (claim.source == source && claim.row == row) cells.emplace_back(cell, claim.feature);
    }
    std::sort(cells.begin(), cells.end());
    return cells;
}

const CellClaim* SourceTrace::claim(std::int64_t cell) const {
    const auto it = claims_.find(cell);
    return it == claims_.end() ? nullptr : &it->second;
}

const TracedStationArea* TracedSource::stationArea(int row) const {
    for (const TracedStationArea& area : stationAreas) {
        if (area.row == row) return &area;
    }
    return nullptr;
}

void SourceTrace::stage(ReadStage stage) {
    if (TracedSource* source = current()) source->stage = stage;
    currentRow_ = -1;
}

void SourceTrace::valueTooWide(double value, double min, double max, std::optional<std::size_t> field) {
    pendingWide_ = TracedFailure::TooWide{value, min, max, field};
}

void SourceTrace::failed(std::string_view what) {
    TracedFailure failure;
    failure.what = std::string(what);
    failure.tooWide = std::exchange(pendingWide_, std::nullopt);
    TracedSource* source = current();
    if (source != nullptr) {
        failure.source = sources_.size() - 1;
        failure.readFailure = readFailure_;
        failure.stage = source->stage;
        failure.row = currentRow_;
        if (!source->fields.empty()) failure.field = source->fields.size() - 1;
    }
    failure_ = std::move(failure);
}

const TracedSource* SourceTrace::source(SourceRole role) const {
    for (const TracedSource& source : sources_) {
        if (source.role == role) return &source;
    }
    return nullptr;
}

}  // namespace sb::diagnostics
