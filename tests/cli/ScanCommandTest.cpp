// brindle-cli scan, run as a user runs it, on a fresh copy of the demo machine.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>

#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using test::RunProgram;
using test::TemporaryFolder;

class ScanCommandTest : public ::testing::Test {
protected:
    ScanCommandTest() { test::CopyTree(BRINDLE_DEMO_MACHINE_DIR, prefix()); }

    std::filesystem::path prefix() const { return work.path() / "prefix"; }

    // In the work folder, which is also the data folder named with --work-dir.
    test::ProgramResult cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--work-dir", work.path().string()});
        return RunProgram(BRINDLE_CLI_PATH, std::move(arguments), work.path());
    }

    TemporaryFolder work;
};

TEST_F(ScanCommandTest, JsonListsTheDemoMachineProblems) {
    const auto result = cli({"--prefix", prefix().string(), "scan", "--categories", "COM", "--json"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.err, "");
    const auto document = nlohmann::json::parse(result.out);

    EXPECT_EQ(document["prefix"], prefix().string());
    // Eleven server defaults (the one without data included), the reported toolbar's
    // ProgID and the 32-bit program's class, whose DLL is in syswow64; the 16-bit server
    // beside a working 32-bit one is not a problem, nor is the mail UI or the handler.
    const auto expectedSummaries = nlohmann::json::parse(R"json([
        {"title": "Invalid CLSID", "scanned": 12, "found": 3, "fixed": 0}
    ])json");
    EXPECT_EQ(document["summaries"], expectedSummaries);

    const auto expectedProblems = nlohmann::json::parse(R"json([
        {"tag": "CLSID", "key": "HKEY_CLASSES_ROOT\\CLSID\\{B1D0C001-0000-4000-8000-000000000002}", "kind": "KEY",
         "value": {"name": "(Default)", "data": "C:\\Program Files\\Old Toolbar\\toolbar.dll", "type": 1},
         "file": "C:\\Program Files\\Old Toolbar\\toolbar.dll", "view": "64"},
        {"tag": "CLSID", "key": "HKEY_CLASSES_ROOT\\CLSID\\{B1D0C001-0000-4000-8000-000000000003}", "kind": "KEY",
         "value": {"name": "(Default)", "data": "\"C:\\Program Files\\Photo Editor\\photoed.exe\" /Automation",
                   "type": 1},
         "file": "C:\\Program Files\\Photo Editor\\photoed.exe ", "view": "64"},
        {"tag": "CLSID", "key": "HKEY_CLASSES_ROOT\\CLSID\\{B1D0C001-0000-4000-8000-000000000006}", "kind": "KEY",
         "value": {"name": "(Default)", "data": "gonecodec.dll", "type": 1},
         "file": "C:\\windows\\system32\\gonecodec.dll", "view": "64"}
    ])json");
    EXPECT_EQ(document["problems"], expectedProblems);
}

