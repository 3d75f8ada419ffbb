#include "scan/ScanTypes.h"

#include <stdexcept>

namespace brindle {

const std::array<ScanCategoryInfo, 10>& ScanCategories() {
    static const std::array<ScanCategoryInfo, 10> kCategories{{
        {ScanCategory::COM, "COM", 1, "CLSID", "KEY", "Scanning CLSID", "Invalid CLSID"},
        {ScanCategory::COM_SUBS, "COM_SUBS", 3, "SharedFile", "VAL", "Scanning Shared Files", "Corrupt Shared Files"},
        {ScanCategory::DRV, "DRV", 4, "VxD", "VAL", "Scanning VXD", "Invalid Drivers"},
        {ScanCategory::HELP, "HELP", 5, "Help", "VAL", "Scanning Help Files", "Corrupt Help Files"},
        {ScanCategory::APPPATH, "APPPATH", 6, "APPPath", "KEY", "Scanning App Paths", "Invalid App Paths"},
        {ScanCategory::SHARED_TOOLS, "SHARED_TOOLS", 7, "SharedTools", "KEY", "Scanning Shared Tools",
         "Invalid Shared Tools"},
        {ScanCategory::FONTS, "FONTS", 8, "font", "VAL", "Scanning Fonts", "Corrupt Fonts"},
        {ScanCategory::STARTUP, "STARTUP", 9, "Startup", "VAL", "Scanning Startup Entries",
         "Invalid Startup Entries"},
        {ScanCategory::UNINSTALL, "UNINSTALL", 11, "Uninstall", "VAL", "Scanning Uninstall Entries",
         "Corrupt Uninstall Entries"},
        {ScanCategory::SHORTCUTS, "SHORTCUTS", 10, "", "", "Scanning ShortCuts", "Missing ShortCuts"},
    }};
    return kCategories;
}

const ScanCategoryInfo& InfoOf(ScanCategory category) {
    for (const auto& info : ScanCategories()) {
        if (info.category == category) return info;
    }
    throw std::logic_error("unknown scan category");
}

std::optional<ScanCategory> ScanCategoryFromName(std::string_view name) {
    for (const auto& info : ScanCategories()) {
        if (info.name == name) return info.category;
    }
    return std::nullopt;
}

std::int32_t ScanSelection::state(ScanCategory category) const {
    return m_states[InfoOf(category).selectionIndex].load();
}

void ScanSelection::setState(ScanCategory category, std::int32_t state) {
    m_states[InfoOf(category).selectionIndex].store(state);
}

void ScanSelection::selectAll() {
    for (const auto& info : ScanCategories()) setState(info.category, kSelected);
}

}  // namespace brindle
