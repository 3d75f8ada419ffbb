#include "scan/ScannerTestSupport.h"

namespace brindle {
namespace {

using namespace win;
using test::ProgressCall;
using test::RunScanner;
using test::TestMachine;
using namespace test;


class SharedResourceScannersTest : public ::testing::Test {
protected:
    SharedResourceScannersTest() {
        machine.addFile("C:\\windows\\Help\\foo.hlp");
        machine.addFile("C:\\windows\\fonts\\arial.ttf");
        machine.addFile("C:\\windows\\system32\\x.dll");
        machine.addFile("C:\\Program Files\\Common Files\\x.dll");
    }
    TestMachine machine;
};

// The folder and the file are joined with one separator, however the folder ends; the
// unnamed value names no file and is only counted.
TEST_F(SharedResourceScannersTest, HelpJoinsTheFolderAndTheValueName) {
    machine.addFile("C:\\windows\\Help\\bar.hlp");
    machine.addFile("C:\\windows\\Help\\var.chm");
    machine.setString(std::string(kWindows) + "\\Help", "foo.hlp", "C:\\windows\\Help\\");
    machine.setString(std::string(kWindows) + "\\Help", "bar.hlp", "C:\\windows\\Help");
    machine.setString(std::string(kWindows) + "\\Help", "gone.hlp", "C:\\windows\\Help");
    machine.setString(std::string(kWindows) + "\\HTML Help", "", "C:\\windows\\Help\\");
    machine.setString(std::string(kWindows) + "\\HTML Help", "sys.chm", "sysfolder");
    machine.setString(std::string(kWindows) + "\\HTML Help", "var.chm", "%SystemRoot%\\Help");
    machine.setString(std::string(kWindows) + "\\CurrentVersion", "ProgramFilesDir", "C:\\gone\\");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanHelpFiles);

    // Help: placeholder default, foo, bar, gone. HTML Help: its default (with data), sys, var.
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Corrupt Help Files", 7, 2, 0}}));
    EXPECT_EQ(outcome.items(),
              (std::vector<std::string>{"C:\\windows\\Help\\foo.hlp", "C:\\windows\\Help\\bar.hlp",
                                        "C:\\windows\\Help\\gone.hlp", "C:\\windows\\system32\\sysfolder\\sys.chm",
                                        "C:\\windows\\Help\\var.chm"}));
    ASSERT_EQ(outcome.problems.size(), 2u);
    EXPECT_EQ(outcome.problems[0].keyPath(), std::string(kWindows) + "\\help");
    EXPECT_EQ(outcome.problems[1].keyPath(), std::string(kWindows) + "\\html help");
    EXPECT_EQ(outcome.problems[0].tag(), "Help");
    EXPECT_EQ(outcome.problems[0].kind(), "VAL");
    EXPECT_EQ(*outcome.problems[0].value(), (RegistryValue{"gone.hlp", "C:\\windows\\Help", REG_SZ}));
}

TEST_F(SharedResourceScannersTest, HelpWithoutItsBaseKeyAddsNoRow) {
    EXPECT_TRUE(RunScanner(machine, &CRegistryLib::ScanHelpFiles).summaries.empty());
}

TEST_F(SharedResourceScannersTest, FontsLookInTheFontFolderUnlessTheDataHoldsAPath) {
    machine.setString(kFontsNT, "Arial (TrueType)", "arial.ttf");
    machine.setString(kFontsNT, "Gone (TrueType)", "gone.ttf");
    machine.setString(kFontsNT, "Full", "C:\\Program Files\\Common Files\\x.dll");
    machine.setString(kFontsNT, "Quoted", "\"%SystemRoot%\\fonts\\arial.ttf\"");
    machine.setString(kFontsLegacy, "NotRead", "legacy.ttf");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanFonts);
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Corrupt Fonts", 5, 1, 0}}));
    EXPECT_EQ(outcome.files(), (std::vector<std::string>{"C:\\windows\\fonts\\gone.ttf"}));
    EXPECT_EQ(outcome.problems.at(0).keyPath(), kFontsNT);
    EXPECT_EQ(outcome.problems.at(0).tag(), "font");
    EXPECT_EQ(outcome.calls.size(), 4u);  // the placeholder default is not reported
}

