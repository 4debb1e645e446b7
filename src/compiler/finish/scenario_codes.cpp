#include "compiler/finish/scenario_codes.h"

namespace sb::compiler {

unsigned char lowerSingleByte(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x8A: return 0x9A;
        case 0x8C: return 0x9C;
        case 0x8E: return 0x9E;
        case 0x9F: return 0xFF;
        default: return c;
    }
}

std::string codeString(const RouteModel& model) {
    std::string code = model.scenario[trainHeaderEntry].text + model.scenario[lineHeaderEntry].text;
    for (char& ch : code) ch = static_cast<char>(lowerSingleByte(static_cast<unsigned char>(ch)));
    code += codeFiller;
    return code;
}

std::int16_t unweightedScenarioCode(const RouteModel& model) {
    const std::string code = codeString(model);
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < 25; ++i) sum += static_cast<unsigned char>(code[i]);
    return static_cast<std::int16_t>(sum);  // at most 25 * 255
}

std::int32_t weightedScenarioCode(const RouteModel& model) {
    const std::string code = codeString(model);
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < 25; ++i) sum += static_cast<std::int32_t>(i + 1) * static_cast<unsigned char>(code[i]);
    return sum;
}

}  // namespace sb::compiler
