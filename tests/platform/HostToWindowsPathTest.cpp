#include "platform/HostToWindowsPath.h"

#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::TemporaryFolder;

// The scratch folder's own path as the Z: drive shows it ("Z:\tmp\brindle-...").
std::string OnDriveZ(const fs::path& folder) {
    std::string path = "Z:";
    for (const fs::path& segment : fs::canonical(folder).relative_path()) path += "\\" + segment.string();
    return path;
}

class HostToWindowsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::canonical(scratch.path());
        scratch.writeFile("prefix/drive_c/Program Files/Brindle/brindle.exe");
        scratch.writeFile("host/usr/bin/brindle");
        scratch.writeFile("host/other/x");
        scratch.makeFolder("links");
        fs::create_symlink(root / "host/usr/bin/brindle", root / "links/brindle");
        drives = {
            Drive('A', root / "prefix/drive_c", WineDriveType::Removable),
            Drive('C', root / "prefix/drive_c", WineDriveType::Fixed),
            Drive('D', root / "host", WineDriveType::Remote),
            Drive('E', "", WineDriveType::Unknown),  // a dangling link
            Drive('F', root / "host/usr", WineDriveType::CdRom),
            Drive('G', root / "host/", WineDriveType::Remote),
            Drive('Z', "/", WineDriveType::Remote),
        };
    }

    static WineDrive Drive(char letter, const fs::path& realPath, WineDriveType type) {
        WineDrive drive;
        drive.letter = letter;
        drive.target = realPath;
        drive.realPath = realPath;
        drive.type = type;
        return drive;
    }

    TemporaryFolder scratch;
    fs::path root;
    std::vector<WineDrive> drives;
};

TEST_F(HostToWindowsPathTest, NamesTheFileThroughTheClosestDrive) {
    const struct {
        const char* what;
        fs::path file;
        std::string windowsPath;
    } cases[] = {
        {"fixed media before a removable drive of the same folder",
         root / "prefix/drive_c/Program Files/Brindle/brindle.exe", "C:\\Program Files\\Brindle\\brindle.exe"},
        {"the deepest drive, whatever its media", root / "host/usr/bin/brindle", "F:\\bin\\brindle"},
        {"the link's target, not the link", root / "links/brindle", "F:\\bin\\brindle"},
        {"the lower letter of two equal drives", root / "host/other/x", "D:\\other\\x"},
        {"a path with dots and doubled separators", root / "host/other/.//../other/x", "D:\\other\\x"},
        {"a drive's own folder", root / "host", "D:\\"},
        {"only the whole drive reaches it", root / "links", OnDriveZ(root / "links")},
        {"the root of the whole drive", "/", "Z:\\"},
    };
    for (const auto& c : cases) {
        const Result<std::string> path = WindowsPathOfHostFile(drives, c.file);
        ASSERT_TRUE(path.ok()) << c.what << ": " << path.message();
        EXPECT_EQ(path.value(), c.windowsPath) << c.what;
    }
}

TEST_F(HostToWindowsPathTest, RefusesNamesWindowsCannotUse) {
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"back\\slash", "backslash"}, {"a:b", "character :"},   {"what?", "character ?"},
        {"pipe|d", "character |"},    {"tab\there", "control"}, {"dot.", "ends in a dot"},
        {"space ", "ends in a space"}, {"con", "CON"},          {"Com3.txt", "COM3"},
        {"nul .tar.gz", "NUL"},
    };
    for (const auto& c : cases) {
        const fs::path file = scratch.writeFile(std::string("host/other/") + c.name + "/brindle");
        const Result<std::string> path = WindowsPathOfHostFile(drives, file);
        ASSERT_FALSE(path.ok()) << c.name << " gave " << path.value();
        EXPECT_NE(path.message().find(std::string("drive D: reaches it, but its part \"") + c.name + "\""),
                  std::string::npos)
            << path.message();
        EXPECT_NE(path.message().find(c.reason), std::string::npos) << path.message();
    }
    // Names that only look like those are fine.
    for (const char* name : {"console", "com10", "lpt0", "a.b", "nul-device", ".hidden"}) {
        const fs::path file = scratch.writeFile(std::string("host/other/") + name);
        const Result<std::string> path = WindowsPathOfHostFile(drives, file);
        ASSERT_TRUE(path.ok()) << name << ": " << path.message();
        EXPECT_EQ(path.value(), std::string("D:\\other\\") + name);
    }
}

TEST_F(HostToWindowsPathTest, SaysWhyWhenNoDriveReachesTheFile) {
    const std::vector<WineDrive> withoutZ(drives.begin(), drives.end() - 1);
    const Result<std::string> outside = WindowsPathOfHostFile(withoutZ, root / "links/../links");
    ASSERT_FALSE(outside.ok());
    EXPECT_EQ(outside.message(), (root / "links").string() +
                                     ": no drive of the prefix leads to it (the drives that lead anywhere: A:, "
                                     "C:, D:, F:, G:)");

    const Result<std::string> none = WindowsPathOfHostFile({}, root / "links");
    EXPECT_NE(none.message().find("(the drives that lead anywhere: none)"), std::string::npos) << none.message();

    const Result<std::string> missing = WindowsPathOfHostFile(drives, root / "host/missing");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.message().rfind((root / "host/missing").string() + ": cannot find the file", 0), 0u)
        << missing.message();
}

TEST_F(HostToWindowsPathTest, WorksWithTheDrivesOfAPrefixFolder) {
    const fs::path prefix = scratch.makeFolder("prefix");
    scratch.makeFolder("prefix/dosdevices");
    fs::create_symlink("../drive_c", prefix / "dosdevices/c:");
    fs::create_symlink("/", prefix / "dosdevices/z:");
    const std::vector<WineDrive> prefixDrives = ReadWineDrives(prefix, {});

    const Result<std::string> inside =
        WindowsPathOfHostFile(prefixDrives, root / "prefix/drive_c/Program Files/Brindle/brindle.exe");
    EXPECT_EQ(inside.ok() ? inside.value() : inside.message(), "C:\\Program Files\\Brindle\\brindle.exe");
    const Result<std::string> outside = WindowsPathOfHostFile(prefixDrives, root / "host/usr/bin/brindle");
    EXPECT_EQ(outside.ok() ? outside.value() : outside.message(), OnDriveZ(root / "host/usr/bin/brindle"));
}

}  // namespace
}  // namespace brindle
