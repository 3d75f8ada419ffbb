#include "platform/RegistryTree.h"

#include <algorithm>

#include "platform/Unicode.h"

namespace brindle {

namespace {

auto NameLess() {
    return [](const std::shared_ptr<RegistryKeyNode>& node, std::u16string_view name) {
        return CompareRegistryNames(node->name, name) < 0;
    };
}

}  // namespace

int CompareRegistryNames(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const char16_t left = FoldCase(a[i]);
        const char16_t right = FoldCase(b[i]);
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
