#include "platform/LocalTime.h"

namespace brindle {

std::tm LocalTime(std::time_t when) { return LocalTimeIfKnown(when).value_or(std::tm{}); }

std::optional<std::tm> LocalTimeIfKnown(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return std::nullopt;
    return local;
}

}  // namespace brindle
