#include "platform/RunningProcess.h"
#include "scan/ScannerTestSupport.h"

namespace brindle {
namespace {

using namespace win;
using test::ProgressCall;
using test::TestMachine;

constexpr const char* kClsid = "HKEY_CLASSES_ROOT\\CLSID\\";

class ClsidScannerTest : public ::testing::Test {
protected:
    ClsidScannerTest() {
        machine.addFile("C:\\windows\\system32\\present.dll");
        machine.addFile("C:\\Program Files\\App\\app.exe");
    }

    void addServer(const std::string& clsid, const std::string& server, const std::string& data) {
        machine.setString(kClsid + clsid + "\\" + server, "", data);
    }

    std::vector<ScanSummary> scan(CRegistryLib& lib) {
        lib.progressCallback = [this](const std::string& item, const std::string& title, std::int32_t scanned,
                                      std::int32_t found) { calls.push_back({item, title, scanned, found}); };
        std::vector<ScanSummary> summaries;
        lib.ScanClsid(summaries);
        return summaries;
    }

    std::vector<std::string> problemFiles(CRegistryLib& lib) {
        std::vector<std::string> files;
        for (const auto& problem : lib.problems()) files.push_back(problem->filePath());
        return files;
    }

    TestMachine machine;
    std::vector<ProgressCall> calls;
};

TEST_F(ClsidScannerTest, ReportsAClassWhoseServerFileIsMissing) {
    addServer("{A}", "InprocServer32", "present.dll");
    addServer("{B}", "InprocServer32", "C:\\Gone\\gone.dll");
    machine.setString(kClsid + std::string("{B}\\ProgID"), "", "Gone.Thing.1");
    addServer("{C}", "LocalServer32", "\"C:\\Program Files\\App\\app.exe\" /Automation");
    CRegistryLib lib(machine, CurrentFolder());

    const auto summaries = scan(lib);

    ASSERT_EQ(summaries.size(), 1u);
    // Three server defaults plus the ProgID default of the reported class.
    EXPECT_EQ(summaries[0], (ScanSummary{"Invalid CLSID", 4, 1, 0}));
    ASSERT_EQ(lib.problemCount(), 1u);
    const auto& problem = lib.problem(0);
    EXPECT_EQ(problem.tag(), "CLSID");
    EXPECT_EQ(problem.kind(), "KEY");
    EXPECT_EQ(problem.keyPath(), "HKEY_CLASSES_ROOT\\CLSID\\{B}");
    EXPECT_EQ(problem.filePath(), "C:\\Gone\\gone.dll");
    ASSERT_NE(problem.value(), nullptr);
    EXPECT_EQ(*problem.value(), (RegistryValue{"(Default)", "C:\\Gone\\gone.dll", REG_SZ}));

    const std::vector<ProgressCall> expected{
        {"C:\\windows\\system32\\present.dll", "Scanning CLSID", 1, 0},
        {"C:\\Gone\\gone.dll", "Scanning CLSID", 3, 1},
        {"C:\\Program Files\\App\\app.exe ", "Scanning CLSID", 4, 1},
    };
    EXPECT_EQ(calls, expected);
}

TEST_F(ClsidScannerTest, ServerSubKeyNamesAreComparedInLowerCase) {
    addServer("{A}", "INPROCSERVER32", "C:\\gone1.dll");
    addServer("{B}", "localserver32", "C:\\gone2.exe");
    addServer("{C}", "InprocHandler32", "C:\\gone3.dll");
    addServer("{D}", "TreatAs", "C:\\gone4.dll");
    machine.setString(kClsid + std::string("{E}\\Implemented Categories\\{x}"), "", "C:\\gone5.dll");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries.at(0), (ScanSummary{"Invalid CLSID", 2, 2, 0}));
    EXPECT_EQ(problemFiles(lib), (std::vector<std::string>{"C:\\gone1.dll", "C:\\gone2.exe"}));
}

TEST_F(ClsidScannerTest, ServerWithoutDefaultValueCountsOnceAndIsNeverReported) {
    machine.setString(kClsid + std::string("{A}\\InprocServer32"), "ThreadingModel", "Both");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries.at(0), (ScanSummary{"Invalid CLSID", 1, 0, 0}));
    EXPECT_TRUE(calls.empty());
}

TEST_F(ClsidScannerTest, OnlyAnExactMailuiEndingIsExempt) {
    addServer("{A}", "InprocServer32", "C:\\Gone\\mailui.dll");
    addServer("{B}", "InprocServer32", "C:\\Gone\\MAILUI.DLL");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries.at(0), (ScanSummary{"Invalid CLSID", 2, 1, 0}));
    EXPECT_EQ(problemFiles(lib), (std::vector<std::string>{"C:\\Gone\\MAILUI.DLL"}));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].item, "C:\\Gone\\mailui.dll");
}

TEST_F(ClsidScannerTest, VariablesAreExpandedAndBareNamesGetTheSystemDirectory) {
    addServer("{A}", "InprocServer32", "%SystemRoot%\\system32\\present.dll");
    addServer("{B}", "InprocServer32", "present.dll");
    addServer("{C}", "InprocServer32", "%NOSUCHVAR%\\present.dll");
    CRegistryLib lib(machine, CurrentFolder());
    scan(lib);
    EXPECT_EQ(problemFiles(lib), (std::vector<std::string>{"%NOSUCHVAR%\\present.dll"}));
}

