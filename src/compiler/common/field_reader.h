// The field stream shared by the line and train source formats: fields are
// separated by commas and line ends; numbers also end at a blank. Each field
// is read into a variable of fixed type, and reading past the end of the data
// is a run-time failure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/common/read_listener.h"

namespace sb::compiler {

class FieldReader {
public:
    explicit FieldReader(std::string data);

    // The end-of-data test: true while any byte is left unread.
    bool dataRemains() const { return pos_ < data_.size(); }

    // A text field: leading blanks skipped, then everything up to the next
    // comma or line end, which is consumed. Inner and trailing blanks stay.
    std::string readText();
    // A text field read in the place of a keyword: the start of a row.
    std::string readKeyword();

    // Number fields, rounded half to even into their width; a field that is
    // not a decimal number, or a value outside the width, is a run-time failure.
    std::int32_t readInt32();
    std::int16_t readInt16();
    std::uint8_t readUInt8();

    // 1-based source line where the most recently read field starts.
    int fieldLine() const { return fieldLine_; }

    // Marks the field just read as the start of a row, so that a failure
    // while its values are read names the line where the row begins.
    void markRowStart() { rowLine_ = fieldLine_; }
    int rowLine() const { return rowLine_; }

    // The whole data, as the listener sees it.
    std::string_view data() const { return data_; }

    // An observer of the reading, or nullptr; the passes report through the
    // reader what its fields mean.
    void setListener(ReadListener* listener) { listener_ = listener; }
    ReadListener* listener() const { return listener_; }
    void keywordOutcome(KeywordOutcome outcome) const {
        if (listener_ != nullptr) listener_->keywordOutcome(outcome);
    }
    void rowStarts(RowKind kind) const {
        if (listener_ != nullptr) listener_->rowStarts(kind);
    }
    void dataStarts() const {
        if (listener_ != nullptr) listener_->dataStarts();
    }
    void headerEnds() const {
        if (listener_ != nullptr) listener_->headerEnds();
    }
    void stage(ReadStage stage) const {
        if (listener_ != nullptr) listener_->stage(stage);
    }
    void errorRecorded(std::int32_t code, std::optional<std::int32_t> position) const {
        if (listener_ != nullptr) listener_->errorRecorded(code, position);
    }
    // Tells the listener a fact, if there is one: tell([&](ReadListener& l) { l.cellClaimed(c, f); }).
    template <typename Fact>
    void tell(Fact&& fact) const {
        if (listener_ != nullptr) fact(*listener_);
    }

private:
    std::string readTextField(FieldKind kind);
    double readNumber(NumberWidth width);
    void skipBlanks();
    bool atLineEnd() const;
    void consumeLineEnd();
    void requireData(const char* what) const;

    std::string data_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 1;
    int fieldLine_ = 0;
    int rowLine_ = 0;
    ReadListener* listener_ = nullptr;
};

// Parses a decimal number with optional sign, fraction and exponent. Returns
// false for anything else (empty text included).
bool parseDecimal(std::string_view text, double& value);

}  // namespace sb::compiler
