#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

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
        EXPECT_EQ("", WriteFileAtomically(file, "new"));
        EXPECT_EQ("new", ReadFile(file));
        EXPECT_EQ(mode, StatusOf(file).st_mode & 07777) << std::oct << mode;
        fs::remove(file);
    }
    const fs::path fresh = folder.path() / "ignore.lst";
    EXPECT_EQ("", WriteFileAtomically(fresh, "x"));
    EXPECT_EQ(0644u, StatusOf(fresh).st_mode & 07777);
    EXPECT_TRUE(HiddenEntries(folder.path()).empty());
}

TEST(AtomicFileTest, AReplacedFileKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    test::TemporaryFolder folder;
    const fs::path file = folder.writeFile("system.reg", "old");
    ASSERT_EQ(0, ::chown(file.c_str(), 4321, 8765));
    EXPECT_EQ("", WriteFileAtomically(file, "new"));
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

    EXPECT_EQ("", WriteFileAtomically(prefix.path() / "system.reg", "new"));
    EXPECT_TRUE(fs::is_symlink(prefix.path() / "system.reg"));
    EXPECT_EQ("hop.reg", fs::read_symlink(prefix.path() / "system.reg"));
    EXPECT_EQ(target, fs::read_symlink(prefix.path() / "hop.reg"));
    EXPECT_EQ("new", ReadFile(target));
    EXPECT_EQ(0600u, StatusOf(target).st_mode & 07777);
    EXPECT_TRUE(HiddenEntries(prefix.path()).empty());
    EXPECT_TRUE(HiddenEntries(target.parent_path()).empty());

    // A link that leads nowhere yet is written through as well: the file appears there.
    fs::create_symlink(elsewhere.path() / "later.lst", prefix.path() / "ignore.lst");
    EXPECT_EQ("", WriteFileAtomically(prefix.path() / "ignore.lst", "kept"));
    EXPECT_TRUE(fs::is_symlink(prefix.path() / "ignore.lst"));
    EXPECT_EQ("kept", ReadFile(elsewhere.path() / "later.lst"));
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
        const std::string error = WriteFileAtomically(path, "new");
        EXPECT_NE(std::string::npos, error.find(path.string())) << error;
        EXPECT_NE(std::string::npos, error.find(says)) << error;
    }
    EXPECT_TRUE(S_ISFIFO(StatusOf(pipe).st_mode));
    EXPECT_TRUE(HiddenEntries(folder.path()).empty());
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
    std::string held(std::size_t i) const { return ReadFile(paths[i]); }

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
    EXPECT_TRUE(commit.ok()) << commit.error;
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
        EXPECT_NE(std::string::npos, commit.error.find(c.says)) << c.what << ": " << commit.error;
        EXPECT_TRUE(commit.error.ends_with("; nothing was changed")) << c.what << ": " << commit.error;
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
              commit.error);
    EXPECT_TRUE(HiddenEntries(folder.path()).empty());
}

}  // namespace
}  // namespace brindle
