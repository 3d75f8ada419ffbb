#include "app/ScanProgressView.h"

#include <optional>
#include <string>

#include "app/ControlNames.h"

namespace brindle {

namespace {

// The order the labels are refreshed in.
constexpr ScanCategory kProgressOrder[] = {
    ScanCategory::COM,   ScanCategory::COM_SUBS, ScanCategory::HELP,      ScanCategory::APPPATH,
    ScanCategory::SHARED_TOOLS, ScanCategory::FONTS, ScanCategory::STARTUP, ScanCategory::UNINSTALL,
    ScanCategory::DRV,   ScanCategory::SHORTCUTS,
};

std::string TextLabel(ScanCategory category) {
    return control::kProgressTextPrefix + std::string(InfoOf(category).name);
}
std::string CountLabel(ScanCategory category) {
    return control::kProgressCountPrefix + std::string(InfoOf(category).name);
}

std::optional<std::int32_t> FoundCount(const ScanResult& result, ScanCategory category) {
    if (category == ScanCategory::SHORTCUTS) {
        if (result.shortcuts) return result.shortcuts->found;
        return std::nullopt;
    }
    const std::string_view title = InfoOf(category).summaryTitle;
    for (const ScanSummary& row : result.summaries) {
        if (row.title == title) return row.found;
    }
    return std::nullopt;
}

}  // namespace

void ShowCategoryProgress(CSubMainSkin& panel, const ScanSession& session, std::int32_t found) {
    for (ScanCategory category : kProgressOrder) {
        switch (session.categoryState(category)) {
        case ScanSelection::kScanning:
            panel.SetText(TextLabel(category), QStringLiteral("Scanning"));
            panel.SetText(CountLabel(category), QString::number(found));
            break;
        case ScanSelection::kDone: panel.SetText(TextLabel(category), QStringLiteral("Done")); break;
        default:
            panel.SetText(TextLabel(category), QString());
            panel.SetText(CountLabel(category), QString());
        }
    }
}

void ShowFinalCounts(CSubMainSkin& panel, const ScanSession& session, const ScanResult& result) {
    for (ScanCategory category : kProgressOrder) {
        if (session.categoryState(category) != ScanSelection::kDone) continue;
        panel.SetText(TextLabel(category), QStringLiteral("Done"));
        if (const auto found = FoundCount(result, category))
            panel.SetText(CountLabel(category), QString::number(*found));
    }
}

void ClearScanCounts(CSubMainSkin& panel) {
    for (ScanCategory category : kProgressOrder) {
        panel.SetText(TextLabel(category), QString());
        panel.SetText(CountLabel(category), QString());
    }
    panel.SetText(control::kTextErrorscanStatus, QString());
}

}  // namespace brindle
