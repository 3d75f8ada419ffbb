// The registry entries of a 64-bit machine's two kinds of program: each category's
// entries in the 32-bit view (below Wow6432Node) are judged as a 32-bit program finds its
// files (system32 is syswow64 to it, sysnative the real system32, %ProgramFiles% the
// "(x86)" folder), those of the 64-bit view as today, and a key the views share through a
// registry link is read and reported once, under its own name.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "platform/RunningProcess.h"
#include "scan/RegistryLib.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using test::TestMachine;

constexpr const char* kSoftware64 = "HKEY_LOCAL_MACHINE\\Software\\";
constexpr const char* kSoftware32 = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\";

// One reported problem, as a user reads it: type column, key, value, file.
using Reported = std::tuple<std::string, std::string, std::string, std::string>;

std::set<Reported> Scan(TestMachine& machine) {
    CRegistryLib lib(machine, CurrentFolder());
    ScanSelection selection;
    selection.selectAll();
    std::vector<ScanSummary> summaries;
    lib.ScanRegistry(summaries, selection);
    std::set<Reported> reported;
    for (const auto& problem : lib.problems()) {
        reported.insert({TypeColumnText(*problem), problem->keyPath(), problem->value() ? problem->value()->name : "",
                         problem->filePath()});
    }
    return reported;
}

class ProgramViewScanTest : public ::testing::Test {
protected:
    ProgramViewScanTest() {
        machine.makeWow64();
        // Each file exists for one kind of program only, except those in the shared folders.
        for (const char* file : {
                 "C:\\windows\\system32\\only64.dll",
                 "C:\\windows\\syswow64\\only32.dll",
                 "C:\\windows\\syswow64\\tool32.exe",
                 "C:\\windows\\system32\\spool\\drivers\\shared.dll",
                 "C:\\windows\\Help\\app.hlp",
                 "C:\\Program Files (x86)\\App\\app.exe",
                 "C:\\Program Files (x86)\\Common Files\\App\\common.dll",
                 "C:\\Program Files\\App64\\app.exe",
                 "C:\\windows\\Fonts\\app.ttf",
             }) {
            machine.addFile(file);
        }
    }

    // A value in both views' copies of a key below HKLM\Software.
    void setBoth(const std::string& below, const char* name, const char* data64, const char* data32,
                 win::DWORD type = win::REG_SZ) {
        machine.setString(kSoftware64 + below, name, data64, type);
        machine.setString(kSoftware32 + below, name, data32, type);
    }

    TestMachine machine;
};

