// A record of how the compile read the two sources: every field with its
// place, what became of each keyword field, the rows and their values, the
// errors recorded and where reading failed. The diagnostics read it after
// the compile.
#pragma once

#include <algorithm>
#include <climits>
#include <deque>
#include <map>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compiler/common/read_listener.h"
#include "diagnostics/huge_page_memory.h"

#include "diagnostics/compiler_terms.h"

namespace sb::diagnostics {

// Where a field was read: before the "[generale]" field, in the line
// file's header or feature section, or in the train file.
enum class TraceSection : unsigned char { Preamble, LineHeader, LineFeatures, Train };

// A field's place, kept small: a long source has hundreds of thousands of
// fields, and every page the trace touches costs. Offsets and lengths past
// 4 GiB are not kept exactly (no source is that large).
struct TracedSpan {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::int32_t line = 0;
    std::int32_t column = 0;

    TracedSpan() = default;
    explicit TracedSpan(const FieldSpan& span)
        : offset(narrow(span.offset)), length(narrow(span.length)), line(span.line), column(span.column) {}

private:
    static std::uint32_t narrow(std::size_t v) { return v > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(v); }
};

struct TracedField {
    TracedSpan span;
    int row = -1;  // value fields: the row they belong to
    FieldKind kind = FieldKind::Text;
    NumberWidth width = NumberWidth::None;
    TraceSection section = TraceSection::Preamble;
    bool endsHeader = false;                // the line file's header ends with it
    std::optional<KeywordOutcome> outcome;  // keyword fields after "[generale]"
};

// The value fields of a row. A row's values are read one after another, so
// they are a run of field indices: no list to keep per row of a long source.
class FieldRun {
public:
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::size_t operator[](std::size_t i) const { return first_ + i; }
    std::size_t front() const { return first_; }
    std::size_t back() const { return first_ + count_ - 1; }
    // Which value of the row a field is; size() for a field of no value.
    std::size_t indexOf(std::size_t field) const {
        return field >= first_ && field - first_ < count_ ? field - first_ : count_;
    }

    // The next value field read; the run reaches it.
    void push_back(std::size_t field) {
        if (count_ == 0) first_ = field;
        count_ = field >= first_ ? field - first_ + 1 : count_;
    }

private:
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

struct TracedRow {
    RowKind kind{};
    std::size_t keyword = 0;  // its keyword field
    FieldRun values;          // the value fields read, in order
};

// Who put a feature into a cell: a row of a source, or the finishing pass
// (source -1) for the feature in forCell.
struct CellClaim {
    int source = -1;  // index into SourceTrace::sources()
    int row = -1;
    CellFeature feature{};
    std::int64_t forCell = 0;
    bool byFinishingPass() const { return source < 0; }
};

// An error code a pass recorded, at the row it was reading.
struct TracedError {
    std::int32_t code = 0;
    std::optional<std::int32_t> position;
    int row = -1;
    bool carriedOver = false;  // left by the line pass, recorded again at this train row
    // A feature that found its cell taken: the cell and who held it.
    std::optional<std::int64_t> takenCell;
    std::optional<CellClaim> occupant;
};

// A feature lost to another written over it.
struct TracedLoss {
    std::int64_t cell = 0;
    CellClaim lost;
    CellClaim by;
};

// A code point the finishing pass found no free cell for.
struct TracedBlock {
    std::int32_t code = 0;
    std::int64_t forCell = 0;
    std::vector<std::int64_t> tried;
};

// The area a station row covers.
struct TracedStationArea {
    int row = -1;
    std::int32_t start = 0;
    std::int32_t end = 0;
};

// The source's bytes, fields and rows live in the trace's own memory.
struct TracedSource {
    explicit TracedSource(std::pmr::memory_resource* memory) : fields(memory), rows(memory) {}

    SourceRole role = SourceRole::Line;
    std::string name;  // the compile's own name of the file
    std::string_view data;  // the bytes the compile read, kept by the caller or the trace
    std::pmr::vector<TracedField> fields;
    std::pmr::vector<TracedRow> rows;
    std::vector<TracedError> errors;
    std::vector<TracedStationArea> stationAreas;
    bool dataStarted = false;
    std::optional<ReadStage> stage;

    // The area of a station row, when its values were all read.
    const TracedStationArea* stationArea(int row) const;