TEST_F(ClsidScannerTest, PathsAreMatchedWithoutRegardToLetterCase) {
    addServer("{A}", "InprocServer32", "C:\\WINDOWS\\System32\\PRESENT.DLL");
    CRegistryLib lib(machine, CurrentFolder());
    scan(lib);
    EXPECT_EQ(lib.problemCount(), 0u);
}

TEST_F(ClsidScannerTest, ClassWithTwoMissingServersGivesTwoProblems) {
    addServer("{A}", "InprocServer32", "C:\\gone.dll");
    addServer("{A}", "LocalServer32", "C:\\gone.exe");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries.at(0), (ScanSummary{"Invalid CLSID", 2, 2, 0}));
    ASSERT_EQ(lib.problemCount(), 2u);
    EXPECT_EQ(lib.problem(0).keyPath(), lib.problem(1).keyPath());
}

TEST_F(ClsidScannerTest, IgnoredMissingPathIsCountedButNotReported) {
    machine.writeIgnoreList("C:\\gone.dll\r\nc:\\other.dll\r\n");
    addServer("{A}", "InprocServer32", "C:\\gone.dll");
    addServer("{B}", "InprocServer32", "C:\\OTHER.dll");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries.at(0), (ScanSummary{"Invalid CLSID", 2, 1, 0}));
    EXPECT_EQ(problemFiles(lib), (std::vector<std::string>{"C:\\OTHER.dll"}));
}

TEST_F(ClsidScannerTest, Missing16BitServerIsKeptWhenThe32BitServerWorks) {
    addServer("{Works}", "InprocServer", "C:\\windows\\system\\old16.dll");
    addServer("{Works}", "InprocServer32", "present.dll");
    addServer("{Broken32}", "LocalServer", "C:\\old16.exe");
    addServer("{Broken32}", "LocalServer32", "C:\\gone32.exe");
    addServer("{Only16}", "InprocServer", "C:\\old16only.dll");
    addServer("{Other32}", "LocalServer", "C:\\old16b.exe");
    addServer("{Other32}", "InprocServer32", "\"C:\\Program Files\\App\\app.exe\"");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries.at(0), (ScanSummary{"Invalid CLSID", 7, 3, 0}));
    EXPECT_EQ(problemFiles(lib), (std::vector<std::string>{"C:\\old16.exe", "C:\\gone32.exe", "C:\\old16only.dll"}));
}

TEST_F(ClsidScannerTest, NoRowWhenTheBaseKeyIsMissing) {
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_TRUE(scan(lib).empty());
}

TEST_F(ClsidScannerTest, EmptyClsidKeyGivesAnEmptyRow) {
    machine.createKey("HKEY_CLASSES_ROOT\\CLSID");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries, (std::vector<ScanSummary>{{"Invalid CLSID", 0, 0, 0}}));
}

TEST_F(ClsidScannerTest, StopSetAtEntryAddsNoRow) {
    addServer("{A}", "InprocServer32", "C:\\gone.dll");
    CRegistryLib lib(machine, CurrentFolder());
    SetEvent(machine.events().CreateEventA("BrindleSTOPSCANNING"));
    EXPECT_TRUE(scan(lib).empty());
    EXPECT_EQ(lib.problemCount(), 0u);
}

TEST_F(ClsidScannerTest, StopMidWalkKeepsTheRowAndTheProblemsSoFar) {
    for (int i = 0; i < 10; ++i) addServer("{" + std::to_string(i) + "}", "InprocServer32", "C:\\gone.dll");
    CRegistryLib lib(machine, CurrentFolder());
    const auto stop = machine.events().CreateEventA("BrindleSTOPSCANNING");
    lib.progressCallback = [&](const std::string&, const std::string&, std::int32_t scanned, std::int32_t) {
        if (scanned == 3) SetEvent(stop);
    };
    std::vector<ScanSummary> summaries;
    lib.ScanClsid(summaries);
    EXPECT_EQ(summaries, (std::vector<ScanSummary>{{"Invalid CLSID", 3, 3, 0}}));
    EXPECT_EQ(lib.problemCount(), 3u);
}

TEST_F(ClsidScannerTest, ClassKeysThatCannotBeOpenedByNameArePassedOver) {
    // A class name without an ANSI form enumerates with '?' and cannot be opened.
    machine.createKey("HKEY_CLASSES_ROOT\\CLSID");
    auto* clsid = machine.memoryRegistry().findNode(u"\\Registry\\Machine\\Software\\Classes\\CLSID");
    ASSERT_NE(clsid, nullptr);
    clsid->addSubKey(u"{\u4e2d}")->addSubKey(u"InprocServer32");
    addServer("{B}", "InprocServer32", "C:\\gone.dll");
    CRegistryLib lib(machine, CurrentFolder());
    const auto summaries = scan(lib);
    EXPECT_EQ(summaries.at(0), (ScanSummary{"Invalid CLSID", 1, 1, 0}));
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), 0u);
}

}  // namespace
}  // namespace brindle
