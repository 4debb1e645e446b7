#include "compiler/common/rows.h"

namespace sb {

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

}  // namespace sb
