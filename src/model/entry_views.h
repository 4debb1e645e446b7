// The scenario-table entries seen by role: the entry keeps the storage slots
// the compiled record has (format/layouts.h), and each view names what the
// slots hold for its role, so code says station.stopTime, not entry.byteC.
// A view is a set of references into one entry; a const entry gives a
// read-only view.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "model/route_model.h"

namespace sb {

namespace entry_view {
// T, const when the entry is.
template <typename Entry, typename T>
using Slot = std::conditional_t<std::is_const_v<Entry>, const T, T>&;
}  // namespace entry_view

// Entries 1 upward: one per station, in the train file's order.
template <typename Entry>
struct StationEntryOf {
    explicit StationEntryOf(Entry& e)
        : kind(e.kind), areaStart(e.longA), areaEnd(e.longB), position(e.longC), scheduledTime(e.longD),
          flagA(e.byteA), flagB(e.byteE), flagC(e.byteD), codeA1(e.intA), codeA2(e.intB), codeA3(e.byteB),
          codeB1(e.intC), codeB2(e.intD), codeB3(e.intE), stopTime(e.byteC), name(e.text) {}
    entry_view::Slot<Entry, std::uint8_t> kind;
    entry_view::Slot<Entry, std::int32_t> areaStart;      // metres
    entry_view::Slot<Entry, std::int32_t> areaEnd;        // metres; the stop cell is just before it
    entry_view::Slot<Entry, std::int32_t> position;       // metres, as written
    entry_view::Slot<Entry, std::int32_t> scheduledTime;  // seconds of the day
    entry_view::Slot<Entry, std::uint8_t> flagA;
    entry_view::Slot<Entry, std::uint8_t> flagB;  // counts for long stations only
    entry_view::Slot<Entry, std::uint8_t> flagC;  // a centred area ends 50 m further
    entry_view::Slot<Entry, std::int16_t> codeA1;
    entry_view::Slot<Entry, std::int16_t> codeA2;
    entry_view::Slot<Entry, std::uint8_t> codeA3;
    entry_view::Slot<Entry, std::int16_t> codeB1;
    entry_view::Slot<Entry, std::int16_t> codeB2;
    entry_view::Slot<Entry, std::int16_t> codeB3;
    entry_view::Slot<Entry, std::uint8_t> stopTime;  // seconds
    entry_view::Slot<Entry, std::string> name;
};

// Entries 81 to 83: one set of kilometre posts each.
template <typename Entry>
struct KmPostEntryOf {
    explicit KmPostEntryOf(Entry& e) : position(e.longA), value(e.longB), flag(e.longC) {}
    entry_view::Slot<Entry, std::int32_t> position;  // metres
    entry_view::Slot<Entry, std::int32_t> value;     // metres
    entry_view::Slot<Entry, std::int32_t> flag;
};

// Entry 84.
template <typename Entry>
struct TrainRouteEntryOf {
    explicit TrainRouteEntryOf(Entry& e) : brakedMass(e.longA), routeLength(e.longB), cars(e.longC) {}
    entry_view::Slot<Entry, std::int32_t> brakedMass;   // per cent
    entry_view::Slot<Entry, std::int32_t> routeLength;  // metres
    entry_view::Slot<Entry, std::int32_t> cars;
};

// Entry 85.
template <typename Entry>
struct LineHeaderEntryOf {
    explicit LineHeaderEntryOf(Entry& e)
        : backgroundOne(e.longA), backgroundTwo(e.longC), backgroundThree(e.longB), formatMark(e.intA),
          scenarioCode(e.longD), lineName(e.text) {}
    entry_view::Slot<Entry, std::int32_t> backgroundOne;
    entry_view::Slot<Entry, std::int32_t> backgroundTwo;
    entry_view::Slot<Entry, std::int32_t> backgroundThree;
    entry_view::Slot<Entry, std::int16_t> formatMark;
    entry_view::Slot<Entry, std::int32_t> scenarioCode;
    entry_view::Slot<Entry, std::string> lineName;
};

// Entry 86.
template <typename Entry>
struct TrainHeaderEntryOf {
    explicit TrainHeaderEntryOf(Entry& e)
        : repetitionStart(e.longA), repetitionEnd(e.longB), repetitionCodes(e.longC), sand(e.intA),
          clockHours(e.intC), clockMinutes(e.intD), clockSeconds(e.intE), trainNumber(e.text) {}
    entry_view::Slot<Entry, std::int32_t> repetitionStart;  // metres
    entry_view::Slot<Entry, std::int32_t> repetitionEnd;    // metres
    entry_view::Slot<Entry, std::int32_t> repetitionCodes;  // 4, 9, or 0
    entry_view::Slot<Entry, std::int16_t> sand;
    entry_view::Slot<Entry, std::int16_t> clockHours;
    entry_view::Slot<Entry, std::int16_t> clockMinutes;
    entry_view::Slot<Entry, std::int16_t> clockSeconds;
    entry_view::Slot<Entry, std::string> trainNumber;
};

using StationEntry = StationEntryOf<ScenarioEntry>;
using KmPostEntry = KmPostEntryOf<ScenarioEntry>;
using TrainRouteEntry = TrainRouteEntryOf<ScenarioEntry>;
using LineHeaderEntry = LineHeaderEntryOf<ScenarioEntry>;
using TrainHeaderEntry = TrainHeaderEntryOf<ScenarioEntry>;
using ConstStationEntry = StationEntryOf<const ScenarioEntry>;
using ConstKmPostEntry = KmPostEntryOf<const ScenarioEntry>;
using ConstTrainRouteEntry = TrainRouteEntryOf<const ScenarioEntry>;
using ConstLineHeaderEntry = LineHeaderEntryOf<const ScenarioEntry>;
using ConstTrainHeaderEntry = TrainHeaderEntryOf<const ScenarioEntry>;

// The fixed entries of a table, by role.
inline TrainRouteEntry trainRoute(RouteModel& model) { return TrainRouteEntry(model.scenario[trainRouteEntry]); }
inline LineHeaderEntry lineHeader(RouteModel& model) { return LineHeaderEntry(model.scenario[lineHeaderEntry]); }
inline TrainHeaderEntry trainHeader(RouteModel& model) { return TrainHeaderEntry(model.scenario[trainHeaderEntry]); }
inline ConstTrainRouteEntry trainRoute(const RouteModel& model) {
    return ConstTrainRouteEntry(model.scenario[trainRouteEntry]);
}

}  // namespace sb
