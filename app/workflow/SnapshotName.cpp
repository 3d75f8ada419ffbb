#include "app/workflow/SnapshotName.h"

namespace brindle {

std::string SnapshotFileName(const std::tm& localTime) {
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "FixedOn%A%B%d%Y%H%M%S.xml", &localTime);
    return std::string(buffer, length);
}

std::string SnapshotFileNameNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return SnapshotFileName(local);
}

}  // namespace brindle
