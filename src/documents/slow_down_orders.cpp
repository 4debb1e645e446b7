#include "documents/slow_down_orders.h"

#include <string_view>

#include "model/file_names.h"

namespace sb::documents {

namespace {

constexpr std::string_view blankRow =
    " |   |                            |            |          |         |            |";
constexpr std::string_view closingRule =
    " |___|____________________________|____________|__________|_________|____________|";
constexpr std::size_t blankRowsAfterRestriction = 24;

}  // namespace

text::TextLines builtInSlowDownOrders() {
    text::TextLines lines;
    std::size_t count = 0;
    const auto add = [&](std::string_view line) { text::appendLine(lines, count, line); };
    add("");
    add("                               Modulo M. 3");
    add("                           ORDINE DI RALLENTAMENTO");
    add(" ________________________________________________________________________________");
    add("  Linea  VELDRA  PALV");
    add("");
    add("  Si ordina al macchinista del treno 2638  di effettuare i seguenti rallentamenti");
    add("  _______________________________________________________________________________");
    add(" |   |                            |Inizio dopo |          |         |            |");
    add(" | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|");
    add(" |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |");
    add(closingRule);
    add(blankRow);
    // The one restriction of the train source file: 30 km/h over 50 m, between
    // the stations on either side of it.
    add(" | 1 | CORTALBA - PONTEFOSCO      |   35.000   |    30    |    50   |            |");
    for (std::size_t i = 0; i < blankRowsAfterRestriction; ++i) add(blankRow);
    add(closingRule);
    add("");
    add("              Prescrizioni specifiche");
    add(" A - Da rispettare con tutto il treno (per i treni viaggiatori)");
    add(" B - Interessa anche la stazione di.......");
    add(" D - Rallentamneto N. ... e N. ...  sono contigui");
    add(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
    add("     i giorni esclusi i seguenti:.........");
    text::closeLines(lines, count);
    return lines;
}

void writeSlowDownOrders(const std::string& folder, const std::string& lineName, const std::string& trainNumber) {
    text::writeTextLines(folder, names::slowDownOrders(lineName, trainNumber), builtInSlowDownOrders());
}

}  // namespace sb::documents
