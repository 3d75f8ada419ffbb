// What `scan` prints: the summary table and the problem list, as text for people or as
// one JSON object for scripts. Texts arrive in the machine's ANSI code page and leave
// as UTF-8.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "scan/ProblemRecord.h"
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

void PrintScanReportText(const ScanReport& report, const CodePage& codePage, std::ostream& out);
void PrintScanReportJson(const ScanReport& report, const CodePage& codePage, std::ostream& out);

std::string AnsiToUtf8(const CodePage& codePage, std::string_view text);

}  // namespace brindle::cli
