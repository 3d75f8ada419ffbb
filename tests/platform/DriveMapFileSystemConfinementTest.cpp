// What belongs to the machine: folder links that lead out of it are marked for walks,
// and nothing outside it is changed or deleted, neither through a folder link nor
// through a link to a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/DriveMapFileSystem.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using namespace win;

mode_t ModeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(0, ::stat(path.c_str(), &status)) << path;
    return status.st_mode & 07777;
}

// A prefix with drive_c and drive_d, and a home folder beside it as Wine's user-folder
// links lead to.
class DriveMapFileSystemConfinementTest : public ::testing::Test {
protected:
    DriveMapFileSystemConfinementTest()
        : m_prefix(m_root.makeFolder("prefix")),
          m_driveC(m_root.makeFolder("prefix/drive_c")),
          m_home(m_root.makeFolder("home")) {
        m_root.makeFolder("prefix/drive_d/data");
        m_root.makeFolder("prefix/drive_c/users/me/Plain");
        fs::create_directory_symlink(m_home, m_driveC / "users/me/Desktop");
        fs::create_directory_symlink("../../../drive_d/data", m_driveC / "users/me/Data");
        fs::create_directory_symlink("..", m_driveC / "users/me/Up");
        fs::create_directory_symlink("nowhere", m_driveC / "users/me/Broken");
        m_files.mapDrive('C', m_driveC);
        m_files.mapDrive('D', m_prefix / "drive_d");
    }

    // The folders of a search, each with whether it leads out of the machine.
    std::map<std::string, bool> folders(const char* pattern) {
        std::map<std::string, bool> found;
        FindDataA data;
        FindHandle search = m_files.FindFirstFileA(pattern, data);
        if (!search) return found;
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && data.cFileName[0] != '.')
                found[data.cFileName] = data.leavesMachine;
        } while (FindNextFileA(search, data));
        return found;
    }

    test::TemporaryFolder m_root;
    fs::path m_prefix;
    fs::path m_driveC;
    fs::path m_home;
    DriveMapFileSystem m_files;
};

TEST_F(DriveMapFileSystemConfinementTest, MarksFolderLinksThatLeaveTheMachine) {
    // Without a folder of its own, each drive keeps to its own folder.
    EXPECT_EQ((std::map<std::string, bool>{{"Data", true}, {"Desktop", true}, {"Plain", false}, {"Up", false}}),
              folders("C:\\users\\me\\*"));
    // With the prefix as its folder, a link to another of its drives stays inside. A
    // link that leads nowhere is no folder at all.
    m_files.setOwnFolder(m_prefix);
    EXPECT_EQ((std::map<std::string, bool>{{"Data", false}, {"Desktop", true}, {"Plain", false}, {"Up", false}}),
              folders("C:\\users\\me\\*"));
}

// A drive the user marked as a hard disk may lie outside the prefix; it is walked, and
// its links stay inside when they lead into its own folder or into the prefix.
TEST_F(DriveMapFileSystemConfinementTest, ADriveOutsideThePrefixKeepsToItsOwnFolder) {
    const fs::path disk = m_root.makeFolder("disk/Data");
    fs::create_directory_symlink("Data", disk.parent_path() / "Inner");
    fs::create_directory_symlink(m_home, disk.parent_path() / "Away");
    fs::create_directory_symlink(m_driveC / "users", disk.parent_path() / "Users");
    m_root.writeFile("disk/Data/old.txt", "x");
    m_files.mapDrive('E', disk.parent_path());
    m_files.setOwnFolder(m_prefix);
    EXPECT_EQ((std::map<std::string, bool>{{"Away", true}, {"Data", false}, {"Inner", false}, {"Users", false}}),
              folders("E:\\*"));
    EXPECT_TRUE(m_files.DeleteFileA("E:\\Inner\\old.txt"));
}

TEST_F(DriveMapFileSystemConfinementTest, NothingOutsideTheMachineIsChangedOrDeleted) {
    m_files.setOwnFolder(m_prefix);
    const fs::path dead = m_root.writeFile("home/dead.lnk", "x");
    ASSERT_EQ(0, ::chmod(dead.c_str(), 0444));
    EXPECT_FALSE(m_files.SetFileAttributesA("C:\\users\\me\\Desktop\\dead.lnk", FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(m_files.DeleteFileA("C:\\users\\me\\Desktop\\dead.lnk"));
    ASSERT_EQ(0, ::chmod(dead.c_str(), 0644));
    EXPECT_FALSE(m_files.SetFileAttributesA("C:\\users\\me\\Desktop\\dead.lnk", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(m_files.DeleteFileA("C:\\users\\me\\Desktop\\dead.lnk"));
    EXPECT_TRUE(fs::exists(dead));
    EXPECT_EQ(0644u, ModeOf(dead));
    // Reading still reaches it: a shortcut's target may lie anywhere.
    EXPECT_EQ(0, m_files._access("C:\\users\\me\\Desktop\\dead.lnk", 0));

    // Inside, through a link to another drive of the prefix, changes are made.
    m_root.writeFile("prefix/drive_d/data/old.lnk", "x");
    EXPECT_TRUE(m_files.SetFileAttributesA("C:\\users\\me\\Data\\old.lnk", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0444u, ModeOf(m_prefix / "drive_d/data/old.lnk"));
    EXPECT_TRUE(m_files.SetFileAttributesA("C:\\users\\me\\Data\\old.lnk", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(m_files.DeleteFileA("C:\\users\\me\\Data\\old.lnk"));
    EXPECT_FALSE(fs::exists(m_prefix / "drive_d/data/old.lnk"));
}

// The link is the shortcut: whatever it leads to keeps its mode and stays.
TEST_F(DriveMapFileSystemConfinementTest, ALinkToAFileIsChangedAndDeletedItselfNeverItsTarget) {
    m_files.setOwnFolder(m_prefix);
    const fs::path readOnly = m_root.writeFile("home/read-only.exe", "x");
    const fs::path writable = m_root.writeFile("home/writable.exe", "x");
    ASSERT_EQ(0, ::chmod(readOnly.c_str(), 0444));
    ASSERT_EQ(0, ::chmod(writable.c_str(), 0644));
    fs::create_symlink(readOnly, m_driveC / "users/me/read-only.lnk");
    fs::create_symlink(writable, m_driveC / "users/me/writable.lnk");

    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE, m_files.GetFileAttributesA("C:\\users\\me\\read-only.lnk"));
    EXPECT_TRUE(m_files.SetFileAttributesA("C:\\users\\me\\read-only.lnk", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(0444u, ModeOf(readOnly));
    EXPECT_FALSE(m_files.SetFileAttributesA("C:\\users\\me\\writable.lnk", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0644u, ModeOf(writable));

    EXPECT_TRUE(m_files.DeleteFileA("C:\\users\\me\\read-only.lnk"));
    EXPECT_FALSE(fs::is_symlink(m_driveC / "users/me/read-only.lnk"));
    EXPECT_TRUE(fs::exists(readOnly));
    EXPECT_EQ(0444u, ModeOf(readOnly));

    // A link to a folder is no file to delete, wherever it leads.
    EXPECT_FALSE(m_files.DeleteFileA("C:\\users\\me\\Up"));
    EXPECT_TRUE(fs::is_symlink(m_driveC / "users/me/Up"));
}

}  // namespace
}  // namespace brindle
