#include "app/workflow/SnapshotName.h"

#include "platform/FileEntry.h"
#include "platform/LocalTime.h"

namespace brindle {

std::string SnapshotFileName(const std::tm& localTime) {
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "FixedOn%A%B%d%Y%H%M%S.xml", &localTime);
    return std::string(buffer, length);
}

std::string SnapshotFileNameNow() {
    return SnapshotFileName(LocalTime(std::time(nullptr)));
}

namespace {

constexpr unsigned kMaxSnapshotVariants = 999;

}  // namespace

std::string FreeSnapshotFileName(const std::string& name) {
    if (NameIsFree(name)) return name;
    const std::size_t dot = name.size() >= 4 && name.compare(name.size() - 4, 4, ".xml") == 0 ? name.size() - 4
                                                                                                : name.size();
    for (unsigned variant = 2; variant <= kMaxSnapshotVariants; ++variant) {
        std::string candidate = name.substr(0, dot) + "_" + std::to_string(variant) + name.substr(dot);
        if (NameIsFree(candidate)) return candidate;
    }
    return name;
}

}  // namespace brindle
