// The values of one registry key, in the order they were added or loaded, which is the
// order a listing gives them.
//
// Keys with tens of thousands of values are real (shared-DLL counters, font lists,
// installer bookkeeping), and a repair deletes them one by one while a restore or a load
// adds them one by one. So a value is found by name through an index once the list has
// more than a handful, and a removal leaves a gap instead of moving everything after it;
// the gaps are closed the next time the list is read by position or walked. A value's
// name is never changed in place: remove the value and add it again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/WinTypes.h"

namespace brindle {

struct RegistryValueData {
    std::u16string name;  // empty: the unnamed (default) value
    win::DWORD type = win::REG_NONE;
    // String types hold UTF-16LE bytes (with their NUL when the writer stored one).
    std::vector<std::uint8_t> data;
};

class RegistryValueList {
public:
    using Storage = std::vector<RegistryValueData>;

    std::size_t size() const { return m_items.size() - m_gaps; }
    bool empty() const { return size() == 0; }

    // Reading by position or walking closes the gaps first, which moves values: pointers
    // from find() are good until then, or until the next addition.
    RegistryValueData& operator[](std::size_t index) { return closeGaps()[index]; }
    const RegistryValueData& operator[](std::size_t index) const { return closeGaps()[index]; }
    Storage::iterator begin() { return closeGaps().begin(); }
    Storage::iterator end() { return closeGaps().end(); }
    Storage::const_iterator begin() const { return closeGaps().begin(); }
    Storage::const_iterator end() const { return closeGaps().end(); }

    // Compared without regard to case, as the registry compares names; the first of that
    // name when a list was built with two alike.
    RegistryValueData* find(std::u16string_view name);
    const RegistryValueData* find(std::u16string_view name) const;

    RegistryValueData& push_back(RegistryValueData value);
    void reserve(std::size_t count) { m_items.reserve(count); }
    // Leaves a gap; value must point into this list.
    void remove(const RegistryValueData* value);
    // By position, closing the gap at once.
    void erase(Storage::const_iterator position);
    void clear();

private:
    Storage& closeGaps() const;
    void buildIndex() const;
    std::size_t slotOf(std::u16string_view name) const;

    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

    // Mutable because reading closes gaps and builds the index; neither changes what the
    // list holds.
    mutable Storage m_items;
    mutable std::vector<bool> m_removed;  // by slot; empty while there are no gaps
    mutable std::size_t m_gaps = 0;
    // Folded name to slot, built on the first search of a long list, kept up by additions
    // and removals, dropped when the gaps close.
    mutable std::unordered_map<std::u16string, std::size_t> m_index;
    mutable bool m_indexed = false;
};

// The name as the registry compares it: every code unit upper-cased.
std::u16string FoldRegistryName(std::u16string_view name);

}  // namespace brindle
