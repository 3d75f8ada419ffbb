#include "platform/RegistryValueList.h"

#include "platform/RegistryTree.h"
#include "platform/Unicode.h"

namespace brindle {

namespace {

// Below this a walk of the list is cheaper than keeping an index for it; most keys hold
// a few values.
constexpr std::size_t kIndexFrom = 16;

bool SameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && CompareRegistryNames(a, b) == 0;
}

}  // namespace

std::u16string FoldRegistryName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) c = FoldCase(c);
    return folded;
}

std::size_t RegistryValueList::slotOf(std::u16string_view name) const {
    if (m_items.size() >= kIndexFrom) {
        if (!m_indexed) buildIndex();
        const auto found = m_index.find(FoldRegistryName(name));
        return found == m_index.end() ? kNoSlot : found->second;
    }
    for (std::size_t slot = 0; slot < m_items.size(); ++slot) {
        if ((m_removed.empty() || !m_removed[slot]) && SameName(m_items[slot].name, name)) return slot;
    }
    return kNoSlot;
}

RegistryValueData* RegistryValueList::find(std::u16string_view name) {
    const std::size_t slot = slotOf(name);
    return slot == kNoSlot ? nullptr : &m_items[slot];
}

const RegistryValueData* RegistryValueList::find(std::u16string_view name) const {
    const std::size_t slot = slotOf(name);
    return slot == kNoSlot ? nullptr : &m_items[slot];
}

RegistryValueData& RegistryValueList::push_back(RegistryValueData value) {
    if (m_indexed) m_index.try_emplace(FoldRegistryName(value.name), m_items.size());
    if (!m_removed.empty()) m_removed.push_back(false);
    return m_items.emplace_back(std::move(value));
}

void RegistryValueList::remove(const RegistryValueData* value) {
    const auto slot = static_cast<std::size_t>(value - m_items.data());
    if (slot >= m_items.size() || (!m_removed.empty() && m_removed[slot])) return;
    if (m_indexed) {
        const auto found = m_index.find(FoldRegistryName(value->name));
        if (found != m_index.end() && found->second == slot) m_index.erase(found);
    }
    if (m_removed.empty()) m_removed.assign(m_items.size(), false);
    m_removed[slot] = true;
    m_items[slot] = RegistryValueData{};  // its memory goes now, not at the next walk
    ++m_gaps;
}

void RegistryValueList::erase(Storage::const_iterator position) {
    Storage& items = closeGaps();
    items.erase(position);
    m_index.clear();
    m_indexed = false;
}

void RegistryValueList::clear() {
    m_items.clear();
    m_removed.clear();
    m_gaps = 0;
    m_index.clear();
    m_indexed = false;
}

RegistryValueList::Storage& RegistryValueList::closeGaps() const {
    if (m_gaps == 0) return m_items;
    std::size_t kept = 0;
    for (std::size_t slot = 0; slot < m_items.size(); ++slot) {
        if (m_removed[slot]) continue;
        if (kept != slot) m_items[kept] = std::move(m_items[slot]);
        ++kept;
    }
    m_items.resize(kept);
    m_removed.clear();
    m_gaps = 0;
    m_index.clear();
    m_indexed = false;
    return m_items;
}

void RegistryValueList::buildIndex() const {
    m_index.clear();
    m_index.reserve(m_items.size());
    for (std::size_t slot = 0; slot < m_items.size(); ++slot) {
        if (m_removed.empty() || !m_removed[slot]) m_index.try_emplace(FoldRegistryName(m_items[slot].name), slot);
    }
    m_indexed = true;
}

}  // namespace brindle
