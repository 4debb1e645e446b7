#include "builtin/line_source.h"

#include <string_view>

#include "model/file_names.h"

namespace sb::builtin {

namespace {

constexpr std::string_view generalLines[] = {
    "lunghezza percorso,    44000",
    "progressiva chilometrica uno,    0,    0,    0",
    "progressiva chilometrica due,    0,    0,    0",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    1",
    "sfondo due,    5000",
    "sfondo tre,    15000",
    "ripetizione segnali 9 codici,    1000,    42000",
};

// side 'd' or 's', sharpness class 1 to 6, start and extent in metres.
struct Curve {
    char side;
    int sharpness;
    int position;
    int extent;
};

// Tight curves in the valley out of Veldra, gentle ones through the summit
// tunnel where the line runs at 120 km/h.
constexpr Curve curves[] = {
    {'d', 6, 750, 50},    {'s', 6, 800, 150},   {'d', 6, 1000, 200},  {'s', 6, 1450, 300},  {'d', 6, 1750, 250},
    {'s', 5, 2300, 300},  {'d', 5, 2600, 400},  {'s', 3, 3500, 300},  {'d', 6, 4500, 200},  {'s', 6, 4700, 300},
    {'d', 5, 5400, 350},  {'s', 5, 6100, 300},  {'d', 6, 6700, 250},  {'s', 4, 8300, 500},  {'d', 5, 8800, 300},
    {'s', 5, 9500, 450},  {'d', 6, 10300, 300}, {'s', 6, 10600, 200}, {'d', 5, 11100, 300}, {'s', 4, 12600, 300},
    {'d', 4, 13100, 200}, {'s', 5, 14200, 300}, {'d', 6, 14500, 350}, {'s', 6, 15100, 300}, {'d', 5, 15700, 600},
    {'s', 5, 16700, 300}, {'d', 6, 17000, 150}, {'s', 6, 17400, 300}, {'d', 5, 17900, 400}, {'s', 2, 18700, 300},
    {'d', 4, 19300, 300}, {'s', 5, 19600, 500}, {'d', 5, 20150, 300}, {'s', 5, 20500, 750}, {'d', 6, 21400, 300},
    {'s', 4, 21750, 250}, {'s', 3, 22300, 450}, {'s', 3, 23900, 200}, {'d', 3, 24200, 650}, {'s', 4, 25300, 700},
    {'d', 3, 26600, 550}, {'s', 3, 27600, 600}, {'s', 4, 28900, 300}, {'d', 4, 29200, 400}, {'s', 5, 29900, 300},
    {'d', 5, 31000, 300}, {'s', 5, 31300, 350}, {'d', 6, 32600, 300}, {'s', 6, 33100, 200}, {'d', 5, 33300, 300},
    {'s', 4, 34200, 300}, {'d', 6, 35900, 300}, {'s', 5, 36200, 400}, {'d', 4, 36900, 350}, {'s', 4, 37500, 300},
    {'d', 5, 38700, 450}, {'s', 5, 39300, 250}, {'d', 6, 39600, 250}, {'s', 4, 40200, 300}, {'d', 4, 40900, 400},
    {'s', 5, 41500, 300}, {'d', 5, 41800, 300}, {'s', 6, 42300, 350}, {'s', 4, 43050, 300}, {'s', 4, 43350, 350},
};

// Gradient in per mille from the position on; the value is written as it
// stands (the first one is fractional).
struct Gradient {
    int position;
    std::string_view value;
};

// Climb from Veldra, a steep drop to Roncadello, the second climb to the
// summit in the tunnel, the descent to Valmora and the final climb.
// Stations lie on level track.
constexpr Gradient gradients[] = {
    {0, "-1.4"},   {1100, "2"},   {1900, "4"},   {2600, "6"},    {3400, "9"},   {3950, "0"},   {4400, "8"},
    {5300, "12"},  {6300, "10"},  {7500, "0"},   {8100, "7"},    {9000, "11"},  {10200, "14"}, {11200, "5"},
    {11950, "0"},  {12450, "6"},  {13350, "0"},  {13950, "-4"},  {14700, "-9"}, {15600, "-12"}, {16500, "-8"},
    {17150, "-17"}, {17850, "-6"}, {18200, "0"}, {18750, "4"},   {19400, "9"},  {20350, "0"},  {20850, "10"},
    {21900, "13"}, {23200, "0"},  {23900, "8"},  {24900, "5"},   {26200, "0"},  {26700, "-6"}, {27800, "-10"},
    {28450, "0"},  {28800, "-9"}, {30100, "0"},  {30650, "-5"},  {31600, "3"},  {32250, "0"},  {32700, "-7"},
    {34000, "-3"}, {35000, "0"},  {35600, "6"},  {37000, "2"},   {39400, "8"},  {42050, "18"}, {43400, "4"},
    {44000, "3"},  {45450, "0"},
};

constexpr std::string_view speedIndicatorLines[] = {
    "indicatori_vmax,  300,  50,  40,  30,  0,  50,  40,  30,  0",
    "indicatori_vmax,  650,  85,  70,  65,  2,  85,  70,  65,  2",
    "indicatori_vmax,  900,  85,  70,  65,  1,  85,  70,  65,  1",
    "indicatori_vmax,  1000,  85,  70,  65,  0,  85,  70,  65,  0",
    "indicatori_vmax,  24300,  120,  95,  80,  2,  120,  95,  80,  2",
    "indicatori_vmax,  24400,  120,  95,  80,  1,  120,  95,  80,  1",
    "indicatori_vmax,  24550,  120,  95,  80,  0,  120,  95,  80,  0",
    "indicatori_vmax,  28450,  85,  70,  65,  2,  85,  70,  65,  2",
    "indicatori_vmax,  28500,  85,  70,  65,  1,  85,  70,  65,  1",
    "indicatori_vmax,  28700,  85,  70,  65,  0,  85,  70,  65,  0",
    "indicatori_vmax,  45000,  70,  50,  50,  0,  70,  50,  50,  0",
};

struct Board {
    int position;
    std::string_view label;  // parentheses included: they are part of the label
};

// One board per stop of the service (none at the origin), plus the two
// portals of the summit tunnel. Each stands on a cell of its own, clear of
// the stop cells of the stations.
constexpr Board boards[] = {
    {1250, "(FERMATA 1)"},   {4150, "(MOLVERA)"},           {7800, "(CASALE RONCHI)"},
    {12200, "(VALLESORDA)"}, {13650, "(BORGONERO)"},        {16250, "(LE FORNACI)"},
    {18450, "(RONCADELLO)"}, {20600, "(SASSO BIANCO)"},     {23650, "(MONTEGRIGIO)"},
    {24650, "(GALLERIA CORNELLA)"}, {28200, "(GALLERIA CORNELLA)"}, {28600, "(PIANVECCHIO)"},
    {30350, "(VALMORA)"},    {32350, "(CORTALBA)"},         {35300, "(PONTEFOSCO)"},
    {38100, "(VILLARSA)"},   {43100, "(COLLE MARZO)"},      {45550, "(SERRALTA)(PALV        )"},
};

std::string curveLine(const Curve& c) {
    return std::string("curva") + c.side + std::to_string(c.sharpness) + ",  " + std::to_string(c.position) + ",  " +
           std::to_string(c.extent);
}

std::string gradientLine(const Gradient& g) {
    return "pendenza,  " + std::to_string(g.position) + ",   " + std::string(g.value);
}

std::string boardLine(const Board& b) {
    return "cartello_indicatore,  " + std::to_string(b.position) + ",   " + std::string(b.label);
}

}  // namespace

text::TextLines builtInLineSource() {
    text::TextLines lines;
    std::size_t count = 0;
    text::appendLine(lines, count, "[generale]");
    for (std::string_view line : generalLines) text::appendLine(lines, count, line);
    text::appendLine(lines, count, "[curve]");
    for (const Curve& c : curves) text::appendLine(lines, count, curveLine(c));
    text::appendLine(lines, count, "[pendenze]");
    for (const Gradient& g : gradients) text::appendLine(lines, count, gradientLine(g));
    text::appendLine(lines, count, "[montagne]");
    text::appendLine(lines, count, "[cartelli]");
    for (std::string_view line : speedIndicatorLines) text::appendLine(lines, count, line);
    text::appendLine(lines, count, "[indicazioni]");
    for (const Board& b : boards) text::appendLine(lines, count, boardLine(b));
    text::appendLine(lines, count, "[fine]");
    text::closeLines(lines, count);
    return lines;
}

std::string builtInLineSourceText() { return text::renderTextLines(builtInLineSource()); }

void writeLineSource(const std::string& folder, const std::string& lineName) {
    text::writeTransientTextLines(folder, names::lineSource(lineName), builtInLineSource());
}

}  // namespace sb::builtin
