#include "documents/train_sheet.h"

#include <string_view>

#include "model/file_names.h"
#include "text/fixed_width.h"

namespace sb::documents {

namespace {

using text::padLeft;
using text::padRight;
using text::rightAligned;

// One timetable point. Times are "hh.mm" or "hh.mm.ss"; an empty text leaves
// its place blank. A passing point has only `passing`; the origin only a
// departure, the destination only an arrival, a stop both.
struct TimetableRow {
    int speedLimit;  // km/h; 0 leaves the cell blank
    int rs;          // 0 leaves the cell blank
    int metres;      // kilometre of the point, in metres
    std::string_view name;
    std::string_view arrival;
    std::string_view departure;
    std::string_view passing;
    std::string_view rec;
};

// Kilometres are those shown on the stations' boards. Stops agree with the
// train source file: its time is the departure here and its stop time the
// difference from the arrival.
constexpr TimetableRow timetable[] = {
    {50, 40, 0, "VELDRA", "", "13.15", "", ""},
    {85, 70, 1250, "FERMATA 1", "13.17.30", "13.18", "", ""},
    {0, 0, 4150, "MOLVERA", "13.21.30", "13.22", "", ""},
    {0, 0, 7800, "CASALE RONCHI", "13.26.30", "13.28", "", ""},
    {0, 0, 12200, "VALLESORDA", "13.33", "13.34", "", ""},
    {0, 0, 13650, "BORGONERO", "13.36.30", "13.37", "", ""},
    {0, 0, 16250, "LE FORNACI", "13.40.30", "13.41", "", ""},
    {0, 0, 18450, "RONCADELLO", "13.44.30", "13.45", "", ""},
    {0, 0, 20600, "SASSO BIANCO", "13.47.30", "13.48", "", ""},
    {85, 70, 23650, "MONTEGRIGIO", "13.51.30", "13.52", "", ""},
    {120, 90, 24550, "Cippo Chilometrico 24.550", "", "", "13.53", "1.5"},
    {85, 70, 28500, "Cippo Chilometrico 28.500", "", "", "13.55", ""},
    {0, 0, 28600, "PIANVECCHIO", "", "", "13.55", ""},
    {0, 0, 30350, "VALMORA", "13.57", "13.58", "", ""},
    {0, 0, 32350, "CORTALBA", "", "", "14.01", ""},
    {0, 0, 35300, "PONTEFOSCO", "14.04", "14.05", "", ""},
    {0, 0, 38100, "VILLARSA", "14.08.30", "14.09", "", ""},
    {0, 0, 43100, "COLLE MARZO", "", "", "14.13", ""},
    {0, 0, 44550, "SERRALTA PALV", "14.16", "", "", ""},
};

constexpr std::string_view blankRow =
    " |     |     |          |     |                            |                |     |";
constexpr std::string_view closingRule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
constexpr std::size_t blankRowCount = 12;

// "24.550" for 24550 m.
std::string kilometre(int metres) {
    std::string thousandths = std::to_string(metres % 1000);
    thousandths.insert(0, 3 - thousandths.size(), '0');
    return std::to_string(metres / 1000) + "." + thousandths;
}

std::string timeCell(const TimetableRow& row) {
    if (!row.passing.empty()) return "      " + std::string(row.passing) + "     ";
    if (row.arrival.empty()) return padLeft(row.departure, 15) + " ";
    if (row.departure.empty()) return padRight(row.arrival, 16);
    return padRight(row.arrival, 10) + std::string(row.departure) + " ";
}

std::string timetableLine(const TimetableRow& row) {
    const std::string limit = row.speedLimit != 0 ? rightAligned(row.speedLimit, 4) + " " : "     ";
    const std::string rs = row.rs != 0 ? std::string(" ") + padLeft(std::to_string(row.rs), 2) + "  " : "     ";
    const std::string rec = row.rec.empty() ? "     " : std::string(" ") + std::string(row.rec) + " ";
    return std::string(" |") + limit + "|     |" + padLeft(kilometre(row.metres), 9) + " |" + rs + "|" +
           padRight(std::string(" ") + std::string(row.name), 28) + "|" + timeCell(row) + "|" + rec + "|";
}

}  // namespace

text::TextLines builtInTrainSheet() {
    text::TextLines lines;
    std::size_t count = 0;
    const auto add = [&](std::string_view line) { text::appendLine(lines, count, line); };
    add("");
    add("");
    add("  ___________________                                               ______________");
    add(" |                   |                    SCHEDA                   |              |");
    add(" |   TRENO n.2638    |                   da: VELDRA                |    V110 C    |");
    add(" |___________________|                    a: PALV                  |      80%     |");
    add("                                                                   |______________|");
    add("  ___________________                ___________________");
    add(" |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ");
    add(" |     LOCALE        |              |      230T         |");
    add(" |___________________|              |___________________|");
    add("");
    add("  ________________________________________________________________________________");
    add(" | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |");
    add(" | Lim.|Marc.|          |  Rs |                            |                |     |");
    add(closingRule);
    for (const TimetableRow& row : timetable) add(timetableLine(row));
    for (std::size_t i = 0; i < blankRowCount; ++i) add(blankRow);
    add(closingRule);
    add("");
    text::closeLines(lines, count);
    return lines;
}

void writeTrainSheet(const std::string& folder, const std::string& lineName, const std::string& trainNumber) {
    text::writeTextLines(folder, names::trainSheet(lineName, trainNumber), builtInTrainSheet());
}

}  // namespace sb::documents
