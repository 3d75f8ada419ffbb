// Where brindle-cli keeps a prefix's data, run as a user runs it: one folder per prefix
// whatever folder it is started in, nothing written where it was started, earlier data
// there pointed out once, no lock file left, and no backup restored into the wrong prefix.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "platform/DataFolder.h"
#include "registry/BackupFolder.h"
#include "support/RegistryDump.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

class DataFolderCommandTest : public ::testing::Test {
protected:
    DataFolderCommandTest() {
        for (const fs::path& prefix : {prefixA(), prefixB()}) {
            const auto built = test::RunProgram(BRINDLE_DEMO_BUILDER_PATH, {prefix.string()}, root.path());
            EXPECT_EQ(built.exitCode, 0) << built.err;
        }
    }

    fs::path prefixA() const { return root.path() / "A"; }
    fs::path prefixB() const { return root.path() / "B"; }
    fs::path dataHome() const { return root.path() / "xdg"; }
    fs::path dataOf(const fs::path& prefix) const { return dataHome() / "brindle/prefixes" / PrefixDataId(prefix); }

    // brindle-cli on the prefix, started in `folder`, with the test's XDG_DATA_HOME.
    test::ProgramResult cli(const fs::path& prefix, const fs::path& folder, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--prefix", prefix.string()});
        return test::RunProgram(BRINDLE_CLI_PATH, arguments, folder, {{"XDG_DATA_HOME", dataHome().string()}});
    }

    test::TemporaryFolder root;
};

TEST_F(DataFolderCommandTest, EveryStartingFolderSeesThePrefixsOneListAndNothingIsWrittenThere) {
    const fs::path home = root.makeFolder("home");
    const fs::path project = root.makeFolder("project");

    ASSERT_EQ(cli(prefixA(), home, {"ignore", "add", "C:\\kept.dll"}).exitCode, 0);
    EXPECT_EQ(cli(prefixA(), project, {"ignore", "list"}).out, "C:\\kept.dll\n");
    EXPECT_EQ(cli(prefixB(), project, {"ignore", "list"}).out, "") << "another prefix has a list of its own";
    const auto fixed = cli(prefixA(), project, {"fix", "--yes"});
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err;

    EXPECT_TRUE(Names(home).empty());
    EXPECT_TRUE(Names(project).empty());
    EXPECT_EQ(Names(dataOf(prefixA())), (std::set<std::string>{"ignore.lst", kBackupFolderName}))
        << "no lock file or snapshot is left behind";
    EXPECT_FALSE(fs::exists(prefixA() / ".brindle-lock"));
    struct stat status {};
    ASSERT_EQ(::stat(dataOf(prefixA()).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST_F(DataFolderCommandTest, DataOfAnEarlierVersionInTheStartingFolderIsPointedOutOnceAndLeftAlone) {
    const fs::path old = root.makeFolder("old");
    root.writeFile("old/ignore.lst", "C:\\windows\\system32\\gonecodec.dll\r\n");

    const auto first = cli(prefixA(), old, {"ignore", "list"});
    EXPECT_EQ(first.out, "") << "the old list is not used";
    EXPECT_NE(first.err.find("--work-dir " + old.string()), std::string::npos) << first.err;
    EXPECT_NE(first.err.find(dataOf(prefixA()).string()), std::string::npos) << first.err;
    EXPECT_EQ(cli(prefixA(), old, {"ignore", "list"}).err, "") << "said once";
    EXPECT_EQ(Names(old), std::set<std::string>{"ignore.lst"});

    const auto chosen = cli(prefixA(), root.path(), {"--work-dir", old.string(), "ignore", "list"});
    EXPECT_EQ(chosen.out, "C:\\windows\\system32\\gonecodec.dll\n") << chosen.err;
}

TEST_F(DataFolderCommandTest, ABackupOfOnePrefixIsNotRestoredIntoAnother) {
    const fs::path shared = root.makeFolder("shared");
    ASSERT_EQ(cli(prefixA(), root.path(), {"--work-dir", shared.string(), "fix", "--yes"}).exitCode, 0);
    const std::string before = test::DumpPrefixRegistry(prefixB());

    const auto restored = cli(prefixB(), root.path(), {"--work-dir", shared.string(), "restore", "--latest"});

    EXPECT_EQ(restored.exitCode, 2);
    EXPECT_NE(restored.err.find("taken from the prefix " + prefixA().string()), std::string::npos) << restored.err;
    EXPECT_NE(restored.err.find("not from " + prefixB().string()), std::string::npos) << restored.err;
    EXPECT_EQ(test::DumpPrefixRegistry(prefixB()), before);
    EXPECT_EQ(cli(prefixA(), root.path(), {"--work-dir", shared.string(), "restore", "--latest"}).exitCode, 0);
}

}  // namespace
}  // namespace brindle