TEST_F(ProgramViewScanTest, EachViewsEntriesAreJudgedByItsOwnPrograms) {
    // COM classes: the 32-bit classes live below HKEY_CLASSES_ROOT\Wow6432Node.
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{A64}\\InprocServer32", "", "C:\\windows\\system32\\only64.dll");
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{B64}\\InprocServer32", "", "C:\\windows\\system32\\only32.dll");
    machine.setString("HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{A32}\\InprocServer32", "", "only32.dll");
    machine.setString("HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{B32}\\InprocServer32", "",
                      "C:\\windows\\system32\\only64.dll");
    machine.setString("HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{C32}\\LocalServer32", "",
                      "\"C:\\windows\\sysnative\\only64.dll\" /embedding");
    // Shared DLLs: the file is the value's name.
    const std::string sharedDlls = "Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    machine.setString(kSoftware64 + sharedDlls, "C:\\windows\\system32\\only64.dll", "1");
    machine.setString(kSoftware32 + sharedDlls, "C:\\windows\\system32\\only32.dll", "1");
    machine.setString(kSoftware32 + sharedDlls, "C:\\windows\\system32\\only64.dll", "1");
    // Drivers: a bare name is in the view's system folder.
    setBoth("Microsoft\\Windows NT\\CurrentVersion\\Drivers32", "msacm.ok", "only64.dll", "only32.dll");
    setBoth("Microsoft\\Windows NT\\CurrentVersion\\Drivers32", "msacm.gone", "only32.dll", "only64.dll");
    // Help: the data is the folder, the name the file.
    setBoth("Microsoft\\Windows\\Help", "app.hlp", "C:\\windows\\Help", "C:\\windows\\Help");
    setBoth("Microsoft\\Windows\\Help", "only64.dll", "C:\\windows\\system32", "C:\\windows\\system32");
    // Shared tools and startup programs: variables expand to each view's folders.
    setBoth("Microsoft\\Shared Tools\\App", "Path", "%CommonProgramFiles%\\App\\common.dll",
            "%CommonProgramFiles%\\App\\common.dll", win::REG_EXPAND_SZ);
    setBoth("Microsoft\\Windows\\CurrentVersion\\Run", "App", "%ProgramFiles%\\App64\\app.exe",
            "%ProgramFiles%\\App\\app.exe", win::REG_EXPAND_SZ);
    setBoth("Microsoft\\Windows\\CurrentVersion\\Run", "Tool", "tool32.exe", "tool32.exe");
    machine.setString(kSoftware32 + std::string("Microsoft\\Windows\\CurrentVersion\\Run"), "Spooler",
                      "C:\\windows\\system32\\spool\\drivers\\shared.dll");
    // Uninstall commands.
    setBoth("Microsoft\\Windows\\CurrentVersion\\Uninstall\\App", "UninstallString",
            "C:\\Program Files\\App64\\app.exe /uninstall", "\"C:\\Program Files\\App64\\app.exe\" /uninstall");
    setBoth("Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone", "UninstallString",
            "C:\\Program Files\\Gone\\uninst.exe", "C:\\Program Files (x86)\\Gone\\uninst.exe");

    const std::string run32 = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\Currentversion\\Run";
    const std::string run64 = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Run";
    const std::string uninstall = "Microsoft\\Windows\\Currentversion\\Uninstall\\";
    const std::set<Reported> expected = {
        {"CLSID", "HKEY_CLASSES_ROOT\\CLSID\\{B64}", "(Default)", "C:\\windows\\system32\\only32.dll"},
        {"CLSID 32-bit", "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{B32}", "(Default)", "C:\\windows\\system32\\only64.dll"},
        {"SharedFile 32-bit", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
         "C:\\windows\\system32\\only64.dll", "C:\\windows\\system32\\only64.dll"},
        {"VxD", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32", "msacm.gone",
         "C:\\windows\\system32\\only32.dll"},
        {"VxD 32-bit", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32",
         "msacm.gone", "C:\\windows\\system32\\only64.dll"},
        {"Help 32-bit", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\help", "only64.dll",
         "C:\\windows\\system32\\only64.dll"},
        {"SharedTools", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\App", "Path",
         "C:\\Program Files\\Common Files\\App\\common.dll"},
        {"Startup", run64, "Tool", "C:\\windows\\tool32.exe"},
        {"Uninstall", kSoftware64 + uninstall + "gone", "UninstallString", "C:\\Program Files\\Gone\\uninst.exe"},
        {"Uninstall 32-bit", kSoftware32 + uninstall + "gone", "UninstallString",
         "C:\\Program Files (x86)\\Gone\\uninst.exe"},
    };
    EXPECT_EQ(Scan(machine), expected);
}

TEST_F(ProgramViewScanTest, ASharedKeyIsReadOnceAndReportedUnderItsOwnName) {
    // The 32-bit App Paths and Fonts keys are links to the 64-bit ones.
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe", "",
                      "C:\\Program Files\\Gone\\gone.exe");
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "App", "app.ttf");
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Gone", "gone.ttf");
    // A 32-bit Run key that is itself a link to the 64-bit one.
    machine.setString(std::string(kSoftware64) + "Microsoft\\Windows\\CurrentVersion\\Run", "Gone", "C:\\gone.exe");
    machine.makeLink(std::string(kSoftware32) + "Microsoft\\Windows\\CurrentVersion\\Run",
                     std::string(kSoftware64) + "Microsoft\\Windows\\CurrentVersion\\Run");
    const std::set<Reported> expected = {
        {"APPPath", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe",
         "(Default)", "C:\\Program Files\\Gone\\gone.exe"},
        {"font", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Gone",
         "C:\\windows\\fonts\\gone.ttf"},
        {"Startup", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Run", "Gone", "C:\\gone.exe"},
    };
    EXPECT_EQ(Scan(machine), expected);
}

TEST_F(ProgramViewScanTest, AKeyReachedOnlyThroughALinkIsReportedUnderTheLinksTarget) {
    // A 32-bit Uninstall entry that is a link into another branch: deleting by the path the
    // walk took would go through the link, so the entry is reported where it lives.
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Entry", "UninstallString", "C:\\Gone\\uninst.exe");
    machine.makeLink(std::string(kSoftware32) + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Entry",
                     "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Entry");
    const std::set<Reported> expected = {
        {"Uninstall 32-bit", "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Entry", "UninstallString", "C:\\Gone\\uninst.exe"},
    };
    EXPECT_EQ(Scan(machine), expected);
}

TEST(ProgramViewScan32BitMachineTest, A32BitMachineHasOneViewAndNoMark) {
    TestMachine machine;
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{A}\\InprocServer32", "", "C:\\windows\\system32\\gone.dll");
    machine.setString("HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{B}\\InprocServer32", "", "C:\\gone.dll");
    const std::set<Reported> expected = {
        {"CLSID", "HKEY_CLASSES_ROOT\\CLSID\\{A}", "(Default)", "C:\\windows\\system32\\gone.dll"},
    };
    EXPECT_EQ(Scan(machine), expected);
}

}  // namespace
}  // namespace brindle
