#include "scan/ScannerTestSupport.h"

namespace brindle {
namespace {

using namespace win;
using test::ProgressCall;
using test::RunScanner;
using test::TestMachine;
using namespace test;


class ProgramEntryScannersTest : public ::testing::Test {
protected:
    ProgramEntryScannersTest() {
        machine.addFile("C:\\windows\\system32\\msacm32.drv");
        machine.addFile("C:\\windows\\notepad.exe");
        machine.addFile("C:\\Program Files\\App\\app.exe");
        machine.addFile("C:\\Program Files\\App\\unins000.exe");
        machine.addFile("C:\\Tools\\agent.exe");
    }
    TestMachine machine;
};

// Bare names are looked for in the fixed folder, whatever the system directory is;
// full paths where they say.
TEST_F(ProgramEntryScannersTest, DriversLookInTheFixedFolderUnlessTheDataIsAFullPath) {
    machine.setSystemDirectory("D:\\elsewhere");
    machine.setString(kDrivers, "msacm.x", "msacm32.drv");
    machine.setString(kDrivers, "wave", "gone.drv");
    machine.setString(kDrivers, "full", "C:\\windows\\system32\\msacm32.drv");
    machine.setString(kDrivers, "root", "\\windows\\system32\\msacm32.drv");
    machine.setString(kDrivers, "fullgone", "C:\\Drivers\\gone.drv");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanDrivers);
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Invalid Drivers", 6, 2, 0}}));
    EXPECT_EQ(outcome.files(),
              (std::vector<std::string>{"C:\\windows\\system32\\gone.drv", "C:\\Drivers\\gone.drv"}));
    EXPECT_EQ(outcome.calls.at(0), (ProgressCall{"C:\\windows\\system32\\msacm32.drv", "Scanning VXD", 2, 0}));
    EXPECT_EQ(outcome.problems.at(0).tag(), "VxD");
    EXPECT_EQ(outcome.problems.at(0).keyPath(), kDrivers);
}

TEST_F(ProgramEntryScannersTest, DriversWithoutTheirKeyMakeAnEmptyRow) {
    EXPECT_EQ(RunScanner(machine, &CRegistryLib::ScanDrivers).summaries,
              (std::vector<ScanSummary>{{"Invalid Drivers", 0, 0, 0}}));
}

TEST_F(ProgramEntryScannersTest, AppPathsTestOnlyAbsolutePaths) {
    machine.setString(std::string(kAppPaths) + "\\App.exe", "", "\"C:\\Program Files\\App\\app.exe\"");
    machine.setString(std::string(kAppPaths) + "\\App.exe", "Path", "C:\\Program Files\\App\\");
    machine.setString(std::string(kAppPaths) + "\\Gone.EXE", "", "C:\\Program Files\\Gone\\gone.exe");
    machine.setString(std::string(kAppPaths) + "\\Gone.EXE", "Path", "C:\\a;C:\\b");
    machine.setString(std::string(kAppPaths) + "\\Bare.exe", "", "bare.exe");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanAppPaths);
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Invalid App Paths", 5, 1, 0}}));
    // Every value but the placeholder reaches the callback, tested or not.
    EXPECT_EQ(outcome.items(), (std::vector<std::string>{"C:\\Program Files\\App\\app.exe", "C:\\Program Files\\App\\",
                                                         "bare.exe", "C:\\Program Files\\Gone\\gone.exe", "C:\\a;C:\\b"}));
    ASSERT_EQ(outcome.problems.size(), 1u);
    EXPECT_EQ(outcome.problems[0].keyPath(), std::string(kAppPaths) + "\\gone.exe");
    EXPECT_EQ(outcome.problems[0].kind(), "KEY");
    EXPECT_EQ(outcome.problems[0].tag(), "APPPath");
}

