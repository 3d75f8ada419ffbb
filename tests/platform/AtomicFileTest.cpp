#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

struct stat StatusOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &status)) << path;
    return status;
}

// Temporary files are hidden names beside their targets; none may stay behind.
std::vector<std::string> HiddenEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".")) names.push_back(name);
    }
    return names;
}

TEST(AtomicFileTest, AReplacedFileKeepsItsPermissionsAndANewOneIsReadableByAll) {
    test::TemporaryFolder folder;
    for (const mode_t mode : {0600, 0640, 0444, 0755}) {
        const fs::path file = folder.writeFile("user.reg", "old");
        ASSERT_EQ(0, ::chmod(file.c_str(), mode));
        EXPECT_EQ("", WriteFileAtomically(file, "new").message());
        EXPECT_EQ("new", test::ReadFileAt(file));
        EXPECT_EQ(mode, StatusOf(file).st_mode & 07777) << std::oct << mode;
        fs::remove(file);
    }
    const fs::path fresh = folder.path() / "ignore.lst";
    EXPECT_EQ("", WriteFileAtomically(fresh, "x").message());
    EXPECT_EQ(0644u, StatusOf(fresh).st_mode & 07777);
    EXPECT_TRUE(HiddenEntries(folder.path()).empty());
}

// A run killed before its commit leaves its temporary file; the next writer of the same
// file removes it, and nothing else: not the user's files of similar names, not a link.
TEST(AtomicFileTest, AbandonedTemporariesAreRemovedAndNothingElse) {
    test::TemporaryFolder folder;
    test::TemporaryFolder elsewhere;
    const fs::path real = elsewhere.writeFile("system.reg", "real");
    const fs::path linked = folder.path() / "system.reg";
    fs::create_symlink(real, linked);
    const std::vector<std::string> ours = {".system.reg.brindle-Ab12Cd", ".system.reg.brindle-000000"};
    const std::vector<std::string> others = {
        ".system.reg.brindle-Ab12C",   ".system.reg.brindle-Ab12Cde", ".system.reg.brindle-Ab12C!",
        ".system.reg.Ab12Cd",          "system.reg.brindle-Ab12Cd",   ".user.reg.brindle-Ab12Cd",
        ".system.reg.brindle-Ab12Cd.txt"};
    for (const auto& name : ours) {
        folder.writeFile(name, "left by a killed run");
        elsewhere.writeFile(name, "left beside the link's target");
    }
    for (const auto& name : others) folder.writeFile(name, "the user's");
    const fs::path victim = elsewhere.writeFile("victim", "must stay");
    fs::create_symlink(victim, folder.path() / ".system.reg.brindle-Zz99Zz");

    EXPECT_EQ(RemoveAbandonedTemporaries(linked), 2 * ours.size());
    std::vector<std::string> expected = others;
    expected.push_back(".system.reg.brindle-Zz99Zz");
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> left = HiddenEntries(folder.path());
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        if (!entry.path().filename().string().starts_with(".")) left.push_back(entry.path().filename().string());
    }
    std::erase(left, "system.reg");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, expected);
    EXPECT_TRUE(HiddenEntries(elsewhere.path()).empty());
    EXPECT_EQ(test::ReadFileAt(victim), "must stay");
    EXPECT_EQ(test::ReadFileAt(real), "real");
}

TEST(AtomicFileTest, AReplacedFileKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    test::TemporaryFolder folder;
    const fs::path file = folder.writeFile("system.reg", "old");
    ASSERT_EQ(0, ::chown(file.c_str(), 4321, 8765));
    EXPECT_EQ("", WriteFileAtomically(file, "new").message());
    EXPECT_EQ(4321u, StatusOf(file).st_uid);
    EXPECT_EQ(8765u, StatusOf(file).st_gid);
}

// The user linked the file elsewhere: the link stays, the file it leads to is replaced,
// and the temporary file is made beside that file, on its file system.
TEST(AtomicFileTest, AFileReachedThroughLinksIsReplacedAtItsTarget) {
    test::TemporaryFolder prefix;
    test::TemporaryFolder elsewhere;
    const fs::path target = elsewhere.writeFile("real/system.reg", "old");
    ASSERT_EQ(0, ::chmod(target.c_str(), 0600));
    fs::create_symlink(target, prefix.path() / "hop.reg");
    fs::create_symlink("hop.reg", prefix.path() / "system.reg");  // a chain, relative then absolute

    EXPECT_EQ("", WriteFileAtomically(prefix.path() / "system.reg", "new").message());
    EXPECT_TRUE(fs::is_symlink(prefix.path() / "system.reg"));
    EXPECT_EQ("hop.reg", fs::read_symlink(prefix.path() / "system.reg"));
    EXPECT_EQ(target, fs::read_symlink(prefix.path() / "hop.reg"));
    EXPECT_EQ("new", test::ReadFileAt(target));
    EXPECT_EQ(0600u, StatusOf(target).st_mode & 07777);
    EXPECT_TRUE(HiddenEntries(prefix.path()).empty());
    EXPECT_TRUE(HiddenEntries(target.parent_path()).empty());

    // A link that leads nowhere yet is written through as well: the file appears there.
    fs::create_symlink(elsewhere.path() / "later.lst", prefix.path() / "ignore.lst");
    EXPECT_EQ("", WriteFileAtomically(prefix.path() / "ignore.lst", "kept").message());
    EXPECT_TRUE(fs::is_symlink(prefix.path() / "ignore.lst"));
    EXPECT_EQ("kept", test::ReadFileAt(elsewhere.path() / "later.lst"));
}

