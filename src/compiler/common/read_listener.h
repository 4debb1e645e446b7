// What the compile tells about its reading, for authors' diagnostics: every
// field with its place in the source, what became of each keyword field,
// which rows start, and where reading stopped. A listener only observes; the
// compile reads and records exactly the same with or without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "compiler/common/keywords.h"

namespace sb::compiler {

// Where a field stands: its first byte (after leading blanks) and its length
// in bytes, with the 1-based line and column (in bytes) of that first byte.
struct FieldSpan {
    std::size_t offset = 0;
    std::size_t length = 0;
    int line = 0;
    int column = 0;
};

enum class FieldKind : unsigned char { Keyword, Text, Number };

// The type a number field is read into.
enum class NumberWidth : unsigned char { None, Int32, Int16, UInt8 };

// What became of a field read in the place of a keyword.
enum class KeywordOutcome : unsigned char {
    Interpreted,     // the section's keyword tests ran on it
    Disabled,        // it holds a "-": passed over, the next field read in its place
    NotInterpreted,  // no data follows it: the section ends without testing it
};

enum class SourceRole : unsigned char { Line, Train };

// Steps after the last field of a source, where a failure belongs to no row.
enum class ReadStage : unsigned char {
    LineTails,        // the line file is closed: gradient and profile tails
    TrainCompletion,  // the train file ended: line speed and adhesion completed
};

// What a feature puts into a cell, for the facts about cells.
enum class CellFeature : unsigned char {
    Board,
    SpeedIndicator,
    Signal,
    CodePoint,
    RestrictionWarning,
    RestrictionStart,
    RestrictionEnd,
    RestrictionMarker,
    StationStop,
};

enum class ReadFailureKind : unsigned char {
    EndOfData,  // a field was expected and no data remains
    NotANumber, // the number field just reported holds no decimal number
};

class ReadListener {
public:
    virtual ~ReadListener() = default;

    // A pass starts reading a source file; data is the whole file.
    virtual void sourceStarted(SourceRole, const std::string& /*name*/, std::string_view /*data*/) {}
    virtual void fieldRead(FieldKind, const FieldSpan&, NumberWidth) {}
    // What became of the keyword field reported last.
    virtual void keywordOutcome(KeywordOutcome) {}
    // The "[generale]" field is found: the file's data follows.
    virtual void dataStarts() {}
    // Line file: the field just interpreted ends the header section.
    virtual void headerEnds() {}
    // A keyword test matched the field just interpreted; the row's values follow.
    virtual void rowStarts(RowKind) {}
    virtual void readFailed(ReadFailureKind) {}
    // A pass records an error code (with the position it sets, if any) at
    // the row it is reading, or after the last row.
    virtual void errorRecorded(std::int32_t /*code*/, std::optional<std::int32_t> /*position*/) {}
    virtual void stage(ReadStage) {}
    // The failure handler caught a value too wide for its place, just
    // before failed(): the value, the place's bounds and the field of the
    // row being read it came from, when the compile knows it.
    virtual void valueTooWide(double /*value*/, double /*min*/, double /*max*/, std::optional<std::size_t> /*field*/) {}
    // The failure handler caught a run-time failure; what it says.
    virtual void failed(std::string_view /*what*/) {}
    // The error code just recorded was left by the line pass; the train
    // pass stops on it at the row it is reading.
    virtual void errorCarriedOver() {}

    // Facts about cells, told where the compile decides them. The row
    // being read put the feature into the cell.
    virtual void cellClaimed(std::int64_t /*cell*/, CellFeature) {}
    // The row's feature finds its cell held by another; the row stops on an
    // error code (told next).
    virtual void cellTaken(std::int64_t /*cell*/, CellFeature) {}
    // The row's feature replaces whatever the cell held: that is lost.
    virtual void featureReplaced(std::int64_t /*cell*/, CellFeature /*by*/) {}
    // The station row being read covers these metres.
    virtual void stationArea(std::int32_t /*start*/, std::int32_t /*end*/) {}
    // The finishing pass puts a code point into a cell for the feature
    // (a restriction start or a signal) in another.
    virtual void codePointAdded(std::int64_t /*cell*/, std::int64_t /*forCell*/) {}
    // The finishing pass found none of the cells it tried free for the code
    // point of the feature in forCell, and records the code.
    virtual void finishingBlocked(std::int32_t /*code*/, std::int64_t /*forCell*/,
                                  std::span<const std::int64_t> /*tried*/) {}
};

}  // namespace sb::compiler
