#include "compiler/common/field_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

#include "model/conversions.h"

namespace sb::compiler {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the first significant digit of a mantissa (digits with
// an optional fraction), with the explicit exponent added. Only called for
// values out of range, which always have a significant digit.
std::int64_t decimalExponent(std::string_view mantissa, std::int64_t exponent) {
    const std::size_t digitsEnd = std::min(mantissa.find_first_of("eE"), mantissa.size());
    const std::size_t point = std::min(mantissa.find('.'), digitsEnd);
    const std::size_t firstSignificant = mantissa.find_first_of("123456789");
    if (firstSignificant >= digitsEnd) return exponent;
    const auto offset = static_cast<std::int64_t>(point) - static_cast<std::int64_t>(firstSignificant);
    // Digits before the point count from zero; digits after it from minus one.
    return exponent + (offset > 0 ? offset - 1 : offset);
}

}  // namespace

FieldReader::FieldReader(std::string data) : data_(std::move(data)) {}

void FieldReader::requireData(const char* what) const {
    if (!dataRemains()) {
        if (listener_ != nullptr) listener_->readFailed(ReadFailureKind::EndOfData);
        throw RunTimeFailure(std::string("reading past the end of the data (") + what + " expected at line " +
                             std::to_string(line_) + ")");
    }
}

void FieldReader::skipBlanks() {
    while (pos_ < data_.size() && isBlank(data_[pos_])) ++pos_;
}

bool FieldReader::atLineEnd() const { return pos_ < data_.size() && (data_[pos_] == '\r' || data_[pos_] == '\n'); }

void FieldReader::consumeLineEnd() {
    // CR LF, a lone CR and a lone LF each end one line.
    if (data_[pos_] == '\r') {
        ++pos_;
        if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
    } else {
        ++pos_;
    }
    ++line_;
    lineStart_ = pos_;
}

std::string FieldReader::readText() { return readTextField(FieldKind::Text); }

std::string FieldReader::readKeyword() { return readTextField(FieldKind::Keyword); }

std::string FieldReader::readTextField(FieldKind kind) {
    requireData("a field");
    skipBlanks();
    fieldLine_ = line_;
    const std::size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != ',' && data_[pos_] != '\r' && data_[pos_] != '\n') ++pos_;
    std::string field = data_.substr(start, pos_ - start);
    if (listener_ != nullptr) {
        listener_->fieldRead(kind, FieldSpan{start, pos_ - start, line_, static_cast<int>(start - lineStart_) + 1},
                             NumberWidth::None);
    }
    if (pos_ < data_.size()) {
        if (data_[pos_] == ',') {
            ++pos_;
        } else {
            consumeLineEnd();
        }
    }
    return field;
}

double FieldReader::readNumber(NumberWidth width) {
    requireData("a number");
    skipBlanks();
    fieldLine_ = line_;
    const std::size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != ',' && data_[pos_] != '\r' && data_[pos_] != '\n' &&
           !isBlank(data_[pos_])) {
        ++pos_;
    }
    const std::string_view token(data_.data() + start, pos_ - start);
    const int line = line_;
    if (listener_ != nullptr) {
        listener_->fieldRead(FieldKind::Number,
                             FieldSpan{start, pos_ - start, line, static_cast<int>(start - lineStart_) + 1}, width);
    }
    // A number that ends at a blank may be followed by more blanks and then
    // by the comma or line end that closes it.
    skipBlanks();
    if (pos_ < data_.size()) {
        if (data_[pos_] == ',') {
            ++pos_;
        } else if (atLineEnd()) {
            consumeLineEnd();
        }
    }
    double value = 0.0;
    if (!parseDecimal(token, value)) {
        if (listener_ != nullptr) listener_->readFailed(ReadFailureKind::NotANumber);
        throw RunTimeFailure("\"" + std::string(token) + "\" at line " + std::to_string(line) + " is not a number");
    }
    return value;
}

std::int32_t FieldReader::readInt32() { return toInt32(readNumber(NumberWidth::Int32)); }
std::int16_t FieldReader::readInt16() { return toInt16(readNumber(NumberWidth::Int16)); }
std::uint8_t FieldReader::readUInt8() { return toUInt8(readNumber(NumberWidth::UInt8)); }

bool parseDecimal(std::string_view text, double& value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    // Most fields are whole numbers: up to 15 digits they are exact as
    // doubles, with nothing to round.
    {
        const std::size_t first = n > 0 && (text[0] == '+' || text[0] == '-') ? 1 : 0;
        if (n > first && n - first <= 15) {
            std::int64_t whole = 0;
            std::size_t k = first;
            while (k < n && isDigit(text[k])) whole = whole * 10 + (text[k++] - '0');
            if (k == n) {
                value = text[0] == '-' ? -static_cast<double>(whole) : static_cast<double>(whole);
                return true;
            }
        }
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) return false;
    std::int64_t exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < n && isDigit(text[i])) {
            // Saturates far beyond any double's range, so it cannot overflow.
            if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
            ++i;
            ++expDigits;
        }
        if (expDigits == 0) return false;
        if (negativeExponent) exponent = -exponent;
    }
    if (i != n) return false;
    double magnitude = 0.0;
    const char* first = text.data() + mantissaStart;
    const char* last = text.data() + n;
    const auto result = std::from_chars(first, last, magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched here, so the decimal exponent
        // tells the two apart: too small rounds to zero, too large cannot fit
        // any field.
        if (decimalExponent(text.substr(mantissaStart), exponent) >= 0) return false;
        magnitude = 0.0;
    } else if (result.ec != std::errc() || result.ptr != last) {
        return false;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace sb::compiler
