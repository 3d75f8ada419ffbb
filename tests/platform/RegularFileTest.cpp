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
        {"a named pipe", pipe, 1 << 20, Status::Failed, "is a named pipe, not a regular file"},
        {"a device behind a link", folder.path() / "zero.reg", 1 << 20, Status::Failed, "is a character device"},
        {"a folder", folder.makeFolder("system.reg"), 1 << 20, Status::Failed, "is a folder"},
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
