// What `scan` prints: the summary table and the problem list, as text for people or as
// one JSON object for scripts. Texts arrive in the machine's ANSI code page and leave
// as UTF-8.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/CodePage.h"
#include "registry/ProblemRecord.h"
#include "scan/ScanTypes.h"

namespace brindle::cli {

struct ShortcutReport {
    std::int32_t scanned = 0;
    std::int32_t found = 0;
    std::int32_t fixed = 0;
    std::vector<std::string> missing;  // Windows paths of the shortcut files
};

struct ScanReport {
    std::string prefix;  // host path, already UTF-8
    std::vector<ScanSummary> summaries;
    std::vector<const ProblemRecord*> problems;
    std::optional<ShortcutReport> shortcuts;  // when shortcuts were scanned
    bool stopped = false;
};

// The prefix line and the table of rows; with fixed counts after a repair (a negative
// count means the platform refused more deletions than it allowed).
void PrintSummaryTable(const ScanReport& report, const CodePage& codePage, bool withFixed, std::ostream& out);
void PrintScanReportText(const ScanReport& report, const CodePage& codePage, std::ostream& out);
// The JSON object PrintScanReportJson prints, for commands that add to it.
nlohmann::ordered_json ScanReportJson(const ScanReport& report, const CodePage& codePage);
void PrintScanReportJson(const ScanReport& report, const CodePage& codePage, std::ostream& out);

std::string AnsiToUtf8(const CodePage& codePage, std::string_view text);
// Text typed on the command line, in the machine's code page (as the registry holds it).
std::string Utf8ToAnsi(const CodePage& codePage, std::string_view text);

}  // namespace brindle::cli
