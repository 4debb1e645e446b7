#include "route/cell_values.h"

#include <cstdio>
#include <cstdlib>

namespace sb::route {

SignalCodes decodeSignal(const RouteCell& cell) {
    SignalCodes codes;
    const std::int16_t pairs[3] = {cell.value1, cell.value2, cell.value3};
    for (std::size_t k = 0; k < 3; ++k) {
        codes.firstCodes[k] = pairs[k] / 10;
        codes.secondCodes[k] = pairs[k] % 10;
    }
    codes.auxiliaryCode = cell.value4 / 10;
    const int groups = cell.value4 % 10;
    codes.firstGroup = groups / 3;
    codes.secondGroup = groups % 3;
    codes.timeValue = cell.signalTime;
    return codes;
}

IndicatorSpeeds decodeSpeedIndicator(const RouteCell& cell) {
    IndicatorSpeeds speeds;
    const std::int16_t packed[3] = {cell.value1, cell.value2, cell.value3};
    for (std::size_t k = 0; k < 3; ++k) {
        speeds.left.speeds[k] = packed[k] / 100 * 5;
        speeds.right.speeds[k] = packed[k] % 100 * 5;
    }
    speeds.left.stripes = cell.value4 / 10;
    speeds.right.stripes = cell.value4 % 10;
    return speeds;
}

RestrictionPoint decodeRestrictionPoint(const RouteCell& cell) {
    return RestrictionPoint{cell.value1, cell.value2, cell.value3};
}

std::optional<ApproachMark> decodeApproachMark(std::uint8_t mark) {
    const int step = mark % 10;
    if (step < 1 || step > 4) return std::nullopt;
    const int tens = mark / 10;
    return ApproachMark{step, tens / 3, tens % 3, tens == 8};
}

bool seriesFilled(std::int64_t cell, std::int64_t cellCount, std::uint8_t stored) {
    return stored != 0 || cell <= cellCount - 3;
}

std::string clockText(std::int64_t seconds) {
    const bool negative = seconds < 0;
    const std::int64_t magnitude = negative ? -seconds : seconds;
    char text[40];
    std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld", negative ? "-" : "",
                  static_cast<long long>(magnitude / 3600), static_cast<long long>(magnitude / 60 % 60),
                  static_cast<long long>(magnitude % 60));
    return text;
}

std::string clockText(int hours, int minutes, int seconds) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, seconds);
    return text;
}

}  // namespace sb::route
