#include "scan/PathRules.h"

#include <gtest/gtest.h>

#include "support/TestMachine.h"

namespace brindle {
namespace {

using test::TestMachine;

TEST(PathRulesTest, CommandCleanup) {
    TestMachine machine;
    machine.setSystemDirectory("C:\\windows\\system32");
    machine.setWindowsDirectory("C:\\windows");
    machine.environment().set("CommonProgramFiles", "C:\\Program Files\\Common Files");
    struct Case {
        const char* data;
        DefaultFolder folder;
        const char* expected;
    } cases[] = {
        {"\"C:\\Program Files\\App\\app.exe\" /Automation", DefaultFolder::System, "C:\\Program Files\\App\\app.exe "},
        {"/regserver", DefaultFolder::System, "C:\\windows\\system32\\/regserver"},
        {" -x", DefaultFolder::System, "C:\\windows\\system32\\ -x"},
        {"C:\\a.exe -Embedding", DefaultFolder::System, "C:\\a.exe"},
        {"C:\\a.exe/x -y", DefaultFolder::System, "C:\\a.exe"},
        {"C:\\a-b\\c.dll", DefaultFolder::System, "C:\\a-b\\c.dll"},
        {"%SystemRoot%\\system32\\x.dll", DefaultFolder::System, "C:\\windows\\system32\\x.dll"},
        {"%systemroot%\\x.dll", DefaultFolder::System, "C:\\windows\\x.dll"},
        {"%NOSUCHVAR%\\x.dll", DefaultFolder::System, "%NOSUCHVAR%\\x.dll"},
        {"x%.dll", DefaultFolder::System, "x%.dll"},
        {"%SystemRoot%\\a;%SystemRoot%\\b", DefaultFolder::System, "C:\\windows\\a;C:\\windows\\b"},
        {"%SystemRoot%\\%CommonProgramFiles%", DefaultFolder::System, "C:\\windows\\%CommonProgramFiles%"},
        {"x.dll", DefaultFolder::System, "C:\\windows\\system32\\x.dll"},
        {"sub\\x.dll", DefaultFolder::System, "sub\\x.dll"},
        {"arial.ttf", DefaultFolder::Fonts, "C:\\windows\\fonts\\arial.ttf"},
        {"C:\\Fonts\\arial.ttf", DefaultFolder::Fonts, "C:\\Fonts\\arial.ttf"},
        {"notepad.exe", DefaultFolder::None, "notepad.exe"},
        {"\"\"", DefaultFolder::System, "C:\\windows\\system32\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandCleanup(c.data, machine, c.folder), c.expected) << c.data;
}

TEST(PathRulesTest, AnExpansionThatDoesNotFitIsLeftUnexpanded) {
    TestMachine machine;
    machine.environment().set("HUGE", std::string(300, 'h'));
    machine.environment().set("FITS", std::string(255, 'f'));
    EXPECT_EQ(CommandCleanup("%HUGE%\\x.dll", machine, DefaultFolder::System), "%HUGE%\\x.dll");
    EXPECT_EQ(CommandCleanup("%FITS%\\x.dll", machine, DefaultFolder::System), std::string(255, 'f') + "\\x.dll");
}

TEST(PathRulesTest, LongDirectoriesAreUsedWhole) {
    TestMachine machine;
    const std::string deep = "C:\\" + std::string(300, 'd');
    machine.setSystemDirectory(deep);
    EXPECT_EQ(CommandCleanup("x.dll", machine, DefaultFolder::System), deep + "\\x.dll");
    EXPECT_EQ(SystemDirectory(machine), deep);
}

TEST(PathRulesTest, ProgramNameCut) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Tools\\Setup.EXE -uninstall", "C:\\Tools\\Setup.EXE"},
        // One cut, after the first ".exe" of any letter case.
        {"C:\\Tools\\Setup.Exe -u", "C:\\Tools\\Setup.Exe"},
        {"C:\\Tools\\setup.eXE /x", "C:\\Tools\\setup.eXE"},
        {"\"C:\\App\\un.exe\" /S", "\"C:\\App\\un.exe"},
        {"C:\\a.exe\\b.EXE x", "C:\\a.exe"},
        {"C:\\A.EXE\\b.exe x", "C:\\A.EXE"},
        {"C:\\A.Exe\\b.exe x", "C:\\A.Exe"},
        {"MsiExec.exe /X{1}", "MsiExec.exe"},
        {"C:\\exe\\tool.ex x", "C:\\exe\\tool.ex x"},
        {".EXE", ".EXE"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) {
        std::string value = text;
        ProgramNameCut(value);
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(PathRulesTest, FontCleanupTellsTheBareName) {
    TestMachine machine;
    const struct {
        const char* data;
        const char* path;
        const char* bareName;
    } cases[] = {
        {"coure.fon", "C:\\windows\\fonts\\coure.fon", "coure.fon"},
        {"\"serife.fon\"", "C:\\windows\\fonts\\serife.fon", "serife.fon"},
        {"C:\\windows\\Fonts\\coure.fon", "C:\\windows\\Fonts\\coure.fon", ""},
        {"%SystemRoot%\\Fonts\\x.ttf", "C:\\windows\\Fonts\\x.ttf", ""},
        {"%NOSUCH%x.ttf", "%NOSUCH%x.ttf", ""},
    };
    for (const auto& c : cases) {
        std::string bareName = "stale";
        EXPECT_EQ(CommandCleanup(c.data, machine, DefaultFolder::Fonts, &bareName), c.path) << c.data;
        EXPECT_EQ(bareName, c.bareName) << c.data;
    }
}

TEST(PathRulesTest, HelpFilePathJoinsFolderAndNameWithOneSeparator) {
    TestMachine machine;
    machine.setSystemDirectory("C:\\windows\\system32");
    machine.environment().set("HelpDir", "C:\\windows\\Help");
    const struct {
        const char* data;
        const char* name;
        const char* path;
    } cases[] = {
        // A folder with a "\": as it is.
        {"C:\\windows\\Help\\", "foo.hlp", "C:\\windows\\Help\\foo.hlp"},
        {"C:\\windows\\Help", "bar.hlp", "C:\\windows\\Help\\bar.hlp"},
        {"\"C:\\Program Files\\App\"", "app.chm", "C:\\Program Files\\App\\app.chm"},
        // A variable: expanded, no default folder.
        {"%SystemRoot%\\Help\\", "v.hlp", "C:\\windows\\Help\\v.hlp"},
        {"%HelpDir%", "w.hlp", "C:\\windows\\Help\\w.hlp"},
        // No folder at all: in the system directory.
        {"sysfolder", "sys.chm", "C:\\windows\\system32\\sysfolder\\sys.chm"},
        {"", "e.hlp", "C:\\windows\\system32\\e.hlp"},
    };
    for (const auto& c : cases) EXPECT_EQ(HelpFilePath(c.data, c.name, machine), c.path) << c.data;
}

TEST(PathRulesTest, DriverPathKeepsFullPaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"msacm32.drv", "C:\\windows\\system32\\msacm32.drv"},
        {"sub\\x.drv", "C:\\windows\\system32\\sub\\x.drv"},
        {"C:\\windows\\system32\\msacm32.drv", "C:\\windows\\system32\\msacm32.drv"},
        {"d:\\drivers\\x.drv", "d:\\drivers\\x.drv"},
        {"\\windows\\system32\\x.drv", "\\windows\\system32\\x.drv"},
        {"C:x.drv", "C:x.drv"},
        {"", "C:\\windows\\system32\\"},
    };
    for (const auto& [data, path] : cases) EXPECT_EQ(DriverPath(data), path) << data;
}

TEST(PathRulesTest, QuoteTrim) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\a b\\c.exe\"", "C:\\a b\\c.exe"},
        {"\"\"C:\\x\"\"", "C:\\x"},
        {"C:\\\"odd\"\\x", "C:\\\"odd\"\\x"},
        {"\"\"\"", ""},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) {
        std::string value = text;
        QuoteTrim(value);
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(PathRulesTest, AbsolutePathFilter) {
    struct Case {
        const char* text;
        bool allowTools;
        bool excludeTools;
    } cases[] = {
        {"C:\\Program Files\\App\\app.exe", true, true},
        {"C:\\Program Files\\App\\", false, false},
        {"C:\\a;C:\\b", false, false},
        {"C:\\", false, false},
        {"C:\\a", true, true},
        {"app.exe", false, false},
        {"C:\\windows\\system32\\rundll32.exe", true, false},
        {"C:\\windows\\RunDll32.exe", true, false},
        {"C:\\windows\\system32\\regsvr32.exe", true, false},
        {"C:\\regsvr32.exe", true, false},
        {"C:regsvr32.exe", true, true},
        {"C:\\RUNDLL32.EXE", true, true},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PassesAbsolutePathFilter(c.text, SystemToolRule::Allow), c.allowTools) << c.text;
        EXPECT_EQ(PassesAbsolutePathFilter(c.text, SystemToolRule::Exclude), c.excludeTools) << c.text;
    }
}

}  // namespace
}  // namespace brindle
