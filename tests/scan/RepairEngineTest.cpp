#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/RunningProcess.h"
#include "registry/KeyHandle.h"
#include "scan/RegistryLib.h"
#include "scan/ScannerTestSupport.h"

namespace brindle {
namespace {

using namespace win;
using test::ProgressCall;
using test::TestMachine;
namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr const char* kSnapshotName = "FixedOnTest.xml";
constexpr std::int32_t kUntouched = 99;
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// One row per registry category, each with a fixed count no pass would write.
std::vector<ScanSummary> AllRows() {
    std::vector<ScanSummary> rows;
    for (const auto& info : ScanCategories()) {
        if (info.category != ScanCategory::SHORTCUTS) rows.push_back({std::string(info.summaryTitle), 5, 1, kUntouched});
    }
    return rows;
}

std::int32_t FixedOf(const std::vector<ScanSummary>& rows, ScanCategory category) {
    for (const auto& row : rows) {
        if (row.title == InfoOf(category).summaryTitle) return row.fixed;
    }
    ADD_FAILURE() << "no row for " << InfoOf(category).name;
    return 0;
}

class RepairEngineTest : public ::testing::Test {
protected:
    void addProblem(std::string_view tag, std::string keyPath, std::string_view kind,
                    std::optional<RegistryValue> value = std::nullopt) {
        auto problem = std::make_unique<ProblemRecord>();
        problem->setTag(std::string(tag));
        problem->setKeyPath(std::move(keyPath));
        problem->setKind(std::string(kind));
        problem->setValue(std::move(value));
        lib.problems().push_back(std::move(problem));
    }

    bool valueExists(std::string keyPath, const std::string& name) {
        const std::string root = CRegistryLib::SeperateMainKey(keyPath);
        KeyHandle key(machine.registry());
        if (lib.OpenKey(root, keyPath, key.out()) != ERROR_SUCCESS) return false;
        DWORD type = 0;
        DWORD length = 0;
        return machine.registry().RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &length) ==
               ERROR_SUCCESS;
    }

    void recordProgress() {
        lib.progressCallback = [this](const std::string& item, const std::string& title, std::int32_t scanned,
                                      std::int32_t found) { calls.push_back({item, title, scanned, found}); };
    }

    // Runs the whole repair and returns the snapshot as the run wrote it; the run
    // deletes the file at the end.
    std::string fixCapturingSnapshot(std::vector<ScanSummary>& rows) {
        std::string written;
        lib.snapshotWriter().setMirror(&written);
        lib.FixProblems(rows, kSnapshotName);
        lib.snapshotWriter().setMirror(nullptr);
        EXPECT_FALSE(fs::exists(machine.workFolder().path() / kSnapshotName)) << "the run leaves its snapshot behind";
        return written;
    }

