#include "platform/RegistryView.h"

#include <algorithm>

#include "platform/AsciiText.h"

namespace brindle {

using namespace win;

namespace {

constexpr std::string_view kWow64Node = "Wow6432Node";

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

// An open key that is closed again unless it is handed on; predefined roots are never
// closed.
class Held {
public:
    Held(Registry& registry, HKEY key, bool owned) : m_registry(registry), m_key(key), m_owned(owned) {}
    ~Held() { reset(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    HKEY get() const { return m_key; }
    void replace(HKEY key) {
        reset();
        m_key = key;
        m_owned = true;
    }
    HKEY release() {
        m_owned = false;
        return m_key;
    }

private:
    void reset() {
        if (m_owned) m_registry.RegCloseKey(m_key);
        m_owned = false;
    }
    Registry& m_registry;
    HKEY m_key;
    bool m_owned;
};

void AppendName(std::string& path, std::string_view name) {
    if (!path.empty()) path += '\\';
    path += name;
}

}  // namespace

LONG OpenKeyInView(Registry& registry, ProgramView view, HKEY root, std::string_view subKey, HKEY* result,
                   ViewKey* where) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    ViewKey found;
    // Opening the root itself gives a handle of our own, which the caller closes.
    Held current(registry, 0, false);
    if (const LONG status = registry.RegOpenKeyA(root, nullptr, result); status != ERROR_SUCCESS) return status;
    current.replace(*result);
    std::string startPath;
    if (const LONG status = registry.QueryKeyPath(current.get(), startPath); status != ERROR_SUCCESS) return status;

    std::size_t at = 0;
    while (at < subKey.size()) {
        std::size_t end = std::min(subKey.find('\\', at), subKey.size());
        const std::string name(subKey.substr(at, end - at));
        at = end + 1;
        if (name.empty()) continue;
        if (view == ProgramView::Wow64 && !EqualsIgnoreAsciiCase(name, kWow64Node)) {
            HKEY redirected = 0;
            if (registry.RegOpenKeyA(current.get(), std::string(kWow64Node).c_str(), &redirected) == ERROR_SUCCESS) {
                current.replace(redirected);
                AppendName(found.subKey, kWow64Node);
            }
        }
        HKEY next = 0;
        if (const LONG status = registry.RegOpenKeyA(current.get(), name.c_str(), &next); status != ERROR_SUCCESS) {
            return status;
        }
        current.replace(next);
        AppendName(found.subKey, name);
    }
    if (const LONG status = registry.QueryKeyPath(current.get(), found.realPath); status != ERROR_SUCCESS) return status;
    const std::string direct = found.subKey.empty() ? startPath : startPath + "\\" + found.subKey;
    found.throughLink = !EqualsIgnoreAsciiCase(direct, found.realPath);
    *result = current.release();
    if (where != nullptr) *where = std::move(found);
    return ERROR_SUCCESS;
}

std::optional<std::string> RootedKeyPath(std::string_view realPath) {
    const std::pair<std::string_view, std::string_view> roots[] = {
        {"\\Registry\\Machine", "HKEY_LOCAL_MACHINE"},
        {"\\Registry\\User", "HKEY_USERS"},
    };
    for (const auto& [tree, rootName] : roots) {
        if (!StartsWithName(realPath, tree)) continue;
        const std::string_view rest = realPath.substr(tree.size());
        if (!rest.empty() && rest.front() != '\\') continue;
        return std::string(rootName) + std::string(rest);
    }
    return std::nullopt;
}

}  // namespace brindle
