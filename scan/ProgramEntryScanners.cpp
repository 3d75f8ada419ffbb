// Drivers, application paths, uninstall commands and startup programs whose files are
// gone. Their data are command lines more often than paths.
#include "scan/RegistryScanners.h"

#include "platform/AsciiText.h"
#include "scan/FileCheck.h"
#include "scan/PathRules.h"

namespace brindle {

namespace {

constexpr const char* kDriversBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
constexpr const char* kAppPathsBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kUninstallBase = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Uninstall";
constexpr const char* kStartupBase = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Run";

auto EverySubKey = [](std::string_view) { return true; };

}  // namespace

void RegistryScanners::ScanDrivers(std::vector<ScanSummary>& summaries) {
    scanKeyValues(ScanCategory::DRV, kDriversBase, summaries,
                  [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                      ++counts.scanned;
                      if (value.data == kValueNotSet) return;
                      testPath(ScanCategory::DRV, keyPath, value, DriverPath(value.data), counts);
                  });
}

void RegistryScanners::ScanAppPaths(std::vector<ScanSummary>& summaries) {
    scanSubKeyValues(ScanCategory::APPPATH, kAppPathsBase, SubKeySpelling::Lower, EverySubKey, summaries,
                     [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                         ++counts.scanned;
                         if (value.data == kValueNotSet) return;
                         std::string text = value.data;
                         QuoteTrim(text);
                         if (!PassesAbsolutePathFilter(text, SystemToolRule::Allow)) {
                             reportProgress(text, ScanCategory::APPPATH, counts.scanned, counts.found);
                             return;
                         }
                         testPath(ScanCategory::APPPATH, keyPath, value, text, counts);
                     });
}

void RegistryScanners::ScanUninstall(std::vector<ScanSummary>& summaries) {
    scanSubKeyValues(ScanCategory::UNINSTALL, kUninstallBase, SubKeySpelling::Lower, EverySubKey, summaries,
                     [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                         ++counts.scanned;
                         if (value.data == kValueNotSet || value.name != "UninstallString") return;
                         std::string text = value.data;
                         ProgramNameCut(text);
                         QuoteTrim(text);
                         if (!PassesAbsolutePathFilter(text, SystemToolRule::Exclude)) {
                             reportProgress(text, ScanCategory::UNINSTALL, counts.scanned, counts.found);
                             return;
                         }
                         testPath(ScanCategory::UNINSTALL, keyPath, value, text, counts);
                     });
}

void RegistryScanners::ScanStartup(std::vector<ScanSummary>& summaries) {
    scanKeyValues(ScanCategory::STARTUP, kStartupBase, summaries,
                  [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                      ++counts.scanned;
                      if (value.data == kValueNotSet) return;
                      std::string text = value.data;
                      RemoveAllQuotes(text);
                      CutAtSwitches(text);
                      ExpandFirstVariable(text, viewMachine());
                      ProgramNameCut(text);
                      // A program named without a drive is started from wherever Windows
                      // finds it first; it is reported under the Windows folder.
                      std::string bareName;
                      if (!Contains(text, ":")) {
                          bareName = text;
                          QuoteTrim(bareName);
                          text = WindowsDirectory(viewMachine()) + "\\" + text;
                      }
                      QuoteTrim(text);
                      if (NamesRunDll(text) || text.size() <= 3) {
                          reportProgress(text, ScanCategory::STARTUP, counts.scanned, counts.found);
                          return;
                      }
                      ElsewhereProbe searchPath;
                      if (!bareName.empty()) {
                          searchPath = [this, &bareName] { return ProbeProgramOnSearchPath(viewMachine(), bareName); };
                      }
                      testPath(ScanCategory::STARTUP, keyPath, value, text, counts, searchPath);
                  });
}

}  // namespace brindle