    TestMachine machine;
    CRegistryLib lib{machine, CurrentFolder()};
    std::vector<ProgressCall> calls;
};

TEST_F(RepairEngineTest, AnEmptyListStillWritesAndDeletesTheSnapshotAndZeroesEveryRow) {
    auto rows = AllRows();
    EXPECT_EQ(fixCapturingSnapshot(rows), kDeclaration + " <registry>\r\n </registry>\r\n");
    for (const auto& row : rows) EXPECT_EQ(row.fixed, 0) << row.title;
    EXPECT_EQ(lib.snapshotWriter().indent(), 0);
}

// Every category's problem is taken by its own pass alone, in pass order whatever the
// order of the list, and counted only in its own row.
TEST_F(RepairEngineTest, EveryCategoryIsRepairedOnceByItsOwnPassAndCountedInItsOwnRow) {
    for (const auto& info : ScanCategories()) {
        if (info.category == ScanCategory::SHORTCUTS) continue;
        const std::string keyPath = "HKEY_LOCAL_MACHINE\\Software\\Repair\\" + std::string(info.name);
        machine.setString(keyPath, "v", "C:\\gone.exe");
        machine.setString(keyPath, "keep", "1");
        addProblem(info.tag, keyPath, info.kind, RegistryValue{"v", "C:\\gone.exe", REG_SZ});
    }
    recordProgress();
    auto rows = AllRows();
    lib.FixProblems(rows, kSnapshotName);

    const std::string key = "HKEY_LOCAL_MACHINE\nSoftware\\Repair\\";
    const std::vector<ProgressCall> expected{
        {key + "COM", "Fixing CLSID ", 0, 0},
        {"HKEY_LOCAL_MACHINE\\Software\\Repair\\HELP\\v", "Fixing Help Files ", 0, 0},
        {key + "FONTS\nv", "Fixing fonts ", 0, 0},
        {key + "SHARED_TOOLS", "Fixing Shared tools ", 0, 0},
        {key + "COM_SUBS\nv", "Fixing Shared files ", 0, 0},
        {key + "DRV\nv", "Fixing Drivers ", 0, 0},
        {key + "APPPATH", "Fixing App Paths ", 0, 0},
        {key + "STARTUP\nv", "Fixing Startup Entries ", 0, 0},
        {key + "UNINSTALL\nv", "Fixing Uninstall Entries ", 0, 0},
    };
    EXPECT_EQ(calls, expected);
    for (const auto& info : ScanCategories()) {
        if (info.category == ScanCategory::SHORTCUTS) continue;
        const std::string keyPath = "HKEY_LOCAL_MACHINE\\Software\\Repair\\" + std::string(info.name);
        EXPECT_EQ(FixedOf(rows, info.category), 1) << info.name;
        if (info.kind == kKindKey) {
            EXPECT_FALSE(machine.keyExists(keyPath)) << info.name;
        } else {
            EXPECT_FALSE(valueExists(keyPath, "v")) << info.name;
            EXPECT_TRUE(valueExists(keyPath, "keep")) << info.name;
        }
    }
    EXPECT_EQ(lib.problemCount(), 9u) << "the repair leaves the problem list as it was";
    EXPECT_EQ(lib.problem(0).keyPath(), "HKEY_LOCAL_MACHINE\\Software\\Repair\\COM");
}

// One pass run on its own: its captions for both kinds, whether a key is reported before
// or after its deletion, how the value detail is joined, and that it writes its own row only.
struct PassCase {
    const char* name;
    void (CRegistryLib::*fix)(std::vector<ScanSummary>&);
    ScanCategory category;
    const char* keyCaption;
    const char* valueCaption;
    bool keyReportedBeforeDeletion;
    char separator;
};

class RepairPassTest : public RepairEngineTest, public ::testing::WithParamInterface<PassCase> {};

TEST_P(RepairPassTest, CaptionsReportOrderAndOwnRow) {
    const PassCase& pass = GetParam();
    const std::string tag(InfoOf(pass.category).tag);
    machine.setString("HKEY_CURRENT_USER\\Software\\Gone\\Deep", "x", "1");
    machine.setString("HKEY_CURRENT_USER\\Software\\Entries", "bad", "C:\\gone.exe");
    addProblem(tag, "HKEY_CURRENT_USER\\Software\\Gone", kKindKey);
    addProblem(tag, "HKEY_CURRENT_USER\\Software\\Entries", kKindValue, RegistryValue{"bad", "C:\\gone.exe", REG_SZ});

    struct Report {
        ProgressCall call;
        bool targetPresent;
        bool operator==(const Report&) const = default;
    };
    std::vector<Report> reports;
    lib.progressCallback = [&](const std::string& item, const std::string& title, std::int32_t scanned,
                               std::int32_t found) {
        const bool present = reports.empty() ? machine.keyExists("HKEY_CURRENT_USER\\Software\\Gone")
                                             : valueExists("HKEY_CURRENT_USER\\Software\\Entries", "bad");
        reports.push_back({{item, title, scanned, found}, present});
    };
    auto rows = AllRows();
    (lib.*pass.fix)(rows);

    const std::string valueDetail = std::string("HKEY_CURRENT_USER") + pass.separator + "Software\\Entries" +
                                    pass.separator + "bad";
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].call, (ProgressCall{"HKEY_CURRENT_USER\nSoftware\\Gone", pass.keyCaption, 0, 0}));
    EXPECT_EQ(reports[0].targetPresent, pass.keyReportedBeforeDeletion);
    EXPECT_EQ(reports[1].call, (ProgressCall{valueDetail, pass.valueCaption, 0, 0}));
    EXPECT_TRUE(reports[1].targetPresent) << "a value is reported before its deletion";

    EXPECT_FALSE(machine.keyExists("HKEY_CURRENT_USER\\Software\\Gone"));
    EXPECT_FALSE(valueExists("HKEY_CURRENT_USER\\Software\\Entries", "bad"));
    for (const auto& row : rows) {
        const bool own = row.title == InfoOf(pass.category).summaryTitle;
        EXPECT_EQ(row.fixed, own ? 2 : kUntouched) << row.title;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Passes, RepairPassTest,
    ::testing::Values(
        PassCase{"Clsid", &CRegistryLib::FixClsid, ScanCategory::COM, "Fixing CLSID ", "Fixing CLSID ", false, '\n'},
        PassCase{"HelpFiles", &CRegistryLib::FixHelpFiles, ScanCategory::HELP, "Fixing Help Files ",
                 "Fixing Help Files ", false, '\\'},
        PassCase{"Fonts", &CRegistryLib::FixFonts, ScanCategory::FONTS, "Fixing fonts ", "Fixing fonts ", false, '\n'},
        PassCase{"SharedTools", &CRegistryLib::FixSharedTools, ScanCategory::SHARED_TOOLS, "Fixing Shared tools ",
                 "Fixing Shared Tools ", true, '\n'},
        PassCase{"SharedFiles", &CRegistryLib::FixSharedFiles, ScanCategory::COM_SUBS, "Fixing Shared files ",
                 "Fixing Shared files ", false, '\n'},
        PassCase{"Drivers", &CRegistryLib::FixDrivers, ScanCategory::DRV, "Fixing Drivers ", "Fixing Drivers ", false,
                 '\n'},
        PassCase{"AppPaths", &CRegistryLib::FixAppPaths, ScanCategory::APPPATH, "Fixing App Paths ",
                 "Fixing App Paths ", false, '\n'},
        PassCase{"Startup", &CRegistryLib::FixStartup, ScanCategory::STARTUP, "Fixing Startup Entries ",
                 "Fixing Startup Entries ", false, '\n'},
        PassCase{"Uninstall", &CRegistryLib::FixUninstall, ScanCategory::UNINSTALL, "Fixing Uninstall Entries ",
                 "Fixing Uninstall Entries ", false, '\n'}),
    [](const ::testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

TEST_F(RepairEngineTest, TagsAreComparedUpperCasedAndRowsFoundByExactTitle) {
    const std::string fonts = "HKEY_LOCAL_MACHINE\\Software\\Fonts";
    for (const char* name : {"a", "b", "c", "d"}) machine.setString(fonts, name, "gone.ttf");
    addProblem("font", fonts, kKindValue, RegistryValue{"a", "gone.ttf", REG_SZ});
    addProblem("Font", fonts, kKindValue, RegistryValue{"b", "gone.ttf", REG_SZ});
    addProblem("FONT", fonts, kKindValue, RegistryValue{"c", "gone.ttf", REG_SZ});
    addProblem("Fonts", fonts, kKindValue, RegistryValue{"d", "gone.ttf", REG_SZ});
    std::vector<ScanSummary> rows{{"Corrupt Fonts", 4, 4, kUntouched},
                                  {"corrupt fonts", 4, 4, kUntouched},
                                  {"Corrupt Fonts", 0, 0, kUntouched}};
    lib.FixProblems(rows, kSnapshotName);

    EXPECT_FALSE(valueExists(fonts, "a"));
    EXPECT_FALSE(valueExists(fonts, "b"));
    EXPECT_FALSE(valueExists(fonts, "c"));
    EXPECT_TRUE(valueExists(fonts, "d")) << "no pass takes the tag \"Fonts\"";
    EXPECT_EQ(rows[0].fixed, 3);
    EXPECT_EQ(rows[1].fixed, kUntouched);
    EXPECT_EQ(rows[2].fixed, 3);
}

// What one deletion adds to its row.
struct CountCase {
    const char* name;
    bool valueExists;
    bool protectedKey;
    const char* keyPath;
    std::int32_t fixed;
};

class RepairCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(RepairCountTest, FontRowCountsSuccessesLessRefusals) {
    const CountCase& c = GetParam();
    TestMachine machine;
    const std::string fonts = "HKEY_LOCAL_MACHINE\\Software\\Fonts";
    machine.setString(fonts, "other", "kept.ttf");
    if (c.valueExists) machine.setString(fonts, "gone", "gone.ttf");
    if (c.protectedKey) {
        ASSERT_TRUE(machine.memoryRegistry().setProtected(HKEY_LOCAL_MACHINE, "Software\\Fonts"));
    }
    CRegistryLib lib(machine, CurrentFolder());
    auto problem = std::make_unique<ProblemRecord>();
    problem->setTag("font");
    problem->setKeyPath(c.keyPath);
    problem->setKind(kKindValue);
    problem->setValue(RegistryValue{"gone", "gone.ttf", REG_SZ});
    lib.problems().push_back(std::move(problem));
    std::vector<ScanSummary> rows{{"Corrupt Fonts", 2, 1, kUntouched}};

    lib.FixProblems(rows, kSnapshotName);

    EXPECT_EQ(rows[0].fixed, c.fixed);
    EXPECT_FALSE(fs::exists(kSnapshotName));
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, RepairCountTest,
    ::testing::Values(CountCase{"Deleted", true, false, "HKEY_LOCAL_MACHINE\\Software\\Fonts", 1},
                      CountCase{"RefusedCountsAgainst", true, true, "HKEY_LOCAL_MACHINE\\Software\\Fonts", -1},
                      CountCase{"AlreadyGoneCountsNothing", false, false, "HKEY_LOCAL_MACHINE\\Software\\Fonts", 0},
                      CountCase{"KeyGoneCountsNothing", true, false, "HKEY_LOCAL_MACHINE\\Software\\NoFonts", 0},
                      CountCase{"UntickedCountsNothing", true, false, "", 0}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST_F(RepairEngineTest, AValueProblemSnapshotsTheValueAndEverySubKeyThenDeletesOnlyTheValue) {
    const std::string fonts = "HKEY_LOCAL_MACHINE\\Software\\Fonts";
    machine.setString(fonts, "Gone", "gone.ttf");
    machine.setString(fonts, "Kept", "kept.ttf");
    machine.setString(fonts + "\\Sub", "s", "1");
    machine.createKey(fonts + "\\Sub\\Empty");
    addProblem("font", fonts, kKindValue, RegistryValue{"Gone", "gone.ttf", REG_SZ});
    auto rows = AllRows();

    const std::string snapshot = fixCapturingSnapshot(rows);

    EXPECT_EQ(snapshot, kDeclaration +
                            " <registry>\r\n"
                            "  <k name=\"HKEY_LOCAL_MACHINE\">\r\n"
                            "   <k name=\"Software\">\r\n"
                            "    <k name=\"Fonts\">\r\n"
                            "     <v name=\"Gone\" value=\"gone.ttf\"/>\r\n"
                            "     <k name=\"Sub\">\r\n"
                            "      <v name=\"s\" value=\"1\"/>\r\n"
                            "      <k name=\"Empty\"/>\r\n"
                            "     </k>\r\n"
                            "    </k>\r\n"
                            "   </k>\r\n"
                            "  </k>\r\n"
                            " </registry>\r\n");
    EXPECT_FALSE(valueExists(fonts, "Gone"));
    EXPECT_TRUE(valueExists(fonts, "Kept"));
    EXPECT_TRUE(machine.keyExists(fonts + "\\Sub\\Empty"));
    EXPECT_EQ(FixedOf(rows, ScanCategory::FONTS), 1);
}

// Each key reaches the snapshot before it is deleted, and the nests follow the passes'
// order, not the list's.
TEST_F(RepairEngineTest, KeysAreSnapshottedBeforeDeletionInPassOrder) {
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", "", "C:\\gone.dll");
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Fonts", "f", "gone.ttf");
    addProblem("font", "HKEY_LOCAL_MACHINE\\Software\\Fonts", kKindValue, RegistryValue{"f", "gone.ttf", REG_SZ});
    addProblem("CLSID", "HKEY_CLASSES_ROOT\\CLSID\\{1}", kKindKey);
    auto rows = AllRows();

    const std::string snapshot = fixCapturingSnapshot(rows);

    const auto clsid = snapshot.find("<k name=\"{1}\">");
    const auto server = snapshot.find("<v name=\"(Default)\" value=\"C:\\gone.dll\"/>");
    const auto font = snapshot.find("<v name=\"f\" value=\"gone.ttf\"/>");
    ASSERT_NE(clsid, std::string::npos) << snapshot;
    ASSERT_NE(server, std::string::npos) << snapshot;
    ASSERT_NE(font, std::string::npos) << snapshot;
    EXPECT_LT(clsid, server);
    EXPECT_LT(server, font);
    EXPECT_FALSE(machine.keyExists("HKEY_CLASSES_ROOT\\CLSID\\{1}"));
    EXPECT_TRUE(machine.keyExists("HKEY_CLASSES_ROOT\\CLSID"));
}

TEST_F(RepairEngineTest, TheDefaultRecordDeletesTheUnnamedValue) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Classes\\App\\shell\\open\\command";
    machine.setString(key, "", "C:\\gone.exe %1");
    machine.setString(key, "Kept", "1");
    addProblem("Startup", key, kKindValue, RegistryValue{kDefaultValueName, "C:\\gone.exe %1", REG_SZ});
    auto rows = AllRows();
    lib.FixProblems(rows, kSnapshotName);

    EXPECT_FALSE(valueExists(key, ""));
    EXPECT_TRUE(valueExists(key, "Kept"));
    EXPECT_EQ(FixedOf(rows, ScanCategory::STARTUP), 1);
}

// A problem the user unticked has its key path emptied: it is still reported, but
// nothing is recorded and nothing deleted. A bare root, a null slot or a value problem
// without its value record deletes nothing either.
// The repair deletes the value or key the scan saw, or nothing: a name the registry
// cannot be asked for exactly (a NUL in it, a character code page 1252 lacks, which
// lists as '?') leaves the problem in place with the reason.
TEST_F(RepairEngineTest, OnlyTheEntryTheScanSawIsDeletedOrNone) {
    const std::string values = "HKEY_LOCAL_MACHINE\\Software\\Names";
    const std::string keys = "HKEY_LOCAL_MACHINE\\Software\\Keys";
    machine.setString(values, "plain", "1");
    machine.createKey(keys + "\\Plain");
    RegistryKeyNode* valueNode = machine.memoryRegistry().findNode(u"\\Registry\\Machine\\Software\\Names");
    RegistryKeyNode* keyNode = machine.memoryRegistry().findNode(u"\\Registry\\Machine\\Software\\Keys");
    ASSERT_TRUE(valueNode && keyNode);
    for (const std::u16string& name : {u"a"s, u"a\0b"s, u"x\u4E00"s, u"x?"s, u"y\u4E00"s}) {
        valueNode->values.push_back({name, REG_DWORD, {1, 0, 0, 0}});
    }
    keyNode->addSubKey(u"K\u4E00");
    keyNode->addSubKey(u"K?");
    keyNode->addSubKey(u"L\u4E00");

    const struct {
        const char* tag;
        std::string keyPath;
        const char* kind;
        std::optional<RegistryValue> value;
        const char* reason;  // nullptr: deleted
    } cases[] = {
        {"SharedFile", values, "VAL", RegistryValue{"plain", "1", REG_SZ}, nullptr},
        {"SharedFile", values, "VAL", RegistryValue{"a\0b"s, "0x00000001 (1)", REG_DWORD}, "holds a NUL"},
        {"SharedFile", values, "VAL", RegistryValue{"x?", "0x00000001 (1)", REG_DWORD}, "2 values are listed"},
        {"SharedFile", values, "VAL", RegistryValue{"y?", "0x00000001 (1)", REG_DWORD}, "reaches no value"},
        {"SharedTools", keys + "\\plain", "KEY", std::nullopt, nullptr},
        {"SharedTools", keys + "\\K?", "KEY", std::nullopt, "2 keys are listed"},
        {"SharedTools", keys + "\\L?", "KEY", std::nullopt, "reaches no key"},
    };
    for (const auto& c : cases) addProblem(c.tag, c.keyPath, c.kind, c.value);
    auto rows = AllRows();
    lib.FixProblems(rows, kSnapshotName);

    EXPECT_EQ(FixedOf(rows, ScanCategory::COM_SUBS), 1);
    EXPECT_EQ(FixedOf(rows, ScanCategory::SHARED_TOOLS), 1);
    EXPECT_FALSE(valueExists(values, "plain"));
    EXPECT_FALSE(machine.keyExists(keys + "\\Plain"));
    // "a" is what "a\0b" would have reached as a C string; "x?" what "y?" would have.
    EXPECT_TRUE(valueExists(values, "a"));
    EXPECT_TRUE(valueExists(values, "x?"));
    EXPECT_EQ(valueNode->values.size(), 5u);
    EXPECT_EQ(keyNode->subKeys.size(), 3u);

    std::vector<std::pair<std::size_t, std::string>> unrepaired;
    for (const auto& entry : lib.unrepaired()) unrepaired.emplace_back(entry.index, entry.reason);
    ASSERT_EQ(unrepaired.size(), 5u);
    for (const auto& [index, reason] : unrepaired) {
        ASSERT_LT(index, std::size(cases));
        ASSERT_NE(cases[index].reason, nullptr) << reason;
        EXPECT_NE(reason.find(cases[index].reason), std::string::npos) << reason;
    }
}

TEST_F(RepairEngineTest, ProblemsThatNameNothingDeletableAreLeftAlone) {
    machine.setString("HKEY_CURRENT_USER\\Software\\App", "", "unnamed");
    machine.setString("HKEY_CURRENT_USER\\Software\\App", "run", "C:\\gone.exe");
    addProblem("APPPath", "", kKindKey);
    addProblem("Startup", "", kKindValue, RegistryValue{"run", "C:\\gone.exe", REG_SZ});
    lib.problems().push_back(nullptr);
    addProblem("APPPath", "HKEY_CURRENT_USER", kKindKey);
    addProblem("Startup", "HKEY_CURRENT_USER\\Software\\App", kKindValue);
    recordProgress();
    auto rows = AllRows();

    const std::string snapshot = fixCapturingSnapshot(rows);

    EXPECT_EQ(snapshot, kDeclaration + " <registry>\r\n </registry>\r\n");
    EXPECT_TRUE(valueExists("HKEY_CURRENT_USER\\Software\\App", ""));
    EXPECT_TRUE(valueExists("HKEY_CURRENT_USER\\Software\\App", "run"));
    EXPECT_EQ(FixedOf(rows, ScanCategory::APPPATH), 0);
    EXPECT_EQ(FixedOf(rows, ScanCategory::STARTUP), 0);
    EXPECT_EQ(calls, (std::vector<ProgressCall>{
                         {"\n", "Fixing App Paths ", 0, 0},
                         {"HKEY_CURRENT_USER\n", "Fixing App Paths ", 0, 0},
                         {"\n\nrun", "Fixing Startup Entries ", 0, 0},
                         {"HKEY_CURRENT_USER\nSoftware\\App\n", "Fixing Startup Entries ", 0, 0},
                     }));
}

TEST_F(RepairEngineTest, ASnapshotThatCannotBeCreatedDoesNotStopTheRepair) {
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Fonts", "f", "gone.ttf");
    addProblem("font", "HKEY_LOCAL_MACHINE\\Software\\Fonts", kKindValue, RegistryValue{"f", "gone.ttf", REG_SZ});
    auto rows = AllRows();
    lib.FixProblems(rows, "no such folder/snapshot.xml");

    EXPECT_FALSE(valueExists("HKEY_LOCAL_MACHINE\\Software\\Fonts", "f"));
    EXPECT_EQ(FixedOf(rows, ScanCategory::FONTS), 1);
    EXPECT_FALSE(lib.snapshotWriter().isOpen());

    // A file that already has the snapshot's name is not the repair's to delete.
    const fs::path taken = machine.workFolder().writeFile(kSnapshotName, "someone else's");
    lib.FixProblems(rows, kSnapshotName);
    std::ifstream in(taken, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "someone else's");
}

// NT: the key's tree is removed sub-key by sub-key, so a refused sub-key stops the
// deletion part way (A is gone, C is not reached). Legacy: one RegDeleteKeyA call
// removes the tree or nothing.
struct FamilyCase {
    const char* name;
    DWORD version;
    bool lockedSubKey;
    bool firstRemains;
    bool lastRemains;
    std::int32_t fixed;
};

class RepairFamilyTest : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(RepairFamilyTest, KeyWithSubKeys) {
    const FamilyCase& c = GetParam();
    TestMachine machine;
    machine.setVersion(c.version);
    const std::string app = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app.exe";
    machine.setString(app, "", "C:\\gone\\app.exe");
    machine.setString(app + "\\A", "a", "1");
    machine.createKey(app + "\\B\\Locked");
    machine.createKey(app + "\\C");
    if (c.lockedSubKey) {
        ASSERT_TRUE(machine.memoryRegistry().setProtected(
            HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app.exe\\B\\Locked"));
    }
    CRegistryLib lib(machine, CurrentFolder());
    auto problem = std::make_unique<ProblemRecord>();
    problem->setTag("APPPath");
    problem->setKeyPath(app);
    problem->setKind(kKindKey);
    lib.problems().push_back(std::move(problem));
    std::vector<ScanSummary> rows{{"Invalid App Paths", 1, 1, kUntouched}};

    lib.FixProblems(rows, kSnapshotName);

    EXPECT_EQ(rows[0].fixed, c.fixed);
    EXPECT_EQ(machine.keyExists(app + "\\B\\Locked"), c.lockedSubKey);
    EXPECT_EQ(machine.keyExists(app + "\\A"), c.firstRemains);
    EXPECT_EQ(machine.keyExists(app + "\\C"), c.lastRemains);
    EXPECT_TRUE(machine.keyExists("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"));
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Families, RepairFamilyTest,
                         ::testing::Values(FamilyCase{"NT", kVersionWindows7, false, false, false, 1},
                                           FamilyCase{"Legacy", kVersionWindows98, false, false, false, 1},
                                           FamilyCase{"NTLockedSubKey", kVersionWindows7, true, false, true, -1},
                                           FamilyCase{"LegacyLockedSubKey", kVersionWindows98, true, true, true, -1}),
                         [](const ::testing::TestParamInfo<FamilyCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brindle
