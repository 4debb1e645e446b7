#include "builtin/train_source.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "model/file_names.h"
#include "text/fixed_width.h"

namespace sb::builtin {

namespace {

constexpr std::string_view generalLines[] = {
    "numero vetture,    3",
    "percentuale massa frenata,    80",
    "sabbia,    0",
    // Numbers separated by spaces only, with a trailing space: the reader
    // accepts blanks as number separators.
    "orologio,    13              14            30 ",
};

constexpr std::string_view speedLimitLines[] = {
    "velocita,       0,    50",
    "velocita,    1100,    85",
    "velocita,   24100,   120",
    "velocita,   28400,    85",
};

// The sixteen numeric fields of a station row, in file order, then the name.
struct Station {
    long position;
    int kind;
    long length;
    int flagA, flagB, flagC;
    int codeA1, codeA2, codeA3;
    int codeB1, codeB2, codeB3;
    int stopTime;
    int hours, minutes, seconds;
    std::string_view name;
};

// Kinds: 1 origin, 6 destination, 12 station, 22 minor station, 28 halt,
// 27 station the train passes without stopping. A stop carries its departure
// time and the seconds stopped; passing stations and the origin carry time 0;
// the destination carries its arrival time.
constexpr Station stations[] = {
    {0, 1, 600, 0, 0, 0, 1, 1, 0, 2, 4, 1, 1, 0, 0, 0, "VELDRA"},
    {1250, 28, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 13, 18, 0, "FERMATA 1"},
    {4150, 22, 300, 0, 0, 0, 1, 1, 0, 2, 1, 0, 30, 13, 22, 0, "MOLVERA"},
    {7800, 12, 400, 0, 0, 0, 1, 1, 0, 2, 1, 1, 90, 13, 28, 0, "casale ronchi"},
    {12200, 22, 300, 0, 0, 0, 1, 1, 0, 2, 1, 0, 60, 13, 34, 0, "vallesorda"},
    {13650, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 13, 37, 0, "borgonero"},
    {16300, 28, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 13, 41, 0, "le fornaci"},
    {18450, 12, 400, 0, 0, 0, 1, 1, 0, 2, 1, 1, 30, 13, 45, 0, "roncadello"},
    {20600, 22, 300, 0, 0, 0, 1, 1, 0, 2, 1, 0, 30, 13, 48, 0, "sasso bianco"},
    {23550, 12, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 13, 52, 0, "montegrigio"},
    {28600, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "pianvecchio"},
    {30350, 12, 400, 0, 0, 0, 1, 1, 0, 2, 4, 1, 60, 13, 58, 0, "valmora"},
    {32400, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "cortalba"},
    {35300, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 60, 14, 5, 0, "pontefosco"},
    {38150, 12, 400, 0, 0, 0, 1, 1, 0, 2, 1, 1, 30, 14, 9, 0, "villarsa"},
    {43100, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "colle marzo"},
    {46000, 6, 700, 0, 0, 0, 1, 1, 0, 2, 1, 1, 1, 14, 16, 0, "serralta palv"},
};

constexpr std::string_view signalLines[] = {
    "segnale,    4000,   1, 3, 1,  0, 0,    1,  2,1,0, 0",
    "segnale,    4600,   2, 4, 1,  0, 0,    2,  2,1,0, 212",
    "segnale,    6000,   1, 3, 4,  1, 0,    1,  2,1,1, 0",
    "segnale,    7000,   2, 2, 3,  1, 0,    2,  2,1,0, 0",
    "segnale,   12000,   1, 3, 4,  0, 0,    1,  1,1,0, 0",
    "segnale,   12800,   2, 2, 3,  1, 0,    2,  2,1,1, 0",
    "segnale,   17050,   1, 5, 1,  1, 0,    1,  1,1,0, 0",
    "segnale,   17800,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
    "segnale,   22200,   1, 3, 4,  0, 0,    1,  1,1,0, 0",
    "segnale,   22900,   2, 2, 3,  0, 0,    2,  2,1,0, 0",
    "segnale,   25450,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,   28900,   1, 5, 1,  0, 0,    1,  2,4,0, 0",
    "segnale,   29600,   2, 3, 1,  0, 0,    2,  2,4,0, 0",
    "segnale,   33800,   1, 1, 5,  0, 0,    1,  2,1,0, 0",
    "segnale,   34500,   2, 1, 3,  1, 0,    2,  2,1,1, 0",
    "segnale,   36200,   1, 5, 1,  0, 0,    1,  2,1,0, 0",
    "segnale,   37200,   2, 3, 1,  0, 0,    2,  2,1,0, 0",
    "segnale,   42800,   1, 5, 1,  0, 0,    1,  2,1,0, 0",
    "segnale,   44450,   2, 3, 1,  0, 0,    2,  2,1,0, 0",
};

std::string stationLine(const Station& s) {
    // Width of each numeric field between its commas.
    constexpr std::array<std::size_t, 16> widths = {8, 3, 5, 3, 2, 2, 3, 1, 1, 3, 1, 1, 5, 4, 2, 2};
    const std::array<long long, 16> values = {s.position, s.kind,   s.length, s.flagA,    s.flagB, s.flagC,
                                              s.codeA1,   s.codeA2, s.codeA3, s.codeB1,   s.codeB2, s.codeB3,
                                              s.stopTime, s.hours,  s.minutes, s.seconds};
    std::string line = "stazione";
    for (std::size_t i = 0; i < values.size(); ++i) {
        line += ',';
        line += text::rightAligned(values[i], widths[i]);
    }
    line += ", ";
    line += s.name;
    return line;
}

}  // namespace

text::TextLines builtInTrainSource() {
    text::TextLines lines;
    std::size_t count = 0;
    text::appendLine(lines, count, "[generale]");
    for (std::string_view line : generalLines) text::appendLine(lines, count, line);
    text::appendLine(lines, count, "[aderenze]");
    text::appendLine(lines, count, "aderenza,   0,    100");
    text::appendLine(lines, count, "[vel_limite]");
    for (std::string_view line : speedLimitLines) text::appendLine(lines, count, line);
    text::appendLine(lines, count, "[stazioni]");
    for (const Station& s : stations) text::appendLine(lines, count, stationLine(s));
    text::appendLine(lines, count, "[rallentamenti]");
    text::appendLine(lines, count, "rallentamento,   34850,    30,   50, 0,  1,  0");
    text::appendLine(lines, count, "[segnali]");
    for (std::string_view line : signalLines) text::appendLine(lines, count, line);
    text::appendLine(lines, count, "[codici]");
    text::appendLine(lines, count, "[fine]");
    text::closeLines(lines, count);
    return lines;
}

std::string builtInTrainSourceText() { return text::renderTextLines(builtInTrainSource()); }

void writeTrainSource(const std::string& folder, const std::string& lineName, const std::string& trainNumber) {
    text::writeTransientTextLines(folder, names::trainSource(lineName, trainNumber), builtInTrainSource());
}

}  // namespace sb::builtin
