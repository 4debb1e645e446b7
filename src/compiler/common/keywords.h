// The keywords of both source formats as one table: which substrings a
// keyword field must hold, whether letter case counts and the form the
// built-in files write. The values each row reads are declared in
// compiler/common/rows.h. The passes test
// keyword fields through this table in their own order; diagnostics and the
// authors' reference read the same table.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace sb::compiler {

// Every kind of row the compile reads.
enum class RowKind : unsigned char {
    // line file, header section
    routeLength,
    kmPostThree,
    kmPostTwo,
    kmPostOne,
    backgroundOne,
    backgroundTwo,
    backgroundThree,
    signalRepetition,
    // line file, feature section
    gradient,
    curve,
    mountain,
    speedIndicator,
    board,
    // train file
    brakedMass,
    cars,
    lineSpeed,
    adhesion,
    clock,
    sand,
    signal,
    restriction,
    codePoint,
    station,
};

// Where a keyword is recognised.
enum class KeywordSection : unsigned char { LineHeader, LineFeatures, Train };

struct KeywordInfo {
    RowKind kind;
    KeywordSection section;
    std::string_view first;   // the keyword field must contain both
    std::string_view second;  // (empty: no second test)
    bool ignoreCase;
    // The forms the built-in files write (a curve row's digit varies, the
    // signal-repetition row names 4 or 9 codes).
    std::span<const std::string_view> writtenAs;
    std::string_view noun;  // what the row describes, for messages
};

// The catalogue in the order each section applies its tests.
std::span<const KeywordInfo> keywordCatalogue();
const KeywordInfo& keywordInfo(RowKind kind);

// The keyword test of a row kind on a keyword field.
bool keywordMatches(RowKind kind, std::string_view field);

}  // namespace sb::compiler
