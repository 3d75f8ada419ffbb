#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/RunningProcess.h"
#include "registry/IgnoreListText.h"
#include "scan/RegistryLib.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using test::TestMachine;
using namespace std::string_literals;

std::vector<std::string> Entries(CRegistryLib& lib) {
    std::vector<std::string> paths;
    for (const auto& entry : lib.ignoreList()) paths.push_back(entry ? entry->filePath() : "<empty slot>");
    return paths;
}

class IgnoreListTest : public ::testing::Test {
protected:
    TestMachine machine;
};

TEST_F(IgnoreListTest, MissingFileIsAnEmptyList) {
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_TRUE(lib.ignoreList().empty());
    EXPECT_FALSE(lib.IsIgnored(""));
}

TEST_F(IgnoreListTest, LoadsLinesInTextMode) {
    machine.writeIgnoreList("C:\\a.dll\r\n\nC:\\b.dll\nC:\\c\r.dll\r\nlast"s);
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_EQ(Entries(lib), (std::vector<std::string>{"C:\\a.dll", "", "C:\\b.dll", "C:\\c\r.dll", "last"}));
}

// A kept path of any length comes back whole, so it stays kept, and a load followed by
// a save leaves the list as it was.
TEST_F(IgnoreListTest, LongEntriesSurviveALoadAndASave) {
    const std::vector<std::string> entries{std::string(998, 'w'), std::string(999, 'x'), std::string(1000, 'y'),
                                           "C:\\" + std::string(5000, 'z') + ".dll", "short"};
    std::string file;
    for (const auto& entry : entries) file += entry + "\r\n";
    machine.writeIgnoreList(file);
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_EQ(Entries(lib), entries);
    EXPECT_TRUE(lib.IsIgnored(entries[3]));
    EXPECT_FALSE(lib.IsIgnored(std::string(999, 'y')));
    EXPECT_EQ(lib.SaveIgnoreList().message(), "");
    EXPECT_EQ(machine.readIgnoreList(), file);
}

// Lists that earlier versions split into 999-character pieces hold the pieces and an
// empty line; they load as those lines, as they always did.
TEST_F(IgnoreListTest, ListsSplitByEarlierVersionsStillLoad) {
    machine.writeIgnoreList(std::string(999, 'p') + "\r\n\r\n" + "rest\r\n");
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_EQ(Entries(lib), (std::vector<std::string>{std::string(999, 'p'), "", "rest"}));
}

TEST_F(IgnoreListTest, BinaryBytesSurviveALoadAndASave) {
    const std::string binary = "C:\\\x01\x00\xff\x1a.dll"s;
    machine.writeIgnoreList(binary + "\n");
    CRegistryLib lib(machine, CurrentFolder());
    ASSERT_EQ(Entries(lib), (std::vector<std::string>{binary}));
    EXPECT_TRUE(lib.IsIgnored(binary));
    lib.ignoreList().push_back(std::make_unique<ProblemRecord>());
    EXPECT_EQ(lib.SaveIgnoreList().message(), "");
    EXPECT_EQ(machine.readIgnoreList(), binary + "\r\n\r\n");
}

TEST_F(IgnoreListTest, SavePassesOverEmptySlotsAndReloadsTheSame) {
    machine.writeIgnoreList("one\ntwo\nthree\n");
    {
        CRegistryLib lib(machine, CurrentFolder());
        lib.ignoreList()[1].reset();
        EXPECT_EQ(lib.SaveIgnoreList().message(), "");
    }
    EXPECT_EQ(machine.readIgnoreList(), "one\r\nthree\r\n");
    CRegistryLib again(machine, CurrentFolder());
    EXPECT_EQ(Entries(again), (std::vector<std::string>{"one", "three"}));
}

TEST_F(IgnoreListTest, IsIgnoredComparesWholePathsByteForByte) {
    machine.writeIgnoreList("C:\\Missing\\x.dll\n");
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_TRUE(lib.IsIgnored("C:\\Missing\\x.dll"));
    EXPECT_FALSE(lib.IsIgnored("c:\\missing\\x.dll"));
    EXPECT_FALSE(lib.IsIgnored("C:\\Missing\\x.dll "));
    EXPECT_FALSE(lib.IsIgnored("C:\\Missing"));
}

// IsIgnored answers from an index of the list: every way the list changes must reach it,
// or a path the user kept would be reported and deleted.
TEST_F(IgnoreListTest, IsIgnoredFollowsEveryChangeOfTheList) {
    machine.writeIgnoreList("C:\\a.dll\nC:\\b.dll\n");
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_TRUE(lib.IsIgnored("C:\\a.dll"));
    EXPECT_FALSE(lib.IsIgnored("C:\\c.dll"));

    auto added = std::make_unique<ProblemRecord>();
    added->setFilePath("C:\\c.dll");
    lib.ignoreList().push_back(std::move(added));
    EXPECT_TRUE(lib.IsIgnored("C:\\c.dll"));

    // Same size, other entry: an emptied slot and a replaced path.
    lib.ignoreList()[0].reset();
    EXPECT_FALSE(lib.IsIgnored("C:\\a.dll"));
    lib.ignoreList()[1]->setFilePath("C:\\d.dll");
    EXPECT_FALSE(lib.IsIgnored("C:\\b.dll"));
    EXPECT_TRUE(lib.IsIgnored("C:\\d.dll"));

    machine.writeIgnoreList("C:\\e.dll\n");
    lib.LoadIgnoreList();
    EXPECT_TRUE(lib.IsIgnored("C:\\e.dll"));
    EXPECT_FALSE(lib.IsIgnored("C:\\c.dll"));
    EXPECT_FALSE(lib.IsIgnored("C:\\d.dll"));
}

