// The window program's command line: the options that choose its folders, then at most
// the word "scan" (the scheduled scan's), which must stand exactly as written.
//
//   brindle [--work-dir DIR] [--skin DIR] [scan]
//
// An option may also be written "--work-dir=DIR". An unknown option is refused rather
// than passed over: a mistyped --work-dir would otherwise put the user's data elsewhere.
#pragma once

#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Result.h"

namespace brindle {

struct WindowOptions {
    std::optional<std::string> workDir;
    std::optional<std::filesystem::path> skinFolder;
    // The words that are not options; IsScanCommandLine judges them.
    QStringList words;
};

Result<WindowOptions> ParseWindowCommandLine(const QStringList& arguments);

// The options a scheduled scan repeats so that it works where this window works: the
// chosen work folder and skin, each quoted as the scheduler's command line splits them.
std::string ScheduledScanOptions(const WindowOptions& options);

}  // namespace brindle
