#include "compiler/common/keywords.h"

#include "compiler/common/text_match.h"

namespace sb::compiler {

namespace {

constexpr std::string_view routeLengthForms[] = {"lunghezza percorso"};
constexpr std::string_view kmPostThreeForms[] = {"progressiva chilometrica tre"};
constexpr std::string_view kmPostTwoForms[] = {"progressiva chilometrica due"};
constexpr std::string_view kmPostOneForms[] = {"progressiva chilometrica uno"};
constexpr std::string_view backgroundOneForms[] = {"sfondo uno"};
constexpr std::string_view backgroundTwoForms[] = {"sfondo due"};
constexpr std::string_view backgroundThreeForms[] = {"sfondo tre"};
constexpr std::string_view repetitionForms[] = {"ripetizione segnali 9 codici", "ripetizione segnali 4 codici"};
constexpr std::string_view gradientForms[] = {"pendenza"};
constexpr std::string_view curveForms[] = {"curvad1", "curvad2", "curvad3", "curvad4", "curvad5", "curvad6",
                                           "curvas1", "curvas2", "curvas3", "curvas4", "curvas5", "curvas6"};
constexpr std::string_view mountainForms[] = {"montagna"};
constexpr std::string_view indicatorForms[] = {"indicatori_vmax"};
constexpr std::string_view boardForms[] = {"cartello_indicatore"};
constexpr std::string_view brakedMassForms[] = {"percentuale massa frenata"};
constexpr std::string_view carsForms[] = {"numero vetture"};
constexpr std::string_view lineSpeedForms[] = {"velocita"};
constexpr std::string_view adhesionForms[] = {"aderenza"};
constexpr std::string_view clockForms[] = {"orologio"};
constexpr std::string_view sandForms[] = {"sabbia"};
constexpr std::string_view signalForms[] = {"segnale"};
constexpr std::string_view restrictionForms[] = {"rallentamento"};
constexpr std::string_view codePointForms[] = {"abbattimento"};
constexpr std::string_view stationForms[] = {"stazione"};

constexpr KeywordSection header = KeywordSection::LineHeader;
constexpr KeywordSection features = KeywordSection::LineFeatures;
constexpr KeywordSection train = KeywordSection::Train;

// In RowKind order, which is also the order of the tests within each section.
constexpr KeywordInfo catalogue[] = {
    {RowKind::routeLength, header, "lunghezza", "percorso", true, routeLengthForms, "route length"},
    {RowKind::kmPostThree, header, "progressiva", "tre", false, kmPostThreeForms, "kilometre-post set three"},
    {RowKind::kmPostTwo, header, "progressiva", "due", false, kmPostTwoForms, "kilometre-post set two"},
    {RowKind::kmPostOne, header, "progressiva", "uno", false, kmPostOneForms, "kilometre-post set one"},
    {RowKind::backgroundOne, header, "sfondo", "uno", false, backgroundOneForms, "background one"},
    {RowKind::backgroundTwo, header, "sfondo", "due", false, backgroundTwoForms, "background two"},
    {RowKind::backgroundThree, header, "sfondo", "tre", false, backgroundThreeForms, "background three"},
    {RowKind::signalRepetition, header, "ripetizione", "segnali", false, repetitionForms, "signal repetition"},
    {RowKind::gradient, features, "pendenza", "", true, gradientForms, "gradient"},
    {RowKind::curve, features, "curva", "", true, curveForms, "curve"},
    {RowKind::mountain, features, "montagna", "", true, mountainForms, "mountain stretch"},
    {RowKind::speedIndicator, features, "indicatori_v", "", true, indicatorForms, "speed indicator"},
    {RowKind::board, features, "indicat", "cartello", true, boardForms, "location board"},
    {RowKind::brakedMass, train, "frenata", "massa", true, brakedMassForms, "braked mass"},
    {RowKind::cars, train, "vetture", "", true, carsForms, "number of cars"},
    {RowKind::lineSpeed, train, "velocit", "", true, lineSpeedForms, "line speed"},
    {RowKind::adhesion, train, "aderenza", "", true, adhesionForms, "adhesion"},
    {RowKind::clock, train, "orologio", "", true, clockForms, "clock"},
    {RowKind::sand, train, "sabbia", "", true, sandForms, "sand"},
    {RowKind::signal, train, "segnale", "", true, signalForms, "signal"},
    {RowKind::restriction, train, "rallentamento", "", true, restrictionForms, "speed restriction"},
    {RowKind::codePoint, train, "abbattimento", "", true, codePointForms, "code point"},
    {RowKind::station, train, "stazione", "", true, stationForms, "station"},
};

bool holds(std::string_view field, std::string_view part, bool ignoreCase) {
    if (part.empty()) return true;
    return ignoreCase ? containsNoCase(field, part) : contains(field, part);
}

}  // namespace

std::span<const KeywordInfo> keywordCatalogue() { return catalogue; }

const KeywordInfo& keywordInfo(RowKind kind) { return catalogue[static_cast<std::size_t>(kind)]; }

bool keywordMatches(RowKind kind, std::string_view field) {
    const KeywordInfo& info = keywordInfo(kind);
    return holds(field, info.first, info.ignoreCase) && holds(field, info.second, info.ignoreCase);
}

}  // namespace sb::compiler