// The demo machine's problems in every registry category, worked out by hand from the
// entries demo/BuildDemoMachine.cpp writes.
TEST_F(ScanCommandTest, EveryRegistryCategoryOfTheDemoMachine) {
    const auto result = cli({"--prefix", prefix().string(), "scan", "--json", "--categories",
                             "COM,COM_SUBS,DRV,HELP,APPPATH,SHARED_TOOLS,FONTS,STARTUP,UNINSTALL"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    const auto document = nlohmann::json::parse(result.out);
    const auto expectedSummaries = nlohmann::json::parse(R"json([
        {"title": "Invalid CLSID", "scanned": 12, "found": 3, "fixed": 0},
        {"title": "Corrupt Shared Files", "scanned": 5, "found": 2, "fixed": 0},
        {"title": "Invalid Drivers", "scanned": 5, "found": 1, "fixed": 0},
        {"title": "Corrupt Help Files", "scanned": 6, "found": 2, "fixed": 0},
        {"title": "Invalid App Paths", "scanned": 5, "found": 1, "fixed": 0},
        {"title": "Invalid Shared Tools", "scanned": 5, "found": 1, "fixed": 0},
        {"title": "Corrupt Fonts", "scanned": 4, "found": 1, "fixed": 0},
        {"title": "Invalid Startup Entries", "scanned": 8, "found": 2, "fixed": 0},
        {"title": "Corrupt Uninstall Entries", "scanned": 11, "found": 1, "fixed": 0}
    ])json");
    EXPECT_EQ(document["summaries"], expectedSummaries);

    const std::vector<std::vector<std::string>> expected{
        {"CLSID", "KEY", "HKEY_CLASSES_ROOT\\CLSID\\{B1D0C001-0000-4000-8000-000000000002}",
         "C:\\Program Files\\Old Toolbar\\toolbar.dll", "64"},
        {"CLSID", "KEY", "HKEY_CLASSES_ROOT\\CLSID\\{B1D0C001-0000-4000-8000-000000000003}",
         "C:\\Program Files\\Photo Editor\\photoed.exe ", "64"},
        {"CLSID", "KEY", "HKEY_CLASSES_ROOT\\CLSID\\{B1D0C001-0000-4000-8000-000000000006}",
         "C:\\windows\\system32\\gonecodec.dll", "64"},
        {"SharedFile", "VAL", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
         "C:\\Program Files\\Common Files\\Old\\oldshared.dll", "64"},
        {"SharedFile", "VAL", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
         "C:\\windows\\system32\\missinghelper.dll", "64"},
        {"VxD", "VAL", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32",
         "C:\\windows\\system32\\gonevid.dll", "64"},
        {"Help", "VAL", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\help",
         "C:\\Program Files\\Old App\\oldapp.hlp", "64"},
        {"Help", "VAL", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\html help",
         "C:\\windows\\help\\gone.chm", "64"},
        {"APPPath", "KEY", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\oldapp.exe",
         "C:\\Program Files\\Old App\\oldapp.exe", "64"},
        {"SharedTools", "KEY", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\Old Proofing",
         "C:\\Program Files\\Common Files\\Proof\\proof.dll", "64"},
        {"font", "VAL", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
         "C:\\windows\\fonts\\goneserif.ttf", "64"},
        {"Startup", "VAL", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Run",
         "C:\\Program Files\\Old App\\update.exe", "64"},
        // The 32-bit program's gone updater; its clock, named through %ProgramFiles%, is in
        // the "(x86)" folder, where a 32-bit program finds it.
        {"Startup", "VAL", "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\Currentversion\\Run",
         "C:\\Program Files (x86)\\Old Clock\\clockupd.exe", "32"},
        {"Uninstall", "VAL", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Currentversion\\Uninstall\\oldapp",
         "C:\\Program Files\\Old App\\unins000.exe", "64"},
    };
    std::vector<std::vector<std::string>> actual;
    for (const auto& problem : document["problems"])
        actual.push_back({problem["tag"], problem["kind"], problem["key"], problem["file"], problem["view"]});
    EXPECT_EQ(actual, expected);
}

TEST_F(ScanCommandTest, ShortcutsOfTheDemoMachine) {
    const auto result = cli({"--prefix", prefix().string(), "scan", "--categories", "SHORTCUTS", "--json"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    const auto document = nlohmann::json::parse(result.out);
    EXPECT_TRUE(document["summaries"].empty());
    EXPECT_TRUE(document["problems"].empty());
    const auto& shortcuts = document["shortcuts"];
    // Seven shortcuts below the root folder: two present, one damaged, one without a
    // target path, three whose targets are gone. The one in C:\ itself is never looked at.
    EXPECT_EQ(shortcuts["scanned"], 7);
    EXPECT_EQ(shortcuts["found"], 3);
    EXPECT_EQ(shortcuts["fixed"], 0);
    std::vector<std::string> missing = shortcuts["missing"];
    std::sort(missing.begin(), missing.end());  // the file system's order is not fixed
    EXPECT_EQ(missing, (std::vector<std::string>{
                           "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Old App\\Old App Help.lnk",
                           "C:\\users\\demo\\Desktop\\Old App.lnk",
                           "C:\\users\\demo\\Documents\\Projects\\Old Report.lnk",
                       }));
}

TEST_F(ScanCommandTest, IgnoredPathsInTheWorkFolderAreNotReported) {
    {
        std::ofstream list(work.path() / "ignore.lst", std::ios::binary);
        list << "C:\\windows\\system32\\gonecodec.dll\r\n";
    }
    const auto result = cli({"--prefix", prefix().string(), "scan", "--json"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    const auto document = nlohmann::json::parse(result.out);
    EXPECT_EQ(document["summaries"][0]["found"], 2);
    for (const auto& problem : document["problems"]) EXPECT_NE(problem["file"], "C:\\windows\\system32\\gonecodec.dll");
}

TEST_F(ScanCommandTest, TextReportHasTheSummaryTable) {
    const auto result = cli({"--prefix", prefix().string(), "scan"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.out.find("Type"), std::string::npos);
    EXPECT_NE(result.out.find("Scanned"), std::string::npos);
    EXPECT_NE(result.out.find("Bug(s)"), std::string::npos);
    EXPECT_NE(result.out.find("Invalid CLSID"), std::string::npos);
    EXPECT_NE(result.out.find("C:\\windows\\system32\\gonecodec.dll"), std::string::npos);
}

TEST_F(ScanCommandTest, NothingFoundExitsZero) {
    {
        std::ofstream list(work.path() / "ignore.lst", std::ios::binary);
        list << "C:\\Program Files\\Old Toolbar\\toolbar.dll\n"
             << "C:\\Program Files\\Photo Editor\\photoed.exe \n"
             << "C:\\windows\\system32\\gonecodec.dll\n";
    }
    const auto result = cli({"--prefix", prefix().string(), "scan", "--categories", "COM"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("No problems found."), std::string::npos);
}

TEST_F(ScanCommandTest, ErrorsExitTwoWithOneLine) {
    struct Case {
        std::vector<std::string> arguments;
        std::string expectedInMessage;
    } cases[] = {
        {{"--prefix", (work.path() / "nowhere").string(), "scan"}, "nowhere"},
        {{"--prefix", prefix().string(), "scan", "--categories", "COM,BOGUS"}, "BOGUS"},
        {{"--prefix", prefix().string()}, "brindle-cli"},
        {{"--prefix", prefix().string(), "scan", "--no-such-option"}, "--no-such-option"},
    };
    for (const auto& c : cases) {
        const auto result = cli(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.expectedInMessage;
        EXPECT_EQ(result.out, "") << c.expectedInMessage;
        EXPECT_NE(result.err.find(c.expectedInMessage), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST_F(ScanCommandTest, AMalformedRegistryFileIsRefusedWithItsLine) {
    {
        std::ofstream reg(prefix() / "user.reg", std::ios::binary | std::ios::app);
        reg << "\n[Software\\\\Broken] 1\n\"Name\"=\"unterminated\n";
    }
    const auto before = RunProgram("/usr/bin/md5sum", {(prefix() / "user.reg").string()}).out;
    const auto result = cli({"--prefix", prefix().string(), "scan"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("user.reg:"), std::string::npos) << result.err;
    EXPECT_EQ(RunProgram("/usr/bin/md5sum", {(prefix() / "user.reg").string()}).out, before);
}

TEST_F(ScanCommandTest, HelpDescribesTheToolAndEachCommand) {
    const auto top = cli({"--help"});
    EXPECT_EQ(top.exitCode, 0);
    EXPECT_NE(top.out.find("scan"), std::string::npos);
    EXPECT_NE(top.out.find("--prefix"), std::string::npos);
    const auto scan = cli({"scan", "--help"});
    EXPECT_EQ(scan.exitCode, 0);
    EXPECT_NE(scan.out.find("--categories"), std::string::npos);
    EXPECT_NE(scan.out.find("--json"), std::string::npos);
}

TEST(DemoMachineTest, CheckedInTreeMatchesAFreshBuild) {
    TemporaryFolder fresh;
    const auto result = RunProgram(BRINDLE_DEMO_BUILDER_PATH, {(fresh.path() / "machine").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto diff = RunProgram("/usr/bin/diff", {"-r", "--no-dereference", BRINDLE_DEMO_MACHINE_DIR,
                                                   (fresh.path() / "machine").string()});
    EXPECT_EQ(diff.exitCode, 0) << diff.out;
}

}  // namespace
}  // namespace brindle
