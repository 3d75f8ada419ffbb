#include "cli/ScanReport.h"

#include <algorithm>
#include <iomanip>

#include <nlohmann/json.hpp>

#include "platform/Unicode.h"

namespace brindle::cli {

std::string AnsiToUtf8(const CodePage& codePage, std::string_view text) {
    return Utf16ToUtf8(codePage.toUtf16(text));
}

std::string Utf8ToAnsi(const CodePage& codePage, std::string_view text) {
    return codePage.toAnsi(Utf8ToUtf16(text));
}

namespace {

void PrintProblems(const std::vector<const ProblemRecord*>& problems, const CodePage& codePage, std::ostream& out) {
    out << "\n" << problems.size() << (problems.size() == 1 ? " problem" : " problems") << ":\n";
    std::size_t tagWidth = 4;
    for (const auto* problem : problems) tagWidth = std::max(tagWidth, TypeColumnText(*problem).size());
    const int column = static_cast<int>(tagWidth + 2);
    out << std::left << std::setw(column) << "Type" << "FileName\n";
    for (const auto* problem : problems) {
        out << std::left << std::setw(column) << TypeColumnText(*problem) << AnsiToUtf8(codePage, problem->filePath())
            << "\n";
        out << std::setw(column) << "" << (problem->kind() == kKindKey ? "key   " : "value ")
            << AnsiToUtf8(codePage, problem->keyPath());
        if (problem->kind() != kKindKey && problem->value())
            out << " : " << AnsiToUtf8(codePage, problem->value()->name);
        out << "\n";
    }
}

}  // namespace

void PrintSummaryTable(const ScanReport& report, const CodePage& codePage, bool withFixed, std::ostream& out) {
    std::vector<ScanSummary> rows = report.summaries;
    if (report.shortcuts) {
        rows.push_back(
            {kShortcutsSummaryTitle, report.shortcuts->scanned, report.shortcuts->found, report.shortcuts->fixed});
    }
    std::size_t titleWidth = 4;
    for (const auto& row : rows) titleWidth = std::max(titleWidth, row.title.size());
    out << "Prefix: " << report.prefix << "\n\n";
    out << std::left << std::setw(static_cast<int>(titleWidth)) << "Type" << std::right << std::setw(10)
        << "Scanned" << std::setw(9) << "Bug(s)";
    if (withFixed) out << std::setw(15) << "Fixed";
    out << "\n";
    for (const auto& row : rows) {
        out << std::left << std::setw(static_cast<int>(titleWidth)) << AnsiToUtf8(codePage, row.title) << std::right
            << std::setw(10) << row.scanned << std::setw(9) << row.found;
        if (withFixed) {
            out << std::setw(15);
            if (row.fixed < 0) {
                out << "Access Denied";
            } else {
                out << row.fixed;
            }
        }
        out << "\n";
    }
}

void PrintScanReportText(const ScanReport& report, const CodePage& codePage, std::ostream& out) {
    PrintSummaryTable(report, codePage, false, out);
    if (report.stopped) out << "\nThe scan was stopped; the counts are those reached so far.\n";

    const bool shortcutsMissing = report.shortcuts && !report.shortcuts->missing.empty();
    if (report.problems.empty() && !shortcutsMissing) {
        out << "\nNo problems found.\n";
        return;
    }
    if (!report.problems.empty()) PrintProblems(report.problems, codePage, out);
    if (shortcutsMissing) {
        out << "\nShortcuts whose target is missing:\n";
        for (const auto& path : report.shortcuts->missing) out << "  " << AnsiToUtf8(codePage, path) << "\n";
    }
}

nlohmann::ordered_json ScanReportJson(const ScanReport& report, const CodePage& codePage) {
    auto text = [&](std::string_view ansi) { return AnsiToUtf8(codePage, ansi); };
    nlohmann::ordered_json summaries = nlohmann::ordered_json::array();
    for (const auto& row : report.summaries) {
        summaries.push_back(
            {{"title", text(row.title)}, {"scanned", row.scanned}, {"found", row.found}, {"fixed", row.fixed}});
    }
    nlohmann::ordered_json problems = nlohmann::ordered_json::array();
    for (const auto* problem : report.problems) {
        nlohmann::ordered_json value = nullptr;
        if (const auto* v = problem->value()) value = {{"name", text(v->name)}, {"data", text(v->data)}, {"type", v->type}};
        problems.push_back({{"tag", text(problem->tag())},
                            {"key", text(problem->keyPath())},
                            {"kind", text(problem->kind())},
                            {"value", value},
                            {"file", text(problem->filePath())},
                            {"view", ViewBitsText(problem->view())}});
    }
    nlohmann::ordered_json document = {{"prefix", report.prefix}, {"summaries", summaries}, {"problems", problems}};
    if (report.shortcuts) {
        nlohmann::ordered_json missing = nlohmann::ordered_json::array();
        for (const auto& path : report.shortcuts->missing) missing.push_back(text(path));
        document["shortcuts"] = {{"scanned", report.shortcuts->scanned},
                                 {"found", report.shortcuts->found},
                                 {"fixed", report.shortcuts->fixed},
                                 {"missing", missing}};
    }
    if (report.stopped) document["stopped"] = true;
    return document;
}

void PrintScanReportJson(const ScanReport& report, const CodePage& codePage, std::ostream& out) {
    out << ScanReportJson(report, codePage).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << "\n";
}

}  // namespace brindle::cli
