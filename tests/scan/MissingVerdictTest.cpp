// For each rule of where the machine's Windows (Wine) finds a file, an entry that names
// a file it would find is not reported, and its broken neighbour still is.
#include <filesystem>

#include "scan/ScannerTestSupport.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace test;

const std::string kUninstallApp = std::string(test::kUninstall) + "\\App";
constexpr const char* kClsid = "HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32";

using Scanner = void (CRegistryLib::*)(std::vector<ScanSummary>&);

struct VerdictCase {
    const char* rule;
    Scanner scanner;
    std::string keyPath;
    const char* valueName;  // for shared DLLs the name is the file
    const char* data;
    const char* reported;  // the problem's file path, or nullptr when the file is found
};

class MissingVerdictTest : public ::testing::TestWithParam<VerdictCase> {
protected:
    MissingVerdictTest() {
        machine.addFile("C:\\windows\\system32\\x.dll");
        machine.addFile("C:\\windows\\system32\\sysprog.exe");
        machine.addFile("C:\\Program Files\\App\\app.exe");
        machine.addFile("C:\\Tools\\bin\\tool.exe");
        machine.environment().set("PATH", "C:\\windows\\system32;C:\\windows;\"C:\\Tools\\bin\";;");
        // A folder that cannot be looked into: a link that leads to itself.
        std::filesystem::create_symlink("loop", machine.driveC().path() / "loop");
        // Brindle run from somewhere else entirely: drive D:.
        machine.driveMap().mapDrive('D', elsewhere.path());
        machine.driveMap().setCurrentDirectory("D:\\");
        // Wine's own font folder, as its installation ships it.
        wineFonts.writeFile("coure.fon");
        machine.setWineFontFolders({wineFonts.path(), wineFonts.path() / "absent"});
    }

    TestMachine machine;
    test::TemporaryFolder elsewhere;
    test::TemporaryFolder wineFonts;
};

TEST_P(MissingVerdictTest, ReportsOnlyWhatWineWouldNotFind) {
    const VerdictCase& c = GetParam();
    machine.setString(c.keyPath, c.valueName, c.data);
    const auto outcome = RunScanner(machine, c.scanner);
    const std::vector<std::string> expected =
        c.reported != nullptr ? std::vector<std::string>{c.reported} : std::vector<std::string>{};
    EXPECT_EQ(outcome.files(), expected) << c.rule << ": " << c.data;
}

const VerdictCase kCases[] = {
    // A path from the root is on C:, not on the drive Brindle was started from.
    {"root-relative", &CRegistryLib::ScanSharedDlls, kSharedDlls, "\\windows\\system32\\x.dll", "1", nullptr},
    {"root-relative", &CRegistryLib::ScanSharedDlls, kSharedDlls, "\\windows\\system32\\gone.dll", "1",
     "\\windows\\system32\\gone.dll"},
    {"root-relative", &CRegistryLib::ScanClsid, kClsid, "", "\\windows\\system32\\x.dll", nullptr},
    // Bare font names are also served from Wine's font folder; full paths only where they say.
    {"wine fonts", &CRegistryLib::ScanFonts, kFontsNT, "Courier", "coure.fon", nullptr},
    {"wine fonts", &CRegistryLib::ScanFonts, kFontsNT, "Courier", "COURE.FON", nullptr},
    {"wine fonts", &CRegistryLib::ScanFonts, kFontsNT, "MS Serif", "serife.fon", "C:\\windows\\fonts\\serife.fon"},
    {"wine fonts", &CRegistryLib::ScanFonts, kFontsNT, "Courier", "C:\\windows\\Fonts\\coure.fon",
     "C:\\windows\\Fonts\\coure.fon"},
    {"wine fonts", &CRegistryLib::ScanFonts, kFontsNT, "Courier", "%SystemRoot%\\Fonts\\coure.fon",
     "C:\\windows\\Fonts\\coure.fon"},
    // A look-up that fails for another reason than "no such file" judges nothing.
    {"undecided", &CRegistryLib::ScanSharedDlls, kSharedDlls, "C:\\loop\\x.dll", "1", nullptr},
    {"undecided", &CRegistryLib::ScanSharedDlls, kSharedDlls, "C:\\LOOP\\x.dll", "1", nullptr},
    {"undecided", &CRegistryLib::ScanSharedDlls, kSharedDlls, "C:\\noloop\\x.dll", "1", "C:\\noloop\\x.dll"},
    // A file under a folder that is a file is missing.
    {"not a folder", &CRegistryLib::ScanSharedDlls, kSharedDlls, "C:\\windows\\system32\\x.dll\\y.dll", "1",
     "C:\\windows\\system32\\x.dll\\y.dll"},
    // ".exe" in any case ends the program name.
    {"program-name cut", &CRegistryLib::ScanUninstall, kUninstallApp, "UninstallString",
     "C:\\Program Files\\App\\app.Exe /uninstall", nullptr},
    {"program-name cut", &CRegistryLib::ScanUninstall, kUninstallApp, "UninstallString",
     "C:\\Program Files\\App\\gone.eXe -x", "C:\\Program Files\\App\\gone.eXe"},
    // A startup program without a drive is looked for where Windows starts it from.
    {"startup search", &CRegistryLib::ScanStartup, kRun, "Sys", "sysprog.exe -background", nullptr},
    {"startup search", &CRegistryLib::ScanStartup, kRun, "Tool", "\"tool.exe\" /tray", nullptr},
    {"startup search", &CRegistryLib::ScanStartup, kRun, "Tool", "TOOL.EXE", nullptr},
    {"startup search", &CRegistryLib::ScanStartup, kRun, "Gone", "nowhere.exe", "C:\\windows\\nowhere.exe"},
    {"startup search", &CRegistryLib::ScanStartup, kRun, "Full", "C:\\Elsewhere\\tool.exe",
     "C:\\Elsewhere\\tool.exe"},
    // Wine's generated short names resolve; Windows-style ones do not exist under Wine.
    {"short names", &CRegistryLib::ScanSharedDlls, kSharedDlls, "C:\\PROG~FBU\\App\\app.exe", "1", nullptr},
    {"short names", &CRegistryLib::ScanSharedDlls, kSharedDlls, "c:\\prog~fbu\\app\\APP.EXE", "1", nullptr},
    {"short names", &CRegistryLib::ScanSharedDlls, kSharedDlls, "C:\\PROGRA~1\\App\\app.exe", "1",
     "C:\\PROGRA~1\\App\\app.exe"},
    {"short names", &CRegistryLib::ScanSharedDlls, kSharedDlls, "C:\\PROG~FBU\\App\\gone.exe", "1",
     "C:\\PROG~FBU\\App\\gone.exe"},
};

INSTANTIATE_TEST_SUITE_P(Rules, MissingVerdictTest, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace brindle
