#include "app/workflow/SnapshotName.h"

#include <sys/stat.h>

#include <cerrno>

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

namespace {

constexpr unsigned kMaxSnapshotVariants = 999;

bool NameIsFree(const std::string& name) {
    struct stat status {};
    return ::lstat(name.c_str(), &status) != 0 && errno == ENOENT;
}

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
