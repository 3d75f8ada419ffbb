#include "platform/WineDrives.h"

#include <gtest/gtest.h>

#include "platform/WinTypes.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::TemporaryFolder;

const char* TypeName(WineDriveType type) {
    switch (type) {
        case WineDriveType::Fixed: return "Fixed";
        case WineDriveType::Removable: return "Removable";
        case WineDriveType::Remote: return "Remote";
        case WineDriveType::CdRom: return "CdRom";
        case WineDriveType::RamDisk: return "RamDisk";
        case WineDriveType::Unknown: return "Unknown";
    }
    return "?";
}

// A prefix whose dosdevices holds one link of every kind that matters.
class WineDrivesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_prefix = m_scratch.makeFolder("prefix");
        m_scratch.makeFolder("prefix/drive_c");
        m_outside = m_scratch.makeFolder("outside");
        // Shares the prefix's name as a string prefix, but is another folder.
        m_sibling = m_scratch.makeFolder("prefix-games");
        fs::create_directory_symlink(m_outside, m_prefix / "escape");
        fs::create_directory_symlink(m_prefix / "drive_c", m_scratch.path() / "alias-of-c");
        m_scratch.makeFolder("prefix/dosdevices");

        link("c:", "../drive_c");
        link("a:", "../drive_c");
        link("z:", "/");
        link("d:", m_outside.string());
        link("e:", "../drive_e");  // dangles
        link("f:", m_sibling.string());
        link("g:", (m_scratch.path() / "alias-of-c").string());  // outside by name, inside in fact
        link("i:", "../escape");                                 // inside by name, outside in fact
        link("com1", "/dev/ttyS0");
        link("lpt1", "/dev/lp0");
        link("d::", "/dev/sr0");
        link("cc:", "../drive_c");
    }

    void link(const std::string& name, const std::string& target) {
        fs::create_symlink(target, m_prefix / "dosdevices" / name);
    }

    // "C Fixed inside" for each drive, so that a failure shows the whole picture.
    std::vector<std::string> summary(const std::map<char, std::string>& typeSettings, const fs::path& prefix) {
        std::vector<std::string> lines;
        for (const auto& drive : ReadWineDrives(prefix, typeSettings))
            lines.push_back(std::string(1, drive.letter) + " " + TypeName(drive.type) +
                            (drive.insidePrefix ? " inside" : ""));
        return lines;
    }

    TemporaryFolder m_scratch;
    fs::path m_prefix;
    fs::path m_outside;
    fs::path m_sibling;
};

TEST_F(WineDrivesTest, TypesDrivesByWhereTheyLeadWithoutSettings) {
    const std::vector<std::string> expected = {
        "A Removable inside", "C Fixed inside", "D Remote", "E Unknown", "F Remote",
        "G Fixed inside",     "I Remote",       "Z Remote",
    };
    EXPECT_EQ(expected, summary({}, m_prefix));
}

TEST_F(WineDrivesTest, SettingsOverrideInAnyLetterCase) {
    const std::map<char, std::string> settings = {
        {'a', "hd"},      {'C', "CDROM"},   {'d', "Hd"},     {'e', "hd"},       // a dangling drive stays unwalkable
        {'f', "floppy"},  {'g', "network"}, {'I', "RamDisk"}, {'z', "zip drive"},  // unknown text
    };
    const std::vector<std::string> expected = {
        "A Fixed inside", "C CdRom inside", "D Fixed",   "E Unknown",
        "F Removable",    "G Remote inside", "I RamDisk", "Z Unknown",
    };
    EXPECT_EQ(expected, summary(settings, m_prefix));
}

TEST_F(WineDrivesTest, KeepsTheLinkAsWrittenAndItsRealPath) {
    const auto drives = ReadWineDrives(m_prefix, {});
    ASSERT_EQ(8u, drives.size());
    const auto& c = drives[1];
    EXPECT_EQ('C', c.letter);
    EXPECT_EQ(m_prefix / "drive_c", c.target);
    EXPECT_EQ(fs::canonical(m_prefix / "drive_c"), c.realPath);
    const auto& e = drives[3];
    EXPECT_EQ(m_prefix / "drive_e", e.target);
    EXPECT_EQ(fs::path(), e.realPath);
    const auto& g = drives[5];
    EXPECT_EQ(m_scratch.path() / "alias-of-c", g.target);
    EXPECT_EQ(fs::canonical(m_prefix / "drive_c"), g.realPath);
    const auto& z = drives[7];
    EXPECT_EQ(fs::path("/"), z.target);
    EXPECT_EQ(fs::path("/"), z.realPath);
}

TEST_F(WineDrivesTest, JudgesInsideOnTheRealPathOfAPrefixReachedThroughALink) {
    const fs::path alias = m_scratch.path() / "prefix-alias";
    fs::create_directory_symlink(m_prefix, alias);
    const std::vector<std::string> expected = {
        "A Removable inside", "C Fixed inside", "D Remote", "E Unknown", "F Remote",
        "G Fixed inside",     "I Remote",       "Z Remote",
    };
    EXPECT_EQ(expected, summary({}, alias));
}

TEST_F(WineDrivesTest, ReadsNothingWithoutDosdevices) {
    EXPECT_TRUE(ReadWineDrives(m_outside, {}).empty());
    EXPECT_TRUE(ReadWineDrives(m_scratch.path() / "missing", {}).empty());
}

TEST(WineDriveTypeTest, MapsToGetDriveTypeCodes) {
    const std::pair<WineDriveType, unsigned> rows[] = {
        {WineDriveType::Fixed, win::DRIVE_FIXED},     {WineDriveType::Removable, win::DRIVE_REMOVABLE},
        {WineDriveType::Remote, win::DRIVE_REMOTE},   {WineDriveType::CdRom, win::DRIVE_CDROM},
        {WineDriveType::RamDisk, win::DRIVE_RAMDISK}, {WineDriveType::Unknown, win::DRIVE_UNKNOWN},
    };
    for (const auto& [type, code] : rows) EXPECT_EQ(code, ToWin32DriveType(type)) << TypeName(type);
}

}  // namespace
}  // namespace brindle
