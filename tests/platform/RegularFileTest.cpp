#include "platform/RegularFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using Status = RegularFileRead::Status;

TEST(RegularFileTest, ReadsAWholeFileThroughLinksUpToTheLimit) {
    test::TemporaryFolder folder;
    const std::string content(5000, 'x');
    const fs::path file = folder.writeFile("data.txt", content);
    fs::create_symlink("data.txt", folder.path() / "link.txt");
    for (const fs::path& path : {file, folder.path() / "link.txt"}) {
        const RegularFileRead read = ReadRegularFile(path, content.size());
        EXPECT_EQ(Status::Read, read.status) << read.error;
        EXPECT_EQ(content, read.bytes);
    }
    EXPECT_TRUE(ReadRegularFile(folder.writeFile("empty.txt"), 0).ok());
}

struct Refusal {
    const char* what;
    fs::path path;
    std::uint64_t limit;
    Status status;
    const char* says;
};

// Each is refused at once with the file's name: a pipe nobody writes to would block a
// plain read for ever, /dev/zero never ends.
TEST(RegularFileTest, RefusesWhatIsNotAReadableRegularFileAtOnce) {
    test::TemporaryFolder folder;
    const fs::path pipe = folder.path() / "user.reg";
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    fs::create_symlink("/dev/zero", folder.path() / "zero.reg");
    fs::create_symlink("nowhere", folder.path() / "dangling.reg");
    const Refusal cases[] = {
        {"a named pipe", pipe, 1 << 20, Status::NotRegular, "is a named pipe, not a regular file"},
        {"a device behind a link", folder.path() / "zero.reg", 1 << 20, Status::NotRegular, "is a character device"},
        {"a folder", folder.makeFolder("system.reg"), 1 << 20, Status::NotRegular, "is a folder"},
        {"too large", folder.writeFile("big.reg", std::string(300, 'b')), 100, Status::TooLarge, "larger than 100 bytes"},
        {"missing", folder.path() / "none.reg", 100, Status::Missing, "does not exist"},
        {"a dangling link", folder.path() / "dangling.reg", 100, Status::Missing, "does not exist"},
    };
    for (const auto& refusal : cases) {
        const RegularFileRead read = ReadRegularFile(refusal.path, refusal.limit);
        EXPECT_EQ(refusal.status, read.status) << refusal.what;
        EXPECT_NE(std::string::npos, read.error.find(refusal.path.string())) << refusal.what << ": " << read.error;
        EXPECT_NE(std::string::npos, read.error.find(refusal.says)) << refusal.what << ": " << read.error;
        // Only a file too large shows its head, so that a caller can say what it is.
        const std::size_t head = refusal.status == Status::TooLarge ? kRegularFileHeadBytes : 0;
        EXPECT_EQ(head, read.bytes.size()) << refusal.what;
    }
}

// A file read on someone's behalf inside a tree is never reached through a link of its
// own name, which may lead anywhere; links among the folders above it are the tree's.
TEST(RegularFileTest, RefusingAFinalLinkReadsOnlyTheFileItself) {
    test::TemporaryFolder folder;
    const fs::path file = folder.writeFile("tree/data.lnk", "bytes");
    const fs::path readOnly = folder.writeFile("tree/fixed.lnk", "fixed");
    ASSERT_EQ(0, ::chmod(readOnly.c_str(), 0444));
    fs::create_symlink("data.lnk", folder.path() / "tree/link.lnk");
    fs::create_symlink("nowhere", folder.path() / "tree/dangling.lnk");
    fs::create_symlink("tree", folder.path() / "via");
    struct Case {
        const char* what;
        fs::path path;
        Status status;
        const char* bytes;
        bool readOnly;
    };
    const Case cases[] = {
        {"a file", file, Status::Read, "bytes", false},
        {"a file nobody may write", readOnly, Status::Read, "fixed", true},
        {"a file in a linked folder", folder.path() / "via/data.lnk", Status::Read, "bytes", false},
        {"a link to a file", folder.path() / "tree/link.lnk", Status::FinalLink, "", false},
        {"a link that leads nowhere", folder.path() / "tree/dangling.lnk", Status::FinalLink, "", false},
    };
    for (const Case& c : cases) {
        const RegularFileRead read = ReadRegularFile(c.path, 100, FinalLink::Refuse);
        EXPECT_EQ(c.status, read.status) << c.what << ": " << read.error;
        EXPECT_EQ(c.bytes, read.bytes) << c.what;
        EXPECT_EQ(c.readOnly, read.readOnly) << c.what;
        if (c.status == Status::FinalLink) {
            EXPECT_EQ(c.path.string() + " is a symbolic link; it was not read", read.error) << c.what;
        }
    }
    // Followed by default, as before.
    EXPECT_EQ("bytes", ReadRegularFile(folder.path() / "tree/link.lnk", 100).bytes);
}

TEST(RegularFileTest, ARefusedLargeFileTellsItsSize) {
    test::TemporaryFolder folder;
    const RegularFileRead read = ReadRegularFile(folder.writeFile("big.lnk", std::string(300, 'b')), 100);
    EXPECT_EQ(Status::TooLarge, read.status);
    EXPECT_EQ(300u, read.size);
}

TEST(RegularFileTest, AFileThatCannotBeOpenedSaysWhy) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read anything";
    test::TemporaryFolder folder;
    const fs::path file = folder.writeFile("secret.reg", "x");
    ASSERT_EQ(0, ::chmod(file.c_str(), 0));
    const RegularFileRead read = ReadRegularFile(file, 10);
    EXPECT_EQ(Status::Failed, read.status);
    EXPECT_NE(std::string::npos, read.error.find("cannot open " + file.string())) << read.error;
}

}  // namespace
}  // namespace brindle