TEST_F(ProgramEntryScannersTest, UninstallTestsOnlyTheUninstallString) {
    const std::string entry = std::string(kUninstall) + "\\";
    machine.setString(entry + "App", "DisplayName", "App");
    machine.setString(entry + "App", "DisplayIcon", "C:\\gone\\icon.ico");
    machine.setString(entry + "App", "UninstallString", "\"C:\\Program Files\\App\\unins000.exe\" /S");
    machine.setString(entry + "Gone", "UninstallString", "\"C:\\Program Files\\Gone\\unins000.exe\" /S");
    machine.setString(entry + "Msi", "UninstallString", "MsiExec.exe /X{1234}");
    machine.setString(entry + "RunDll", "UninstallString", "C:\\windows\\system32\\rundll32.exe x.dll,Remove");
    machine.setString(entry + "RegSvr", "UninstallString", "C:\\windows\\system32\\regsvr32.exe /u x.dll");
    machine.setString(entry + "Setup", "UninstallString", "C:\\Tools\\Setup.Exe -u");
    machine.setString(entry + "lowercase", "uninstallstring", "C:\\gone\\x.exe");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanUninstall);
    // Seven placeholder defaults and nine named values.
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Corrupt Uninstall Entries", 16, 2, 0}}));
    EXPECT_EQ(outcome.items(),
              (std::vector<std::string>{"C:\\Program Files\\App\\unins000.exe", "C:\\Program Files\\Gone\\unins000.exe",
                                        "MsiExec.exe", "C:\\windows\\system32\\regsvr32.exe",
                                        "C:\\windows\\system32\\rundll32.exe", "C:\\Tools\\Setup.Exe"}));
    EXPECT_EQ(outcome.files(),
              (std::vector<std::string>{"C:\\Program Files\\Gone\\unins000.exe", "C:\\Tools\\Setup.Exe"}));
    EXPECT_EQ(outcome.problems.at(0).keyPath(), std::string(kUninstall) + "\\gone");
    EXPECT_EQ(outcome.problems.at(0).kind(), "VAL");
    EXPECT_EQ(outcome.problems.at(0).value()->name, "UninstallString");
}

TEST_F(ProgramEntryScannersTest, StartupCompletesBareNamesWithTheWindowsFolder) {
    machine.setString(kRun, "Notepad", "notepad.exe");
    machine.setString(kRun, "Agent", "C:\\Tools\\agent.exe -quiet");
    machine.setString(kRun, "Gone", "\"C:\\Program Files\\Gone\\gone.exe\" /background");
    machine.setString(kRun, "Panel", "rundll32.exe shell32.dll,Control_RunDLL");
    machine.setString(kRun, "Var", "%SystemRoot%\\notepad.exe");
    machine.setString(kRun, "Missing", "missing.EXE arg");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanStartup);
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Invalid Startup Entries", 7, 2, 0}}));
    EXPECT_EQ(outcome.items(),
              (std::vector<std::string>{"C:\\windows\\notepad.exe", "C:\\Tools\\agent.exe",
                                        "C:\\Program Files\\Gone\\gone.exe", "C:\\windows\\rundll32.exe",
                                        "C:\\windows\\notepad.exe", "C:\\windows\\missing.EXE"}));
    EXPECT_EQ(outcome.files(),
              (std::vector<std::string>{"C:\\Program Files\\Gone\\gone.exe", "C:\\windows\\missing.EXE"}));
    EXPECT_EQ(outcome.problems.at(0).keyPath(), kRun);
    EXPECT_EQ(outcome.problems.at(0).tag(), "Startup");
}

TEST_F(ProgramEntryScannersTest, WalkingScannersWithoutTheirKeyAddNoRow) {
    EXPECT_TRUE(RunScanner(machine, &CRegistryLib::ScanAppPaths).summaries.empty());
    EXPECT_TRUE(RunScanner(machine, &CRegistryLib::ScanUninstall).summaries.empty());
    EXPECT_EQ(RunScanner(machine, &CRegistryLib::ScanStartup).summaries,
              (std::vector<ScanSummary>{{"Invalid Startup Entries", 0, 0, 0}}));
}

}  // namespace
}  // namespace brindle
