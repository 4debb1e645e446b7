#include "compiler/common/keyword_reader.h"

#include "compiler/common/text_match.h"

namespace sb::compiler {

std::string readKeywordField(FieldReader& reader) {
    std::string field = reader.readKeyword();
    reader.markRowStart();
    return field;
}

std::optional<std::string> nextKeyword(FieldReader& reader, DashSkipping skipping) {
    if (!reader.dataRemains()) return std::nullopt;
    std::string field = readKeywordField(reader);
    if (!reader.dataRemains()) {
        reader.keywordOutcome(KeywordOutcome::NotInterpreted);
        return std::nullopt;
    }
    if (skipping == DashSkipping::Header) {
        for (int skip = 0; skip < 10 && contains(field, "-"); ++skip) {
            reader.keywordOutcome(KeywordOutcome::Disabled);
            field = readKeywordField(reader);
        }
        reader.keywordOutcome(KeywordOutcome::Interpreted);
        return field;
    }
    for (int skip = 0; skip < 2 && contains(field, "-"); ++skip) {
        reader.keywordOutcome(KeywordOutcome::Disabled);
        field = readKeywordField(reader);
        if (!reader.dataRemains()) {
            reader.keywordOutcome(KeywordOutcome::NotInterpreted);
            return std::nullopt;
        }
    }
    reader.keywordOutcome(KeywordOutcome::Interpreted);
    return field;
}

}  // namespace sb::compiler
