#include "compiler/common/rows.h"

#include <climits>

#include "model/conversions.h"

namespace sb::compiler {

std::span<const RowField> rowFields(RowKind kind) {
    switch (kind) {
        case RowKind::routeLength: return rows::routeLength;
        case RowKind::kmPostThree: return rows::kmPostThree;
        case RowKind::kmPostTwo: return rows::kmPostTwo;
        case RowKind::kmPostOne: return rows::kmPostOne;
        case RowKind::backgroundOne: return rows::backgroundOne;
        case RowKind::backgroundTwo: return rows::backgroundTwo;
        case RowKind::backgroundThree: return rows::backgroundThree;
        case RowKind::signalRepetition: return rows::signalRepetition;
        case RowKind::gradient: return rows::gradient;
        case RowKind::curve: return rows::curve;
        case RowKind::mountain: return rows::mountain;
        case RowKind::speedIndicator: return rows::speedIndicator;
        case RowKind::board: return rows::board;
        case RowKind::brakedMass: return rows::brakedMass;
        case RowKind::cars: return rows::cars;
        case RowKind::lineSpeed: return rows::lineSpeed;
        case RowKind::adhesion: return rows::adhesion;
        case RowKind::clock: return rows::clock;
        case RowKind::sand: return rows::sand;
        case RowKind::signal: return rows::signal;
        case RowKind::restriction: return rows::restriction;
        case RowKind::codePoint: return rows::codePoint;
        case RowKind::station: return rows::station;
    }
    return {};
}

std::uint8_t gradientByte(std::int32_t gradient) { return low8(addInt32(gradient, 100)); }

bool mountainMarkers(std::int32_t type) { return type > 10; }

std::int32_t mountainType(std::int32_t type) { return mountainMarkers(type) ? type - 10 : type; }

std::int32_t signalTimeValue(std::int32_t time) { return time >= 1 && time <= 100 ? 101 : time; }

std::int64_t stripeSum(std::int32_t left, std::int32_t right) {
    return static_cast<std::int64_t>(low16(left)) * 10 + low16(right);
}

KeptValue keptValue(Storage storage, std::int64_t value) {
    switch (storage) {
        case Storage::Gradient:
            return {static_cast<std::int64_t>(low8(value + 100)) - 100, -100, 155};
        case Storage::LowByte:
            return {low8(value), 0, 255};
        case Storage::Low16:
        case Storage::StripeCount:
            return {low16(value), -32768, 32767};
        case Storage::MountainType: {
            const std::int64_t type = value > 10 ? value - 10 : value;
            const bool kept = type >= 0 && type <= 255;
            return {kept ? value : low8(type), 0, 255};
        }
        case Storage::SignalTime:
            return {low8(value), 0, 255};
        case Storage::Fifth:
            return {static_cast<std::int64_t>(roundHalfEven(static_cast<double>(value) / 5.0) * 5.0), 0, 255 * 5};
        case Storage::AsRead:
            break;
    }
    return {value, INT32_MIN, INT32_MAX};
}

}  // namespace sb::compiler
