#include "platform/Environment.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace brindle {

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace

void Environment::set(std::string_view name, std::string_view value) {
    // Windows refuses a variable without a name; "%%" must never expand to anything.
    if (name.empty()) return;
    for (auto& [existing, existingValue] : m_variables) {
        if (SameName(existing, name)) {
            existingValue.assign(value);
            return;
        }
    }
    m_variables.emplace_back(std::string(name), std::string(value));
}

void Environment::unset(std::string_view name) {
    std::erase_if(m_variables, [name](const auto& variable) { return SameName(variable.first, name); });
}

const std::string* Environment::find(std::string_view name) const {
    for (const auto& [existing, value] : m_variables) {
        if (SameName(existing, name)) return &value;
    }
    return nullptr;
}

std::string Environment::expand(std::string_view text) const {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        if (open == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, open - pos));
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(open));
            break;
        }
        const std::string* value = find(text.substr(open + 1, close - open - 1));
        if (value != nullptr) {
            out += *value;
        } else {
            // Unknown: both percent signs stay, and scanning goes on after the second.
            out.append(text.substr(open, close - open + 1));
        }
        pos = close + 1;
    }
    return out;
}

win::DWORD Environment::ExpandEnvironmentStringsA(const char* source, char* destination, win::DWORD size) const {
    if (source == nullptr) return 0;
    const std::string expanded = expand(source);
    constexpr std::size_t kLargest = std::numeric_limits<win::DWORD>::max();
    const std::size_t needed = std::min(expanded.size() + 1, kLargest);
    if (destination != nullptr && size > 0) {
        // A caller that ignores the returned size still gets a terminated string.
        const std::size_t copied = std::min<std::size_t>(expanded.size(), size - 1);
        std::memcpy(destination, expanded.data(), copied);
        destination[copied] = '\0';
    }
    return static_cast<win::DWORD>(needed);
}

}  // namespace brindle
