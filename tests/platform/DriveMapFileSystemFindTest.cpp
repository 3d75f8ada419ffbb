// Folder searches, drive lists and file changes of the drive-mapped file system.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/DriveMapFileSystem.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using namespace win;

class DriveMapFileSystemFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_drive = m_root.makeFolder("c");
        m_files.mapDrive('c', m_drive);
    }

    void makeFile(const std::string& relative) { m_root.writeFile("c/" + relative, "x"); }
    void makeFolder(const std::string& relative) { m_root.makeFolder("c/" + relative); }
    fs::path host(const std::string& relative) const { return m_drive / relative; }

    struct Entry {
        std::string name;
        bool folder;
        bool operator==(const Entry&) const = default;
    };

    // Every entry a search gives, in its order.
    std::vector<Entry> search(const char* pattern) {
        std::vector<Entry> entries;
        FindDataA data;
        FindHandle handle = m_files.FindFirstFileA(pattern, data);
        if (!handle) return entries;
        do {
            entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileA(handle, data));
        FindClose(handle);
        EXPECT_EQ(nullptr, handle);
        return entries;
    }

    // The names a search gives, sorted, so that rows do not depend on readdir's order.
    std::string sortedNames(const char* pattern) {
        std::vector<std::string> names;
        for (const auto& entry : search(pattern)) names.push_back(entry.name);
        std::sort(names.begin(), names.end());
        std::string joined;
        for (const auto& name : names) joined += (joined.empty() ? "" : "|") + name;
        return joined;
    }

    // "volume:index", so that a failing comparison shows both identities.
    static std::string text(const std::optional<FileIdentity>& identity) {
        if (!identity) return "(none)";
        return std::to_string(identity->volume) + ":" + std::to_string(identity->index);
    }

    std::string identityOf(const fs::path& path) const {
        struct stat status {};
        EXPECT_EQ(0, stat(path.c_str(), &status)) << path;
        return text(FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)});
    }

    test::TemporaryFolder m_root;
    fs::path m_drive;
    DriveMapFileSystem m_files;
};