TEST(AtomicFileTest, OnlyARegularFileIsEverReplaced) {
    test::TemporaryFolder folder;
    const fs::path pipe = folder.path() / "user.reg";
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    const fs::path loop = folder.path() / "loop.reg";
    fs::create_symlink("loop.reg", loop);
    const std::pair<fs::path, const char*> cases[] = {
        {pipe, "is a named pipe, not a regular file; nothing was changed"},
        {folder.makeFolder("system.reg"), "is a folder, not a regular file; nothing was changed"},
        {loop, "Too many levels of symbolic links"},
    };
    for (const auto& [path, says] : cases) {
        const std::string error = WriteFileAtomically(path, "new").message();
        EXPECT_NE(std::string::npos, error.find(path.string())) << error;
        EXPECT_NE(std::string::npos, error.find(says)) << error;
    }
    EXPECT_TRUE(S_ISFIFO(StatusOf(pipe).st_mode));
    EXPECT_TRUE(HiddenEntries(folder.path()).empty());
}

// Whatever step a writer got to, ending it without a commit leaves the name as it was
// and no temporary file.
TEST(AtomicFileWriterTest, AWriterEndedWithoutCommitLeavesNothing) {
    enum class Reached { Open, Append, Finish };
    for (const AtomicTarget target : {AtomicTarget::ThroughLinks, AtomicTarget::NameItself, AtomicTarget::NewName}) {
        for (const Reached reached : {Reached::Open, Reached::Append, Reached::Finish}) {
            test::TemporaryFolder folder;
            const fs::path existing = folder.writeFile("user.reg", "old");
            const fs::path fresh = folder.path() / "fresh.reg";
            for (const fs::path& path : {existing, fresh}) {
                AtomicFileWriter writer(path, target);
                ASSERT_EQ("", writer.open().message());
                if (reached >= Reached::Append) {
                    EXPECT_EQ("", writer.append("new").message());
                }
                if (reached >= Reached::Finish) {
                    EXPECT_EQ("", writer.finish().message());
                }
                EXPECT_EQ(1u, HiddenEntries(folder.path()).size());
            }
            const auto what = "target " + std::to_string(static_cast<int>(target)) + ", reached " +
                              std::to_string(static_cast<int>(reached));
            EXPECT_EQ("old", test::ReadFileAt(existing)) << what;
            EXPECT_FALSE(fs::exists(fs::symlink_status(fresh))) << what;
            EXPECT_TRUE(HiddenEntries(folder.path()).empty()) << what;
        }
    }
}

// What each kind of target does with what has the name: a new name is never taken from
// anything, a link included, and replacing the name itself leaves a link's file alone.
TEST(AtomicFileWriterTest, EachTargetTreatsWhatHasTheNameItsOwnWay) {
    enum class There { Nothing, File, LinkToFile, DanglingLink };
    struct Case {
        AtomicTarget target;
        There there;
        FileCommit::Status status;
        bool nameIsLink;      // afterwards
        const char* atName;   // what reading the name gives afterwards ("" when nothing)
        const char* linkedTo; // what the link's file holds afterwards
    };
    using S = FileCommit::Status;
    const Case cases[] = {
        {AtomicTarget::NewName, There::Nothing, S::Committed, false, "new", "old"},
        {AtomicTarget::NewName, There::File, S::NameTaken, false, "mine", "old"},
        {AtomicTarget::NewName, There::LinkToFile, S::NameTaken, true, "old", "old"},
        {AtomicTarget::NewName, There::DanglingLink, S::NameTaken, true, "", ""},
        {AtomicTarget::NameItself, There::Nothing, S::Committed, false, "new", "old"},
        {AtomicTarget::NameItself, There::File, S::Committed, false, "new", "old"},
        {AtomicTarget::NameItself, There::LinkToFile, S::Committed, false, "new", "old"},
        {AtomicTarget::NameItself, There::DanglingLink, S::Committed, false, "new", ""},
        {AtomicTarget::ThroughLinks, There::DanglingLink, S::Committed, true, "new", "new"},
    };
    for (const Case& c : cases) {
        test::TemporaryFolder folder;
        const fs::path name = folder.path() / "backup.reg";
        const fs::path linked = folder.path() / "user's file";
        if (c.there != There::DanglingLink) test::WriteFileAt(linked, "old");
        if (c.there == There::File) test::WriteFileAt(name, "mine");
        if (c.there == There::LinkToFile || c.there == There::DanglingLink) fs::create_symlink(linked, name);
        const auto what = "target " + std::to_string(static_cast<int>(c.target)) + ", there " +
                          std::to_string(static_cast<int>(c.there));

        FileCommit commit;
        {
            AtomicFileWriter writer(name, c.target);
            ASSERT_EQ("", writer.open().message()) << what;
            // Written in pieces, as a long export writes.
            for (const char* piece : {"n", "", "ew"}) ASSERT_EQ("", writer.append(piece).message()) << what;
            commit = writer.commit();
        }
        EXPECT_EQ(c.status, commit.status) << what << ": " << commit.error;
        if (c.status == S::NameTaken) {
            EXPECT_EQ(name.string() + ": the name is taken", commit.error) << what;
        }
        EXPECT_EQ(c.nameIsLink, fs::is_symlink(name)) << what;
        EXPECT_EQ(c.atName, test::ReadFileAt(name)) << what;
        EXPECT_EQ(c.linkedTo, test::ReadFileAt(linked)) << what;
        if (c.status == S::Committed && c.there == There::Nothing) {
            EXPECT_EQ(0644u, StatusOf(name).st_mode & 07777) << what;
        }
        EXPECT_TRUE(HiddenEntries(folder.path()).empty()) << what;
    }
}

