#include "platform/RegistryTree.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <array>

namespace brindle {

namespace {

// Upper-case forms of the whole BMP, from the C library's Unicode tables, built on first
// use. Without a C.UTF-8 locale only ASCII folds, which is still a consistent order.
const std::array<char16_t, 0x10000>& UpperCaseTable() {
    static const auto table = [] {
        auto result = std::make_unique<std::array<char16_t, 0x10000>>();
        locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        for (unsigned c = 0; c < 0x10000; ++c) {
            unsigned upper = c;
            if (c >= 'a' && c <= 'z') {
                upper = c - ('a' - 'A');
            } else if (c >= 0x80 && (c < 0xD800 || c > 0xDFFF) && locale != static_cast<locale_t>(nullptr)) {
                upper = static_cast<unsigned>(towupper_l(static_cast<wint_t>(c), locale));
                if (upper > 0xFFFF) upper = c;  // folding never leaves the BMP
            }
            (*result)[c] = static_cast<char16_t>(upper);
        }
        if (locale != static_cast<locale_t>(nullptr)) freelocale(locale);
        return result;
    }();
    return *table;
}

auto NameLess() {
    return [](const std::shared_ptr<RegistryKeyNode>& node, std::u16string_view name) {
        return CompareRegistryNames(node->name, name) < 0;
    };
}

}  // namespace

char16_t FoldRegistryChar(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
    return UpperCaseTable()[c];
}

int CompareRegistryNames(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const char16_t left = FoldRegistryChar(a[i]);
        const char16_t right = FoldRegistryChar(b[i]);
        if (left != right) return left < right ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

RegistryKeyNode* RegistryKeyNode::findSubKey(std::u16string_view name) const {
    const auto found = std::lower_bound(subKeys.begin(), subKeys.end(), name, NameLess());
    if (found == subKeys.end() || CompareRegistryNames((*found)->name, name) != 0) return nullptr;
    return found->get();
}

RegistryKeyNode* RegistryKeyNode::addSubKey(std::u16string_view name) {
    auto position = subKeys.end();
    // Loaders and savers walk keys in sorted order, so the common case is an append.
    if (!subKeys.empty()) {
        const int order = CompareRegistryNames(subKeys.back()->name, name);
        if (order == 0) return subKeys.back().get();
        if (order > 0) {
            position = std::lower_bound(subKeys.begin(), subKeys.end(), name, NameLess());
            if (CompareRegistryNames((*position)->name, name) == 0) return position->get();
        }
    }
    auto node = std::make_shared<RegistryKeyNode>();
    node->name.assign(name);
    node->parent = this;
    return subKeys.insert(position, std::move(node))->get();
}

}  // namespace brindle