TEST_F(DriveMapFileSystemFindTest, MasksMatchAsWin32MatchesThem) {
    for (const char* name : {"a.lnk", "B.LNK", "c.Lnk", "d.lnk.txt", "lnk", "e.lnkx", "readme", "readme.txt",
                             "abc.txt", "axc.txt", "ac.txt", ".hidden.lnk"}) {
        makeFile("f/" + std::string(name));
    }
    struct MaskCase {
        const char* pattern;
        const char* names;  // sorted, '|' between
    };
    const MaskCase rows[] = {
        {"C:\\f\\*.lnk", ".hidden.lnk|B.LNK|a.lnk|c.Lnk"},
        {"C:\\f\\*.LNK", ".hidden.lnk|B.LNK|a.lnk|c.Lnk"},
        {"C:\\f\\*.*",
         ".|..|.hidden.lnk|B.LNK|a.lnk|abc.txt|ac.txt|axc.txt|c.Lnk|d.lnk.txt|e.lnkx|lnk|readme|readme.txt"},
        {"C:\\f\\*",
         ".|..|.hidden.lnk|B.LNK|a.lnk|abc.txt|ac.txt|axc.txt|c.Lnk|d.lnk.txt|e.lnkx|lnk|readme|readme.txt"},
        {"C:\\f\\a?c.txt", "abc.txt|axc.txt"},
        {"C:\\f\\readme.*", "readme|readme.txt"},
        {"C:\\f\\README.TXT", "readme.txt"},
        {"C:\\f\\*.lnk*", ".hidden.lnk|B.LNK|a.lnk|c.Lnk|d.lnk.txt|e.lnkx"},
        {"C:\\f\\*.exe", ""},
        {"C:\\f\\", ""},
        {"C:\\missing\\*.*", ""},
        {"C:\\f\\abc.txt\\*.*", ""},
        {"Q:\\*.*", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(row.names, sortedNames(row.pattern)) << row.pattern;
}

TEST_F(DriveMapFileSystemFindTest, ListsDotEntriesFirstExceptInARoot) {
    makeFile("root.txt");
    makeFile("sub/inner.txt");
    makeFolder("sub/deeper");
    const auto inSub = search("C:\\sub\\*.*");
    ASSERT_EQ(4u, inSub.size());
    EXPECT_EQ((Entry{".", true}), inSub[0]);
    EXPECT_EQ((Entry{"..", true}), inSub[1]);
    EXPECT_EQ("root.txt|sub", sortedNames("C:\\*.*"));
    EXPECT_EQ("root.txt|sub", sortedNames("c:*.*"));
}

TEST_F(DriveMapFileSystemFindTest, FollowsTheHostsReaddirOrder) {
    for (int i = 0; i < 40; ++i) makeFile("many/file" + std::to_string(i) + ".txt");
    std::vector<std::string> expected;
    for (const auto& entry : fs::directory_iterator(host("many"))) expected.push_back(entry.path().filename());
    std::vector<std::string> listed;
    for (const auto& entry : search("C:\\many\\*.txt")) listed.push_back(entry.name);
    EXPECT_EQ(expected, listed);
}

TEST_F(DriveMapFileSystemFindTest, ReportsFoldersWithTheirIdentity) {
    makeFile("real/inner.txt");
    fs::create_directory_symlink("real", host("linked"));
    fs::create_symlink("nowhere", host("dangling"));
    fs::create_symlink("real/inner.txt", host("file-link"));

    std::map<std::string, FindDataA> byName;
    FindDataA data;
    FindHandle handle = m_files.FindFirstFileA("C:\\*.*", data);
    ASSERT_NE(nullptr, handle);
    do byName[data.cFileName] = data;
    while (FindNextFileA(handle, data));

    ASSERT_EQ(4u, byName.size());
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, byName["real"].dwFileAttributes);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, byName["linked"].dwFileAttributes);
    EXPECT_EQ(identityOf(host("real")), text(byName["real"].identity));
    EXPECT_EQ(identityOf(host("real")), text(byName["linked"].identity));
    // A link that leads nowhere, or to a file, is a file.
    EXPECT_EQ(0u, byName["dangling"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(byName["dangling"].identity.has_value());
    EXPECT_EQ(0u, byName["file-link"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_EQ(identityOf(host("real")), text(m_files.GetFileIdentity("C:\\LINKED")));
    EXPECT_EQ(identityOf(m_drive), text(m_files.GetFileIdentity("C:\\")));
    EXPECT_FALSE(m_files.GetFileIdentity("C:\\dangling").has_value());
    EXPECT_FALSE(m_files.GetFileIdentity(nullptr).has_value());
}

TEST_F(DriveMapFileSystemFindTest, SpellsNamesInTheCodePage) {
    makeFile("names/Caf\xC3\xA9.lnk");           // "Café.lnk"
    makeFile("names/\xE6\x97\xA5\xE6\x9C\xAC.lnk");  // "日本.lnk": not in 1252
    makeFile("names/back\\slash.lnk");           // a name Windows could not hold
    makeFile("names/co:lon.lnk");
    makeFile("names/\xFF\xFEnot-utf8.lnk");       // no Windows spelling at all
    EXPECT_EQ("??.lnk|Caf\xE9.lnk|back?slash.lnk|co?lon.lnk", sortedNames("C:\\NAMES\\*.LNK"));
    // A name with '?' cannot be searched for or opened again by it.
    EXPECT_EQ("", sortedNames("C:\\names\\back?slash.lnk\\*.*"));
    EXPECT_EQ(-1, m_files._access("C:\\names\\back?slash.lnk", 0));
    EXPECT_EQ(0, m_files._access("C:\\names\\caf\xC9.lnk", 0));

    m_files.setCodePage(CodePage(932));
    EXPECT_EQ("\x93\xfa\x96\x7b.lnk", sortedNames("C:\\names\\\x93\xfa*"));
}

TEST_F(DriveMapFileSystemFindTest, HandlesOutliveTheScanCache) {
    makeFile("one/a.txt");
    makeFile("one/b.txt");
    makeFile("two/c.txt");
    m_files.beginScan();
    FindDataA first;
    FindHandle one = m_files.FindFirstFileA("C:\\one\\*.txt", first);
    ASSERT_NE(nullptr, one);
    EXPECT_EQ("c.txt", sortedNames("C:\\two\\*.txt"));
    std::vector<std::string> names{first.cFileName};
    FindDataA next;
    while (FindNextFileA(one, next)) names.push_back(next.cFileName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), names);
    m_files.endScan();
    FindDataA none;
    EXPECT_FALSE(FindNextFileA(FindHandle{}, none));
}

TEST_F(DriveMapFileSystemFindTest, ScanReusesTheLastFolderUntilAFileIsDeleted) {
    makeFile("dir/a.lnk");
    makeFile("dir/b.txt");
    m_files.beginScan();
    EXPECT_EQ("a.lnk", sortedNames("C:\\dir\\*.lnk"));
    makeFile("dir/late.txt");
    // The folder searched last is not read again within the scan ...
    EXPECT_EQ(".|..|a.lnk|b.txt", sortedNames("C:\\dir\\*.*"));
    // ... unless the scan itself deleted something.
    EXPECT_TRUE(m_files.DeleteFileA("C:\\dir\\a.lnk"));
    EXPECT_EQ(".|..|b.txt|late.txt", sortedNames("C:\\dir\\*.*"));
    m_files.endScan();
    makeFile("dir/later.txt");
    EXPECT_EQ(".|..|b.txt|late.txt|later.txt", sortedNames("C:\\dir\\*.*"));
}

TEST(DriveMapFileSystemDriveList, ListsRootsAsGetLogicalDriveStringsDoes) {
    DriveMapFileSystem files;
    char buffer[32];
    EXPECT_EQ(0u, files.GetLogicalDriveStringsA(sizeof buffer, buffer));  // no drives: only the final NUL
    files.mapDrive('z', "/", DRIVE_REMOTE);
    files.mapDrive('C', "/tmp");
    files.mapDrive('d', "/tmp", DRIVE_CDROM);
    const std::string expected("C:\\\0D:\\\0Z:\\\0\0", 13);
    EXPECT_EQ(13u, files.GetLogicalDriveStringsA(0, nullptr));
    EXPECT_EQ(13u, files.GetLogicalDriveStringsA(12, buffer));
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(12u, files.GetLogicalDriveStringsA(13, buffer));
    EXPECT_EQ(expected, std::string(buffer, 13));
    EXPECT_EQ('#', buffer[13]);

    struct TypeCase {
        const char* root;
        unsigned type;
    };
    const TypeCase rows[] = {
        {"C:\\", DRIVE_FIXED}, {"c:", DRIVE_FIXED},       {"C:/", DRIVE_FIXED},
        {"D:\\", DRIVE_CDROM}, {"z:\\", DRIVE_REMOTE},    {"E:\\", DRIVE_NO_ROOT_DIR},
        {"C:\\tmp\\", DRIVE_NO_ROOT_DIR}, {"\\\\server\\share\\", DRIVE_NO_ROOT_DIR}, {"", DRIVE_NO_ROOT_DIR},
    };
    for (const auto& row : rows) EXPECT_EQ(row.type, files.GetDriveTypeA(row.root)) << row.root;
    files.setCurrentDirectory("D:\\somewhere");
    EXPECT_EQ(DRIVE_CDROM, files.GetDriveTypeA(nullptr));
}

TEST_F(DriveMapFileSystemFindTest, ReadOnlyIsTheAbsenceOfWriteBits) {
    makeFile("app/file.txt");
    const auto file = host("app/file.txt");
    ASSERT_EQ(0, chmod(file.c_str(), 0644));
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE, m_files.GetFileAttributesA("C:\\app\\FILE.TXT"));

    EXPECT_TRUE(m_files.SetFileAttributesA("C:\\app\\file.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(fs::perms(0444), fs::status(file).permissions());
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, m_files.GetFileAttributesA("C:\\app\\file.txt"));
    EXPECT_FALSE(m_files.DeleteFileA("C:\\app\\file.txt"));
    EXPECT_TRUE(fs::exists(file));

    EXPECT_TRUE(m_files.SetFileAttributesA("C:\\app\\file.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(fs::perms(0644), fs::status(file).permissions());
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE, m_files.GetFileAttributesA("C:\\app\\file.txt"));

    // Group write alone already makes the file writable; nothing changes.
    ASSERT_EQ(0, chmod(file.c_str(), 0464));
    EXPECT_TRUE(m_files.SetFileAttributesA("C:\\app\\file.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(fs::perms(0464), fs::status(file).permissions());

    // Folders keep their host rights.
    const auto folderRights = fs::status(host("app")).permissions();
    EXPECT_TRUE(m_files.SetFileAttributesA("C:\\app", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, m_files.GetFileAttributesA("C:\\app\\"));
    EXPECT_EQ(folderRights, fs::status(host("app")).permissions());

    EXPECT_FALSE(m_files.SetFileAttributesA("C:\\app\\missing.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(m_files.SetFileAttributesA(nullptr, FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, m_files.GetFileAttributesA("C:\\app\\missing.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, m_files.GetFileAttributesA(nullptr));
}

TEST_F(DriveMapFileSystemFindTest, DeletesFilesOnly) {
    makeFile("app/file.txt");
    makeFile("app/sub/inner.txt");
    makeFile("app/target.txt");
    fs::create_symlink("target.txt", host("app/link.txt"));

    EXPECT_FALSE(m_files.DeleteFileA("C:\\app\\sub"));
    EXPECT_FALSE(m_files.DeleteFileA("C:\\app\\missing.txt"));
    EXPECT_FALSE(m_files.DeleteFileA("C:\\app\\file.txt\\"));
    EXPECT_FALSE(m_files.DeleteFileA(""));
    EXPECT_FALSE(m_files.DeleteFileA(nullptr));
    EXPECT_TRUE(fs::exists(host("app/sub/inner.txt")));

    EXPECT_TRUE(m_files.DeleteFileA("C:\\APP\\File.TXT"));
    EXPECT_FALSE(fs::exists(host("app/file.txt")));
    // Deleting a link removes the link, not what it leads to.
    EXPECT_TRUE(m_files.DeleteFileA("C:\\app\\link.txt"));
    EXPECT_FALSE(fs::is_symlink(host("app/link.txt")));
    EXPECT_TRUE(fs::exists(host("app/target.txt")));
}

}  // namespace
}  // namespace brindle
