#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "documents/notes.h"
#include "documents/slow_down_orders.h"
#include "documents/train_sheet.h"
#include "builtin/document_lines.h"

namespace {

using sbtest::documentLines;

std::vector<std::size_t> barPositions(const std::string& line) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == '|') positions.push_back(i + 1);  // counted from 1
    return positions;
}

TEST(Notes, AreFortySixEmptyLines) {
    const std::string bytes = sb::text::renderTextLines(sb::documents::builtInNotes());
    std::string expected;
    for (int i = 0; i < 46; ++i) expected += "\r\n";
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), 92u);
}

TEST(SlowDownOrders, FixedLinesAreExact) {
    const auto lines = documentLines(sb::documents::builtInSlowDownOrders());
    ASSERT_EQ(lines.size(), 46u);
    const std::string blank = " |   |                            |            |          |         |            |";
    const std::string rule = " |___|____________________________|____________|__________|_________|____________|";
    const std::map<std::size_t, std::string> expected = {
        {0, ""},
        {1, "                               Modulo M. 3"},
        {2, "                           ORDINE DI RALLENTAMENTO"},
        {3, " ________________________________________________________________________________"},
        {4, "  Linea  VELDRA  PALV"},
        {5, ""},
        {6, "  Si ordina al macchinista del treno 2638  di effettuare i seguenti rallentamenti"},
        {7, "  _______________________________________________________________________________"},
        {8, " |   |                            |Inizio dopo |          |         |            |"},
        {9, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
        {10, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
        {11, rule},
        {12, blank},
        {38, rule},
        {39, ""},
        {40, "              Prescrizioni specifiche"},
        {41, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
        {42, " B - Interessa anche la stazione di......."},
        {43, " D - Rallentamneto N. ... e N. ...  sono contigui"},
        {44, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
        {45, "     i giorni esclusi i seguenti:........."},
    };
    for (const auto& [index, text] : expected) EXPECT_EQ(lines[index], text) << index;
    for (std::size_t i = 14; i <= 37; ++i) EXPECT_EQ(lines[i], blank) << i;
}

TEST(SlowDownOrders, TableLinesKeepTheGrid) {
    const auto lines = documentLines(sb::documents::builtInSlowDownOrders());
    const std::vector<std::size_t> bars = {2, 6, 35, 48, 59, 69, 82};
    for (std::size_t i = 8; i <= 38; ++i) {
        EXPECT_EQ(lines[i].size(), 82u) << i;
        EXPECT_EQ(barPositions(lines[i]), bars) << i;
    }
    for (std::size_t i : {3u, 6u, 7u}) EXPECT_EQ(lines[i].size(), 81u) << i;
}

TEST(SlowDownOrders, RestrictionRowCells) {
    const std::string row = documentLines(sb::documents::builtInSlowDownOrders())[13];
    EXPECT_EQ(row.substr(2, 3), " 1 ");
    EXPECT_EQ(row.substr(35, 12), "   35.000   ");
    EXPECT_EQ(row.substr(48, 10), "    30    ");
    EXPECT_EQ(row.substr(59, 9), "    50   ");
    EXPECT_EQ(row.substr(69, 12), std::string(12, ' '));
    const std::string stations = row.substr(6, 28);
    EXPECT_EQ(stations[0], ' ');
    EXPECT_NE(stations.find(" - "), std::string::npos);
}

TEST(TrainSheet, FixedLinesAreExact) {
    const auto lines = documentLines(sb::documents::builtInTrainSheet());
    ASSERT_EQ(lines.size(), 49u);
    const std::string blank = " |     |     |          |     |                            |                |     |";
    const std::string rule = " |_____|_____|__________|_____|____________________________|________________|_____|";
    const std::map<std::size_t, std::string> expected = {
        {0, ""},
        {1, ""},
        {2, "  ___________________                                               ______________"},
        {3, " |                   |                    SCHEDA                   |              |"},
        {4, " |   TRENO n.2638    |                   da: VELDRA                |    V110 C    |"},
        {5, " |___________________|                    a: PALV                  |      80%     |"},
        {6, "                                                                   |______________|"},
        {7, "  ___________________                ___________________"},
        {8, " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "},
        {9, " |     LOCALE        |              |      230T         |"},
        {10, " |___________________|              |___________________|"},
        {11, ""},
        {12, "  ________________________________________________________________________________"},
        {13, " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |"},
        {14, " | Lim.|Marc.|          |  Rs |                            |                |     |"},
        {15, rule},
        {47, rule},
        {48, ""},
    };
    for (const auto& [index, text] : expected) EXPECT_EQ(lines[index], text) << index;
    for (std::size_t i = 35; i <= 46; ++i) EXPECT_EQ(lines[i], blank) << i;

    const std::map<std::size_t, std::size_t> widths = {{2, 82}, {12, 82}, {7, 56}, {8, 64}, {9, 57}, {10, 57}};
    for (const auto& [index, width] : widths) EXPECT_EQ(lines[index].size(), width) << index;
    const std::vector<std::size_t> bars = {2, 8, 14, 25, 31, 60, 77, 83};
    for (std::size_t i = 13; i <= 47; ++i) {
        EXPECT_EQ(lines[i].size(), 83u) << i;
        EXPECT_EQ(barPositions(lines[i]), bars) << i;
    }
}

TEST(TrainSheet, QuotedTimetableRowsAreExact) {
    const auto lines = documentLines(sb::documents::builtInTrainSheet());
    const std::vector<std::string> quoted = {
        " |  50 |     |    0.000 | 40  | VELDRA                     |          13.15 |     |",
        " |  85 |     |    1.250 | 70  | FERMATA 1                  |13.17.30  13.18 |     |",
        " |     |     |   30.350 |     | VALMORA                    |13.57     13.58 |     |",
        " |     |     |   32.350 |     | CORTALBA                   |      14.01     |     |",
        " | 120 |     |   24.550 | 90  | Cippo Chilometrico 24.550  |      13.53     | 1.5 |",
        " |     |     |   44.550 |     | SERRALTA PALV              |14.16           |     |",
    };
    EXPECT_EQ(lines[16], quoted[0]);
    EXPECT_EQ(lines[17], quoted[1]);
    EXPECT_EQ(lines[34], quoted[5]);
    for (const std::string& row : quoted) EXPECT_EQ(std::count(lines.begin() + 16, lines.begin() + 35, row), 1) << row;
}

}  // namespace
