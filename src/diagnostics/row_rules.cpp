#include "diagnostics/row_rules.h"

#include <cmath>
#include <limits>

namespace sb::diagnostics {

namespace {

// Builds a rule: R("clock hours").width(Integer).from(0).to(23).
struct R {
    FieldRule rule;
    constexpr explicit R(std::string_view name, std::string_view unit = {}) {
        rule.name = name;
        rule.unit = unit;
    }
    constexpr R& text() {
        rule.text = true;
        return *this;
    }
    constexpr R& width(NumberWidth width) {
        rule.width = width;
        return *this;
    }
    constexpr R& store(Storage storage) {
        rule.storage = storage;
        return *this;
    }
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

constexpr NumberWidth Integer = NumberWidth::Integer;
constexpr NumberWidth Byte = NumberWidth::Byte;

constexpr FieldRule routeLength[] = {
    R("route length", "m").from(1000).to(1000000).step(50),
};

constexpr FieldRule kmPostOne[] = {
    R("kilometre-post set one position", "m").position().from(0).step(50),
    R("kilometre-post set one value", "m").from(0).step(50),
    R("kilometre-post set one flag").from(0).to(1),
};
constexpr FieldRule kmPostTwo[] = {
    R("kilometre-post set two position", "m").position().from(0).step(50),
    R("kilometre-post set two value", "m").from(0).step(50),
    R("kilometre-post set two flag").from(0).to(1),
};
constexpr FieldRule kmPostThree[] = {
    R("kilometre-post set three position", "m").position().from(0).step(50),
    R("kilometre-post set three value", "m").from(0).step(50),
    R("kilometre-post set three flag").from(0).to(1),
};

constexpr FieldRule backgroundOne[] = {R("background one").from(0)};
constexpr FieldRule backgroundTwo[] = {R("background two").from(0)};
constexpr FieldRule backgroundThree[] = {R("background three").from(0)};

constexpr FieldRule signalRepetition[] = {
    R("signal-repetition start", "m").position().from(0).step(50),
    R("signal-repetition end", "m").position().from(0).step(50),
};

constexpr FieldRule gradient[] = {
    R("gradient position", "m").position().from(0).step(50),
    R("gradient value", "‰").store(Storage::Gradient).anyFraction().from(-60).to(60),
};

constexpr FieldRule curve[] = {
    R("curve start", "m").position().from(0),
    R("curve length", "m").from(50).to(5000),
};

constexpr FieldRule mountain[] = {
    R("mountain-stretch start", "m").position().from(0),
    R("mountain-stretch end", "m").position().from(0),
    R("mountain-stretch type").store(Storage::MountainType).from(1).to(20).why("types run from 1 to 10, or 11 to 20 for the same types with markers"),
};

constexpr FieldRule speedIndicator[] = {
    R("speed-indicator position", "m").position().from(25).step(50),
    R("speed-indicator speed a (side s)", "km/h").from(0).to(495).step(5),
    R("speed-indicator speed b (side s)", "km/h").from(0).to(495).step(5),
    R("speed-indicator speed c (side s)", "km/h").from(0).to(495).step(5),
    R("speed-indicator stripes (side s)").store(Storage::StripeCount).from(0).to(9),
    R("speed-indicator speed a (side d)", "km/h").store(Storage::Fifth).from(0).to(495),
    R("speed-indicator speed b (side d)", "km/h").store(Storage::Fifth).from(0).to(495),
    R("speed-indicator speed c (side d)", "km/h").store(Storage::Fifth).from(0).to(495),
    R("speed-indicator stripes (side d)").store(Storage::StripeCount).from(0).to(9),
};

constexpr FieldRule board[] = {
    R("location-board position", "m").position().from(25).step(50),
    R("location-board label").text(),
};

constexpr FieldRule brakedMass[] = {R("braked mass", "%").from(1).to(200)};
constexpr FieldRule cars[] = {R("number of cars").from(1).to(50)};

constexpr FieldRule lineSpeed[] = {
    R("line-speed position", "m").position().from(0).step(50),
    R("line speed", "km/h").store(Storage::Fifth).from(5).to(300),
};

constexpr FieldRule adhesion[] = {
    R("adhesion position", "m").position().from(0).step(50),
    R("adhesion value").store(Storage::LowByte).from(1).to(255),
};

constexpr FieldRule clock[] = {
    R("clock hours").width(Integer).from(0).to(23),
    R("clock minutes").width(Integer).from(0).to(59),
    R("clock seconds").width(Integer).from(0).to(59),
};

constexpr FieldRule sand[] = {R("sand value").width(Integer).from(0)};

constexpr FieldRule signal[] = {
    R("signal position", "m").position().from(325).step(50).why("a signal closer to the origin than 325 m has fewer than four approach cells behind it"),
    R("signal first group").from(1).to(2),
    R("signal first code 1").from(0).to(9),
    R("signal first code 2").from(0).to(9),
    R("signal first code 3").from(0).to(9),
    R("signal auxiliary code").from(0).to(9),
    R("signal second group").from(1).to(2),
    R("signal second code 1").from(0).to(9),
    R("signal second code 2").from(0).to(9),
    R("signal second code 3").from(0).to(9),
    R("signal time value").store(Storage::SignalTime).from(0).to(255),
};

constexpr FieldRule restriction[] = {
    R("restriction start", "m").position().from(1501).step(50).why("a restriction starting at 1500 m or less gets no warning point and no markers"),
    R("restriction speed", "km/h").store(Storage::Low16).from(5).to(300).step(5),
    R("restriction length", "m").from(50).step(50),
    R("restriction end flag").store(Storage::Low16).from(0).to(1),
    R("restriction markers flag").from(0).to(1),
    R("restriction extra value").store(Storage::Low16).from(0),
};

constexpr FieldRule codePoint[] = {
    R("code-point position", "m").position().from(75).step(50),
    R("code value").from(0).to(32767),
};

constexpr FieldRule station[] = {
    R("station position", "m").position().from(0).step(50),
    R("station kind").width(Byte).from(1),
    R("station length", "m").from(100).to(1600).step(100),
    R("station flag A").width(Byte).from(0).to(1),
    R("station flag B").width(Byte).from(0).to(1),
    R("station flag C").width(Byte).from(0).to(1),
    R("station code A1").width(Integer).from(0).to(9),
    R("station code A2").width(Integer).from(0).to(9),
    R("station code A3").width(Byte).from(0).to(9),
    R("station code B1").width(Integer).from(0).to(9),
    R("station code B2").width(Integer).from(0).to(9),
    R("station code B3").width(Integer).from(0).to(9),
    R("station stop time", "s").width(Byte).from(0).to(255),
    R("station hours").from(0).to(23),
    R("station minutes").from(0).to(59),
    R("station seconds").from(0).to(59),
    R("station name").text(),
};

}  // namespace

std::span<const FieldRule> rowRules(RowKind kind) {
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

std::string_view widthDescription(NumberWidth width) {
    switch (width) {
        case NumberWidth::Integer: return "a 16-bit field (-32768 to 32767)";
        case NumberWidth::Byte: return "a byte field (0 to 255)";
        case NumberWidth::Long:
        case NumberWidth::None: break;
    }
    return "a 32-bit field (-2147483648 to 2147483647)";
}

bool fitsWidth(double roundedValue, NumberWidth width) {
    if (!std::isfinite(roundedValue)) return false;
    switch (width) {
        case NumberWidth::Integer: return roundedValue >= -32768.0 && roundedValue <= 32767.0;
        case NumberWidth::Byte: return roundedValue >= 0.0 && roundedValue <= 255.0;
        case NumberWidth::Long:
        case NumberWidth::None: break;
    }
    return roundedValue >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
           roundedValue <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

}  // namespace sb::diagnostics