// A list that is there but cannot be read is an error, never an empty list, and is not
// overwritten; reading it never blocks.
TEST_F(IgnoreListTest, AListThatCannotBeReadIsAnErrorAndIsNeverOverwritten) {
    const std::filesystem::path path = machine.workFolder().path() / kIgnoreListFile;
    const struct {
        const char* what;
        std::function<void()> make;
        const char* said;
    } cases[] = {
        {"a folder", [&] { std::filesystem::create_directory(path); }, "is a folder, not a regular file"},
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, "is a named pipe, not a regular file"},
        {"a link to a device", [&] { std::filesystem::create_symlink("/dev/zero", path); }, "is a character device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(path);
        c.make();
        CRegistryLib lib(machine, CurrentFolder());
        EXPECT_TRUE(lib.ignoreList().empty());
        EXPECT_NE(lib.ignoreListError().find(c.said), std::string::npos) << lib.ignoreListError();
        EXPECT_NE(lib.ignoreListError().find(path.string()), std::string::npos) << lib.ignoreListError();
        lib.ignoreList().push_back(std::make_unique<ProblemRecord>());
        EXPECT_FALSE(lib.SaveIgnoreList().ok());
        EXPECT_FALSE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)));
    }
    std::filesystem::remove_all(path);
    CRegistryLib fresh(machine, CurrentFolder());
    EXPECT_EQ(fresh.ignoreListError(), "");
}

// A list others may change would let them hide entries from the scan: it is refused
// as unreadable, and left as it is.
TEST_F(IgnoreListTest, AListOthersMayWriteIsRefusedAndKept) {
    const std::filesystem::path path = machine.workFolder().path() / kIgnoreListFile;
    {
        std::ofstream(path, std::ios::binary) << "C:\\hidden.dll\r\n";
    }
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_TRUE(lib.ignoreList().empty());
    EXPECT_NE(lib.ignoreListError().find("everyone may write to it"), std::string::npos) << lib.ignoreListError();
    lib.ignoreList().push_back(std::make_unique<ProblemRecord>());
    EXPECT_FALSE(lib.SaveIgnoreList().ok());
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "C:\\hidden.dll\r\n");
}

// A save writes only a list that changed: the file keeps its bytes (and its mode), and an
// empty list makes no file.
TEST_F(IgnoreListTest, AnUnchangedListIsNotWritten) {
    const std::filesystem::path path = machine.workFolder().path() / kIgnoreListFile;
    {
        CRegistryLib lib(machine, CurrentFolder());
        EXPECT_EQ(lib.SaveIgnoreList().message(), "");
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    machine.writeIgnoreList("C:\\a.dll\nC:\\b.dll");
    ::chmod(path.c_str(), 0640);
    const auto before = std::filesystem::last_write_time(path);
    CRegistryLib lib(machine, CurrentFolder());
    EXPECT_EQ(lib.SaveIgnoreList().message(), "");
    EXPECT_EQ(machine.readIgnoreList(), "C:\\a.dll\nC:\\b.dll");
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
    lib.ignoreList().push_back(std::make_unique<ProblemRecord>());
    lib.ignoreList().back()->setFilePath("C:\\c.dll");
    EXPECT_EQ(lib.SaveIgnoreList().message(), "");
    EXPECT_EQ(machine.readIgnoreList(), "C:\\a.dll\r\nC:\\b.dll\r\nC:\\c.dll\r\n");
}

TEST_F(IgnoreListTest, AFailedSaveLeavesTheFileAsItWas) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    machine.writeIgnoreList("kept\n");
    CRegistryLib lib(machine, CurrentFolder());
    lib.ignoreList().clear();
    ::chmod(machine.workFolder().path().c_str(), 0500);
    const Status saved = lib.SaveIgnoreList();
    ::chmod(machine.workFolder().path().c_str(), 0700);
    EXPECT_FALSE(saved.ok());
    // Why, where: the writer's own reason reaches the caller.
    EXPECT_NE(saved.message().find("Permission denied"), std::string::npos) << saved.message();
    EXPECT_EQ(machine.readIgnoreList(), "kept\n");
}

TEST(IgnoreListTextTest, SplitsAsTheTextModeReaderDoes) {
    const std::string piece(999, 'p');
    const std::string longLine(2500, 'q');
    const struct {
        std::string bytes;
        std::vector<std::string> entries;
    } cases[] = {
        {"", {}},
        {"\n", {""}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\r\n", {"a\r"}},
        {"a\rb\n", {"a\rb"}},
        {"a\r", {"a\r"}},
        {"\n\n", {"", ""}},
        {std::string(998, 'p') + "\r\r\n", {std::string(998, 'p') + "\r"}},
        {piece + "\r\nx", {piece, "x"}},
        {piece + "x", {piece + "x"}},
        {longLine + "\n" + longLine, {longLine, longLine}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes.substr(0, 20)));
        EXPECT_EQ(ParseIgnoreListText(c.bytes), c.entries);
    }
}

}  // namespace
}  // namespace brindle