    std::string_view text(std::size_t field) const {
        const TracedSpan& span = fields[field].span;
        return std::string_view(data).substr(std::min<std::size_t>(span.offset, data.size()), span.length);
    }
    // The keyword field of a row as the author wrote it, trailing blanks cut.
    std::string_view keywordText(const TracedRow& row) const;
    // The source line holding a byte offset, without its line end.
    std::string_view lineAt(std::size_t offset) const;
};

// Where the failure handler caught a run-time failure.
struct TracedFailure {
    std::optional<std::size_t> source;  // the source being read, if any
    std::optional<ReadFailureKind> readFailure;
    std::optional<ReadStage> stage;
    int row = -1;                       // the row being read
    std::optional<std::size_t> field;   // the last field read
    std::string what;
    // A value too wide for its place: the value, the place's bounds, and the
    // row's field (its index among the values) the compile blames.
    struct TooWide {
        double value = 0;
        double min = 0;
        double max = 0;
        std::optional<std::size_t> field;
    };
    std::optional<TooWide> tooWide;
};

class SourceTrace final : public ReadListener {
public:
    // kept: the bytes of sources by the compile's name, which outlive the
    // trace; a source read from elsewhere is copied.
    explicit SourceTrace(const std::map<std::string, std::string>* kept = nullptr)
        : memory_(firstRegion(kept), &regions_), kept_(kept) {}
    SourceTrace(const SourceTrace&) = delete;
    SourceTrace& operator=(const SourceTrace&) = delete;

    void sourceStarted(SourceRole role, const std::string& name, std::string_view data) override;
    void fieldRead(FieldKind kind, const FieldSpan& span, NumberWidth width) override;
    void keywordOutcome(KeywordOutcome outcome) override;
    void dataStarts() override;
    void headerEnds() override;
    void rowStarts(RowKind kind) override;
    void readFailed(ReadFailureKind kind) override;
    void errorRecorded(std::int32_t code, std::optional<std::int32_t> position) override;
    void stage(ReadStage stage) override;
    void failed(std::string_view what) override;
    void valueTooWide(double value, double min, double max, std::optional<std::size_t> field) override;
    void errorCarriedOver() override;
    void cellClaimed(std::int64_t cell, CellFeature feature) override;
    void cellTaken(std::int64_t cell, CellFeature feature) override;
    void featureReplaced(std::int64_t cell, CellFeature by) override;
    void stationArea(std::int32_t start, std::int32_t end) override;
    void codePointAdded(std::int64_t cell, std::int64_t forCell) override;
    void finishingBlocked(std::int32_t code, std::int64_t forCell, std::span<const std::int64_t> tried) override;

    const std::vector<TracedSource>& sources() const { return sources_; }
    const TracedSource* source(SourceRole role) const;
    const std::optional<TracedFailure>& failure() const { return failure_; }
    // The last feature put into a cell, or nullptr.
    const CellClaim* claim(std::int64_t cell) const;
    // The cells a row's features hold when the compile ends, in cell order.
    std::vector<std::pair<std::int64_t, CellFeature>> cellsOf(int source, int row) const;
    const std::vector<TracedLoss>& losses() const { return losses_; }
    // The last code point the finishing pass found no cell for.
    const std::optional<TracedBlock>& blocked() const { return blocked_; }

private:
    TracedSource* current() { return sources_.empty() ? nullptr : &sources_.back(); }

    // Room for the fields and rows of the sources at once (they take about
    // 16 bytes per source byte), so that a small compile asks for little
    // address space and a long one grows in a few steps.
    static std::size_t firstRegion(const std::map<std::string, std::string>* kept) {
        std::size_t bytes = 0;
        if (kept != nullptr) {
            for (const auto& source : *kept) bytes += source.second.size();
        }
        return std::max<std::size_t>(std::size_t{1} << 20, 16 * bytes);
    }

    // The trace of a long source fills megabytes once: it is carved, in
    // the order it is made, out of one large huge-page region (only the
    // pages touched are ever backed), all given back when the trace goes.
    HugePageRegions regions_;
    std::pmr::monotonic_buffer_resource memory_;
    const std::map<std::string, std::string>* kept_;
    std::deque<std::string> copies_;  // sources not kept by the caller
    std::vector<TracedSource> sources_;
    std::optional<TracedFailure> failure_;
    CellClaim here(CellFeature feature) const;
    std::unordered_map<std::int64_t, CellClaim> claims_;
    std::optional<TracedError> pendingTaken_;
    std::optional<TracedFailure::TooWide> pendingWide_;  // the cell and occupant of the next error
    std::vector<TracedLoss> losses_;
    std::optional<TracedBlock> blocked_;
    std::optional<ReadFailureKind> readFailure_;
    TraceSection section_ = TraceSection::Preamble;
    int currentRow_ = -1;
};

}  // namespace sb::diagnostics
