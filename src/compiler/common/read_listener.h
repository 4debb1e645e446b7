// What the compile tells about its reading, for authors' diagnostics: every
// field with its place in the source, what became of each keyword field,
// which rows start, and where reading stopped. A listener only observes; the
// compile reads and records exactly the same with or without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/common/keywords.h"

namespace sb {

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
enum class NumberWidth : unsigned char { None, Long, Integer, Byte };

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
    // The failure handler caught a run-time failure; what it says.
    virtual void failed(std::string_view /*what*/) {}
};

}  // namespace sb
