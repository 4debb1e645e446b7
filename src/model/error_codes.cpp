#include "model/error_codes.h"

namespace sb::error {

const ErrorInfo* find(std::int32_t code) {
    for (const ErrorInfo& info : catalogue) {
        if (info.code == code) return &info;
    }
    return nullptr;
}

std::string_view cause(std::int32_t code) {
    const ErrorInfo* info = find(code);
    return info != nullptr ? info->cause : std::string_view();
}

bool hasPosition(std::int32_t code) {
    const ErrorInfo* info = find(code);
    return info != nullptr && info->hasPosition;
}

}  // namespace sb::error
