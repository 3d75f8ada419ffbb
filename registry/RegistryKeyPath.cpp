#include "registry/RegistryKeyPath.h"

#include "platform/AsciiText.h"

namespace brindle {

std::optional<win::HKEY> RegistryRootFromName(std::string_view name, RootSpelling spelling) {
    for (const auto& root : kRegistryRoots) {
        if (spelling == RootSpelling::Exact ? name == root.name : EqualsIgnoreAsciiCase(name, root.name))
            return root.handle;
    }
    return std::nullopt;
}

std::string_view RegistryRootNameOf(win::HKEY handle) {
    for (const auto& root : kRegistryRoots) {
        if (root.handle == handle) return root.name;
    }
    return {};
}

RegistryKeyPath RegistryKeyPath::Split(std::string_view path) {
    const auto slash = path.find('\\');
    if (slash == std::string_view::npos) return {std::string(path), {}};
    return {std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

std::vector<std::string> RegistryKeyPath::Names(std::string_view subKey) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find('\\', start);
        if (end == std::string_view::npos) end = subKey.size();
        if (end > start) names.emplace_back(subKey.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

}  // namespace brindle
