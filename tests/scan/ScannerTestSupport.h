// What the scanner tests share: a test machine with a few files, a scan of one
// category, and the problems and progress calls it produced.
#pragma once

#include <gtest/gtest.h>

#include "platform/RunningProcess.h"
#include "scan/RegistryLib.h"
#include "support/TestMachine.h"

namespace brindle::test {

// The base keys the scanners read, as the tests write their values.
inline constexpr const char* kWindows = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows";
inline constexpr const char* kFontsNT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline constexpr const char* kFontsLegacy = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
inline constexpr const char* kTools = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
inline constexpr const char* kSharedDlls = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr const char* kDrivers = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
inline constexpr const char* kAppPaths = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
inline constexpr const char* kUninstall = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Uninstall";
inline constexpr const char* kRun = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Run";

struct ProgressCall {
    std::string item, title;
    std::int32_t scanned, found;
    bool operator==(const ProgressCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ProgressCall& call) {
    return out << "{" << call.item << ", " << call.title << ", " << call.scanned << ", " << call.found << "}";
}

struct ScanOutcome {
    std::vector<ScanSummary> summaries;
    std::vector<ProblemRecord> problems;
    std::vector<ProgressCall> calls;

    std::vector<std::string> files() const {
        std::vector<std::string> paths;
        for (const auto& problem : problems) paths.push_back(problem.filePath());
        return paths;
    }
    std::vector<std::string> items() const {
        std::vector<std::string> texts;
        for (const auto& call : calls) texts.push_back(call.item);
        return texts;
    }
};

// Runs one scanner of a fresh CRegistryLib on the machine.
inline ScanOutcome RunScanner(TestMachine& machine, void (CRegistryLib::*scanner)(std::vector<ScanSummary>&),
                              int stopAfterCalls = -1) {
    ScanOutcome outcome;
    CRegistryLib lib(machine, CurrentFolder());
    const auto stop = machine.events().CreateEventA(kStopScanEventName);
    lib.progressCallback = [&](const std::string& item, const std::string& title, std::int32_t scanned,
                               std::int32_t found) {
        outcome.calls.push_back({item, title, scanned, found});
        if (static_cast<int>(outcome.calls.size()) == stopAfterCalls) SetEvent(stop);
    };
    (lib.*scanner)(outcome.summaries);
    for (const auto& problem : lib.problems()) outcome.problems.push_back(*problem);
    ResetEvent(stop);
    return outcome;
}

}  // namespace brindle::test