TEST_F(SharedResourceScannersTest, FontsOnTheLegacyFamilyReadTheOtherKey) {
    machine.setVersion(kVersionWindows98);
    machine.setString(kFontsNT, "NotRead", "nt.ttf");
    machine.setString(kFontsLegacy, "Legacy", "legacy.ttf");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanFonts);
    EXPECT_EQ(outcome.files(), (std::vector<std::string>{"C:\\windows\\fonts\\legacy.ttf"}));
    EXPECT_EQ(outcome.problems.at(0).keyPath(), kFontsLegacy);
}

TEST_F(SharedResourceScannersTest, ValueReadersMakeAnEmptyRowWithoutTheirKey) {
    EXPECT_EQ(RunScanner(machine, &CRegistryLib::ScanFonts).summaries,
              (std::vector<ScanSummary>{{"Corrupt Fonts", 0, 0, 0}}));
    EXPECT_EQ(RunScanner(machine, &CRegistryLib::ScanSharedDlls).summaries,
              (std::vector<ScanSummary>{{"Corrupt Shared Files", 0, 0, 0}}));
}

TEST_F(SharedResourceScannersTest, SharedToolsTestOnlyTheirPathValue) {
    machine.setString(std::string(kTools) + "\\Graph", " Path ", "C:\\gone\\graph.exe");
    machine.setString(std::string(kTools) + "\\Graph", "Version", "C:\\gone\\not-a-path.exe");
    machine.setString(std::string(kTools) + "\\Proof", "PATH", "x.dll");
    machine.setString(std::string(kTools) + "\\Proof", "Pathology", "C:\\gone\\other.dll");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanSharedTools);
    // Two placeholder defaults, four named values.
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Invalid Shared Tools", 6, 1, 0}}));
    EXPECT_EQ(outcome.calls,
              (std::vector<ProgressCall>{{"C:\\gone\\graph.exe", "Scanning Shared Tools", 2, 1},
                                         {"C:\\windows\\system32\\x.dll", "Scanning Shared Tools", 5, 1}}));
    ASSERT_EQ(outcome.problems.size(), 1u);
    // The repair removes that tool's key and nothing beside it.
    EXPECT_EQ(outcome.problems[0].keyPath(), std::string(kTools) + "\\Graph");
    EXPECT_EQ(outcome.problems[0].kind(), "KEY");
    EXPECT_EQ(outcome.problems[0].tag(), "SharedTools");
}

TEST_F(SharedResourceScannersTest, SharedDllsAreTestedByTheirNames) {
    machine.setBytes(kSharedDlls, "C:\\Program Files\\Common Files\\x.dll", REG_DWORD, std::string("\x01\0\0\0", 4));
    machine.setBytes(kSharedDlls, "x.dll", REG_DWORD, std::string("\x02\0\0\0", 4));
    machine.setBytes(kSharedDlls, "C:\\gone\\y.dll", REG_DWORD, std::string("\x03\0\0\0", 4));
    machine.setString(kSharedDlls, "", "C:\\gone\\default-data.dll");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanSharedDlls);
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Corrupt Shared Files", 4, 1, 0}}));
    EXPECT_EQ(outcome.items(), (std::vector<std::string>{"C:\\Program Files\\Common Files\\x.dll",
                                                         "C:\\windows\\system32\\x.dll", "C:\\gone\\y.dll"}));
    ASSERT_EQ(outcome.problems.size(), 1u);
    EXPECT_EQ(outcome.problems[0].keyPath(), kSharedDlls);
    EXPECT_EQ(*outcome.problems[0].value(), (RegistryValue{"C:\\gone\\y.dll", "0x00000003 (3)", REG_DWORD}));
}

TEST_F(SharedResourceScannersTest, StopBetweenValuesKeepsTheRowWithTheCountsSoFar) {
    for (int i = 0; i < 6; ++i) machine.setString(kFontsNT, "F" + std::to_string(i), "gone" + std::to_string(i) + ".ttf");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanFonts, 2);
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Corrupt Fonts", 3, 2, 0}}));
    EXPECT_EQ(outcome.problems.size(), 2u);
}

TEST_F(SharedResourceScannersTest, StopEndsTheSubKeyWalkToo) {
    for (int i = 0; i < 4; ++i) machine.setString(std::string(kTools) + "\\T" + std::to_string(i), "Path", "C:\\gone.exe");
    const auto outcome = RunScanner(machine, &CRegistryLib::ScanSharedTools, 1);
    EXPECT_EQ(outcome.summaries, (std::vector<ScanSummary>{{"Invalid Shared Tools", 2, 1, 0}}));
}

}  // namespace
}  // namespace brindle
