#include "diagnostics/row_rules.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/common/rows.h"
#include "compiler/train/restriction_recorder.h"

namespace sb::diagnostics {

namespace {

// Builds a rule: R().from(0).to(23).
struct R {
    FieldRule rule;
    constexpr explicit R(std::string_view unit = {}) { rule.unit = unit; }
    constexpr R& anyFraction() {
        rule.fractionMatters = false;
        return *this;
    }
    constexpr R& position() {
        rule.position = true;
        return *this;
    }
    constexpr R& from(std::int64_t min) {
        rule.min = min;
        return *this;
    }
    constexpr R& to(std::int64_t max) {
        rule.max = max;
        return *this;
    }
    constexpr R& step(std::int64_t step) {
        rule.step = step;
        return *this;
    }
    constexpr R& why(std::string_view why) {
        rule.why = why;
        return *this;
    }
    constexpr operator FieldRule() const { return rule; }
};

constexpr FieldRule routeLength[] = {
    R("m").from(1000).to(1000000).step(50),
};

constexpr FieldRule kmPostOne[] = {
    R("m").position().from(0).step(50),
    R("m").from(0).step(50),
    R().from(0).to(1),
};
constexpr FieldRule kmPostTwo[] = {
    R("m").position().from(0).step(50),
    R("m").from(0).step(50),
    R().from(0).to(1),
};
constexpr FieldRule kmPostThree[] = {
    R("m").position().from(0).step(50),
    R("m").from(0).step(50),
    R().from(0).to(1),
};

constexpr FieldRule backgroundOne[] = {R().from(0)};
constexpr FieldRule backgroundTwo[] = {R().from(0)};
constexpr FieldRule backgroundThree[] = {R().from(0)};

constexpr FieldRule signalRepetition[] = {
    R("m").position().from(0).step(50),
    R("m").position().from(0).step(50),
};

constexpr FieldRule gradient[] = {
    R("m").position().from(0).step(50),
    R("‰").anyFraction().from(-60).to(60),
};

constexpr FieldRule curve[] = {
    R("m").position().from(0),
    R("m").from(50).to(5000),
};

constexpr FieldRule mountain[] = {
    R("m").position().from(0),
    R("m").position().from(0),
    R().from(1).to(20).why("types run from 1 to 10, or 11 to 20 for the same types with markers"),
};

constexpr FieldRule speedIndicator[] = {
    R("m").position().from(25).step(50),
    R("km/h").from(0).to(495).step(5),
    R("km/h").from(0).to(495).step(5),
    R("km/h").from(0).to(495).step(5),
    R().from(0).to(9),
    R("km/h").from(0).to(495),
    R("km/h").from(0).to(495),
    R("km/h").from(0).to(495),
    R().from(0).to(9),
};

constexpr FieldRule board[] = {
    R("m").position().from(25).step(50),
    R(),
};

constexpr FieldRule brakedMass[] = {R("%").from(1).to(200)};
constexpr FieldRule cars[] = {R().from(1).to(50)};

constexpr FieldRule lineSpeed[] = {
    R("m").position().from(0).step(50),
    R("km/h").from(5).to(300),
};

constexpr FieldRule adhesion[] = {
    R("m").position().from(0).step(50),
    R().from(1).to(255),
};

constexpr FieldRule clock[] = {
    R().from(0).to(23),
    R().from(0).to(59),
    R().from(0).to(59),
};

constexpr FieldRule sand[] = {R().from(0)};

constexpr FieldRule signal[] = {
    R("m").position().from(325).step(50).why("a signal closer to the origin than 325 m has fewer than four approach cells behind it"),
    R().from(1).to(2),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(1).to(2),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(255),
};

constexpr FieldRule restriction[] = {
    R("m").position().from(restrictionWarningFrom + 1).step(50).why("a restriction starting this near the origin gets no warning point and no markers"),
    R("km/h").from(5).to(300).step(5),
    R("m").from(50).step(50),
    R().from(0).to(1),
    R().from(0).to(1),
    R().from(0),
};

constexpr FieldRule codePoint[] = {
    R("m").position().from(75).step(50),
    R().from(0).to(32767),
};

constexpr FieldRule station[] = {
    R("m").position().from(0).step(50),
    R().from(1),
    R("m").from(100).to(1600).step(100),
    R().from(0).to(1),
    R().from(0).to(1),
    R().from(0).to(1),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(9),
    R().from(0).to(9),
    R("s").from(0).to(255),
    R().from(0).to(23),
    R().from(0).to(59),
    R().from(0).to(59),
    R(),
};

std::span<const FieldRule> sensibleRules(RowKind kind) {
    switch (kind) {
        case RowKind::routeLength: return routeLength;
        case RowKind::kmPostThree: return kmPostThree;
        case RowKind::kmPostTwo: return kmPostTwo;
        case RowKind::kmPostOne: return kmPostOne;
        case RowKind::backgroundOne: return backgroundOne;
        case RowKind::backgroundTwo: return backgroundTwo;
        case RowKind::backgroundThree: return backgroundThree;
        case RowKind::signalRepetition: return signalRepetition;
        case RowKind::gradient: return gradient;
        case RowKind::curve: return curve;
        case RowKind::mountain: return mountain;
        case RowKind::speedIndicator: return speedIndicator;
        case RowKind::board: return board;
        case RowKind::brakedMass: return brakedMass;
        case RowKind::cars: return cars;
        case RowKind::lineSpeed: return lineSpeed;
        case RowKind::adhesion: return adhesion;
        case RowKind::clock: return clock;
        case RowKind::sand: return sand;
        case RowKind::signal: return signal;
        case RowKind::restriction: return restriction;
        case RowKind::codePoint: return codePoint;
        case RowKind::station: return station;
    }
    return {};
}

// Each kind's rules with the name, width and storage the compile declares.
std::vector<std::vector<FieldRule>> completeRules() {
    std::vector<std::vector<FieldRule>> all;
    for (const KeywordInfo& info : keywordCatalogue()) {
        const std::size_t kind = static_cast<std::size_t>(info.kind);
        if (all.size() <= kind) all.resize(kind + 1);
        const std::span<const RowField> fields = rowFields(info.kind);
        const std::span<const FieldRule> sensible = sensibleRules(info.kind);
        if (sensible.size() != fields.size()) {
            throw std::logic_error("the sensible ranges of the " + std::string(info.noun) + " row do not match its fields");
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            FieldRule rule = sensible[i];
            rule.name = fields[i].name;
            rule.text = fields[i].text();
            rule.width = fields[i].text() ? NumberWidth::None : fields[i].width;
            rule.storage = fields[i].storage;
            all[kind].push_back(rule);
        }
    }
    return all;
}

}  // namespace

std::span<const FieldRule> rowRules(RowKind kind) {
    static const std::vector<std::vector<FieldRule>> all = completeRules();
    const auto index = static_cast<std::size_t>(kind);
    return index < all.size() ? std::span<const FieldRule>(all[index]) : std::span<const FieldRule>();
}

std::string_view widthDescription(NumberWidth width) {
    switch (width) {
        case NumberWidth::Int16: return "a 16-bit field (-32768 to 32767)";
        case NumberWidth::UInt8: return "a byte field (0 to 255)";
        case NumberWidth::Int32:
        case NumberWidth::None: break;
    }
    return "a 32-bit field (-2147483648 to 2147483647)";
}

bool fitsWidth(double roundedValue, NumberWidth width) {
    if (!std::isfinite(roundedValue)) return false;
    switch (width) {
        case NumberWidth::Int16: return roundedValue >= -32768.0 && roundedValue <= 32767.0;
        case NumberWidth::UInt8: return roundedValue >= 0.0 && roundedValue <= 255.0;
        case NumberWidth::Int32:
        case NumberWidth::None: break;
    }
    return roundedValue >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
           roundedValue <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

}  // namespace sb::diagnostics
