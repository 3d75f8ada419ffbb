// Help files, fonts, shared tools and shared DLLs whose files are gone.
#include "scan/RegistryScanners.h"

#include "platform/AsciiText.h"
#include "scan/PathRules.h"

namespace brindle {

namespace {

constexpr const char* kHelpBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows";
constexpr const char* kSharedToolsBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
constexpr const char* kSharedDllsBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr const char* kFontsBaseNT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr const char* kFontsBaseLegacy = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";

std::string_view TrimBlanks(std::string_view text) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

}  // namespace

void RegistryScanners::ScanHelpFiles(std::vector<ScanSummary>& summaries) {
    auto isHelpKey = [](std::string_view name) {
        const std::string lower = ToLowerAscii(name);
        return lower == "help" || lower == "html help";
    };
    scanSubKeyValues(ScanCategory::HELP, kHelpBase, SubKeySpelling::Lower, isHelpKey, summaries,
                     [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                         ++counts.scanned;
                         if (value.data == kValueNotSet) return;
                         // The data names the folder and the value's name the file; the
                         // unnamed value names no file, so there is nothing to test.
                         if (value.name == kDefaultValueName) return;
                         testPath(ScanCategory::HELP, keyPath, value,
                                  HelpFilePath(value.data, value.name, viewMachine()), counts);
                     });
}

void RegistryScanners::ScanFonts(std::vector<ScanSummary>& summaries) {
    const char* base = m_legacyPlatform ? kFontsBaseLegacy : kFontsBaseNT;
    scanKeyValues(ScanCategory::FONTS, base, summaries,
                  [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                      ++counts.scanned;
                      if (value.data == kValueNotSet) return;
                      std::string bareName;
                      const std::string path =
                          CommandCleanup(value.data, viewMachine(), DefaultFolder::Fonts, &bareName);
                      // A font named by its bare file name is also served from Wine's own
                      // font folder; one given with its folder is looked for only there.
                      ElsewhereProbe wineFonts;
                      if (!bareName.empty()) wineFonts = [this, &bareName] { return viewMachine().ProbeWineFont(bareName); };
                      testPath(ScanCategory::FONTS, keyPath, value, path, counts, wineFonts);
                  });
}

void RegistryScanners::ScanSharedTools(std::vector<ScanSummary>& summaries) {
    scanSubKeyValues(ScanCategory::SHARED_TOOLS, kSharedToolsBase, SubKeySpelling::AsIs,
                     [](std::string_view) { return true; }, summaries,
                     [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                         ++counts.scanned;
                         if (ToLowerAscii(TrimBlanks(value.name)) != "path") return;
                         if (value.data == kValueNotSet) return;
                         testPath(ScanCategory::SHARED_TOOLS, keyPath, value,
                                  CommandCleanup(value.data, viewMachine(), DefaultFolder::System), counts);
                     });
}

void RegistryScanners::ScanSharedDlls(std::vector<ScanSummary>& summaries) {
    scanKeyValues(ScanCategory::COM_SUBS, kSharedDllsBase, summaries,
                  [this](const std::string& keyPath, const RegistryValue& value, ScanCounts& counts) {
                      ++counts.scanned;
                      // The value's name is the file; its data is a use count.
                      if (value.name == kDefaultValueName || value.name == kValueNotSet) return;
                      testPath(ScanCategory::COM_SUBS, keyPath, value,
                               CommandCleanup(value.name, viewMachine(), DefaultFolder::System), counts);
                  });
}

}  // namespace brindle
