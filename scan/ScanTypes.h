// What every scanner shares: the categories in run order, the per-category summary row,
// the selection and state block, the progress callback and the stop event's name.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

enum class ScanCategory {
    COM,
    COM_SUBS,
    DRV,
    HELP,
    APPPATH,
    SHARED_TOOLS,
    FONTS,
    STARTUP,
    UNINSTALL,
    SHORTCUTS,
};

struct ScanCategoryInfo {
    ScanCategory category;
    std::string_view name;           // ends the names of the category's skin elements
    int selectionIndex;              // its slot in ScanSelection
    std::string_view tag;            // ProblemRecord tag; empty for shortcuts
    std::string_view kind;           // "KEY" or "VAL"; empty for shortcuts
    std::string_view progressTitle;  // what the progress callback is told
    std::string_view summaryTitle;   // the ScanSummary row; the repair finds rows by it
};

// All ten, in run order.
const std::array<ScanCategoryInfo, 10>& ScanCategories();
const ScanCategoryInfo& InfoOf(ScanCategory category);
// "COM", "COM_SUBS", ... exactly as spelled there.
std::optional<ScanCategory> ScanCategoryFromName(std::string_view name);

inline constexpr const char* kShortcutsSummaryTitle = "Missing ShortCuts";

// One row per scanned registry category.
struct ScanSummary {
    std::string title;
    std::int32_t scanned = 0;
    std::int32_t found = 0;
    std::int32_t fixed = 0;

    bool operator==(const ScanSummary&) const = default;
};

// The per-category states the window fills before a scan and the scan updates while
// the window reads them, hence atomics.
class ScanSelection {
public:
    static constexpr std::int32_t kNotSelected = 0;
    static constexpr std::int32_t kSelected = 1;
    static constexpr std::int32_t kScanning = 2;
    static constexpr std::int32_t kDone = -1;
    static constexpr int kSlots = 14;

    std::int32_t state(ScanCategory category) const;
    void setState(ScanCategory category, std::int32_t state);
    // Raw slot access, 0..13; the slots 0, 2, 12 and 13 belong to no category.
    std::int32_t slot(int index) const { return m_states.at(index).load(); }

    void selectAll();

private:
    std::array<std::atomic<std::int32_t>, kSlots> m_states{};
};

// Called synchronously on the scanning thread: item text, status title, scanned, found.
using ScanProgressCallback = std::function<void(const std::string& item, const std::string& title,
                                                std::int32_t scanned, std::int32_t found)>;

inline constexpr const char* kStopScanEventName = "BrindleSTOPSCANNING";

}  // namespace brindle