class ReplaceFilesTogetherTest : public ::testing::Test {
protected:
    ReplaceFilesTogetherTest() {
        for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
            paths.push_back(folder.writeFile(name, std::string("old ") + name));
            contents.push_back(std::string("new ") + name);
        }
    }

    std::vector<FileReplacement> replacements() const {
        std::vector<FileReplacement> list;
        for (std::size_t i = 0; i < paths.size(); ++i) list.push_back({paths[i], contents[i]});
        return list;
    }
    std::string held(std::size_t i) const { return test::ReadFileAt(paths[i]); }

    // Fails `step` for the file at `index` with `code`.
    static CommitFaultHook FailAt(CommitStep step, const fs::path& path, int code) {
        return [=](CommitStep now, const fs::path& file) { return now == step && file == path ? code : 0; };
    }

    test::TemporaryFolder folder;
    std::vector<fs::path> paths;
    std::vector<std::string> contents;
};

TEST_F(ReplaceFilesTogetherTest, ReplacesEveryFile) {
    const FilesCommit commit = ReplaceFilesTogether(replacements());
    EXPECT_TRUE(commit.ok()) << commit.status.message();
    EXPECT_EQ(3u, commit.replaced);
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(contents[i], held(i));
    EXPECT_TRUE(HiddenEntries(folder.path()).empty());
}

// Nothing is renamed before every temporary file is written: a failure on the second
// file leaves the first as it was.
TEST_F(ReplaceFilesTogetherTest, AFailureBeforeTheFirstRenameChangesNothing) {
    struct Case {
        const char* what;
        CommitFaultHook faults;
        std::function<void()> arrange;
        const char* says;
    };
    const Case cases[] = {
        {"the second temporary file cannot be written", FailAt(CommitStep::WriteTemporary, paths[1], ENOSPC), [] {},
         "No space left on device"},
        {"the first rename fails", FailAt(CommitStep::Rename, paths[0], EIO), [] {}, "cannot replace"},
        // Last: it changes the folder for good.
        {"a folder stands where the second file was", {},
         [this] {
             fs::remove(paths[1]);
             fs::create_directory(paths[1]);
         },
         "is a folder"},
    };
    for (const auto& c : cases) {
        c.arrange();
        const FilesCommit commit = ReplaceFilesTogether(replacements(), c.faults);
        EXPECT_EQ(0u, commit.replaced) << c.what;
        EXPECT_NE(std::string::npos, commit.status.message().find(c.says)) << c.what << ": " << commit.status.message();
        EXPECT_TRUE(commit.status.message().ends_with("; nothing was changed")) << c.what << ": " << commit.status.message();
        EXPECT_EQ("old system.reg", held(0)) << c.what;
        EXPECT_EQ("old userdef.reg", held(2)) << c.what;
        EXPECT_TRUE(HiddenEntries(folder.path()).empty()) << c.what;
    }
}

TEST_F(ReplaceFilesTogetherTest, ARenameThatFailsAfterAnotherNamesWhatWasWritten) {
    const FilesCommit commit = ReplaceFilesTogether(replacements(), FailAt(CommitStep::Rename, paths[1], EIO));
    EXPECT_EQ(1u, commit.replaced);
    EXPECT_EQ("new system.reg", held(0));
    EXPECT_EQ("old user.reg", held(1));
    EXPECT_EQ("old userdef.reg", held(2));
    EXPECT_EQ("cannot replace " + paths[1].string() + ": Input/output error; the files were only partly replaced. " +
                  "New content written: " + paths[0].string() + ". Left as they were: " + paths[1].string() + ", " +
                  paths[2].string(),
              commit.status.message());
    EXPECT_TRUE(HiddenEntries(folder.path()).empty());
}

}  // namespace
}  // namespace brindle
