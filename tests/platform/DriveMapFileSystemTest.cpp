#include "platform/DriveMapFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

class DriveMapFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_drive = m_root.makeFolder("c");
        m_files.mapDrive('c', m_drive);
    }

    // Creates a file below the C: folder, with its folders; host names are UTF-8 bytes.
    void makeFile(const std::string& relative) { m_root.writeFile("c/" + relative, "x"); }
    void makeFolder(const std::string& relative) { m_root.makeFolder("c/" + relative); }

    // The host path below C: that windowsPath resolves to, "." for C: itself, or
    // "(none)"; so that a failing row shows both paths.
    std::string resolvedBelowDrive(std::string_view windowsPath) {
        auto resolved = m_files.resolve(windowsPath);
        if (!resolved) return "(none)";
        return fs::path(*resolved).lexically_relative(m_drive).string();
    }

    test::TemporaryFolder m_root;
    fs::path m_drive;
    DriveMapFileSystem m_files;
};

struct ResolveCase {
    const char* windowsPath;  // in code page 1252
    const char* hostPath;     // below C:, UTF-8
};

TEST_F(DriveMapFileSystemTest, MatchesEachSegmentExactlyThenIgnoringCase) {
    makeFile("Program Files/My App/App.exe");
    makeFolder("windows/system32");
    makeFile("Caf\xC3\xA9/x.dll");
    const ResolveCase rows[] = {
        {"C:\\Program Files\\My App\\App.exe", "Program Files/My App/App.exe"},
        {"c:\\PROGRAM FILES\\my app\\app.EXE", "Program Files/My App/App.exe"},
        {"C:\\program files\\My App\\App.exe", "Program Files/My App/App.exe"},
        {"C:/Program Files/my app/App.exe", "Program Files/My App/App.exe"},
        {"C:\\Program Files\\My App\\App.exe ", "Program Files/My App/App.exe"},
        {"C:\\Program Files\\My App\\App.exe.", "Program Files/My App/App.exe"},
        {"C:\\Program Files\\Other\\..\\My App\\.\\App.exe", "Program Files/My App/App.exe"},
        {"C:\\Program Files\\My App\\", "Program Files/My App"},
        {"C:\\WINDOWS\\System32\\", "windows/system32"},
        {"C:\\Caf\xE9\\x.dll", "Caf\xC3\xA9/x.dll"},
        {"C:\\CAF\xC9\\X.DLL", "Caf\xC3\xA9/x.dll"},
        {"C:\\", "."},
        {"c:", "."},
        // A trailing separator asks for a folder.
        {"C:\\Program Files\\My App\\App.exe\\", "(none)"},
        {"C:\\Program Files\\My App\\Missing.exe", "(none)"},
        {"C:\\Program Files\\My Ap\\App.exe", "(none)"},
        {"C:\\Program Files\\My App\\App.exe\\x", "(none)"},
        {"C:\\Cafe\\x.dll", "(none)"},
        {"D:\\Program Files", "(none)"},
        {"\\\\server\\share\\App.exe", "(none)"},
        {"", "(none)"},
        // "..." leaves a literal "..", which must not climb out of the drive's folder.
        {"C:\\...\\c\\Program Files", "(none)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.hostPath, resolvedBelowDrive(row.windowsPath)) << row.windowsPath;
    }
}

TEST_F(DriveMapFileSystemTest, FoldsCaseBeyondLatin1) {
    makeFile("\xC5\x92uvre.txt");  // U+0152 LATIN CAPITAL LIGATURE OE
    makeFile("\xC5\xB8.txt");      // U+0178 LATIN CAPITAL LETTER Y WITH DIAERESIS
    EXPECT_EQ("\xC5\x92uvre.txt", resolvedBelowDrive("C:\\\x9Cuvre.txt"));  // 1252 0x9C is U+0153
    EXPECT_EQ("\xC5\xB8.txt", resolvedBelowDrive("C:\\\xFF.TXT"));         // 1252 0xFF is U+00FF
}

TEST_F(DriveMapFileSystemTest, PrefersAVariantThatIsAFolderWhenOneIsNeeded) {
    makeFile("dup");
    makeFile("Dup/inner.txt");
    EXPECT_EQ("Dup/inner.txt", resolvedBelowDrive("C:\\DUP\\inner.txt"));
    EXPECT_EQ("Dup/inner.txt", resolvedBelowDrive("C:\\dup\\inner.txt"));
    EXPECT_EQ("dup", resolvedBelowDrive("C:\\dup"));
    EXPECT_EQ("Dup", resolvedBelowDrive("C:\\dup\\"));
}

TEST_F(DriveMapFileSystemTest, RelativePathsStartAtTheCurrentDirectory) {
    makeFile("Program Files/My App/App.exe");
    makeFolder("windows");
    m_files.setCurrentDirectory("c:\\program files");
    EXPECT_EQ("Program Files/My App/App.exe", resolvedBelowDrive("My App\\App.exe"));
    EXPECT_EQ("Program Files/My App/App.exe", resolvedBelowDrive("my app\\app.exe "));
    EXPECT_EQ("windows", resolvedBelowDrive("..\\Windows"));
    EXPECT_EQ("windows", resolvedBelowDrive("\\windows"));
    EXPECT_EQ("(none)", resolvedBelowDrive("App.exe"));

    m_files.setCurrentDirectory("D:\\");
    EXPECT_EQ("(none)", resolvedBelowDrive("Program Files"));
    EXPECT_EQ("Program Files", resolvedBelowDrive("C:Program Files"));
    // A path from the root is on C:, wherever the current directory is.
    EXPECT_EQ("windows", resolvedBelowDrive("\\windows"));
    EXPECT_EQ("Program Files/My App/App.exe", resolvedBelowDrive("/program files/my app/app.exe"));
}

// Only "no such file or folder" is missing; any other failure of the look-up leaves it
// open, and _access tells the two apart as the runtime does.
TEST_F(DriveMapFileSystemTest, ProbeTellsMissingFromUndecided) {
    makeFile("App/app.exe");
    fs::create_symlink("Loop", m_drive / "Loop");
    fs::create_symlink("nowhere", m_drive / "Dangling");
    const std::string longName(300, 'n');
    const struct {
        std::string windowsPath;
        PathProbe probe;
        int error;  // errno after _access
    } rows[] = {
        {"C:\\App\\app.exe", PathProbe::Exists, 0},
        {"C:\\app\\APP.EXE", PathProbe::Exists, 0},
        {"C:\\App\\gone.exe", PathProbe::Missing, ENOENT},
        {"C:\\Gone\\app.exe", PathProbe::Missing, ENOENT},
        {"C:\\App\\app.exe\\inner.dll", PathProbe::Missing, ENOENT},  // a file where a folder should be
        {"C:\\App\\app.exe\\", PathProbe::Missing, ENOENT},
        {"C:\\Dangling", PathProbe::Missing, ENOENT},
        {"C:\\App\\" + longName, PathProbe::Missing, ENOENT},  // no host file can have that name
        {"C:\\App\\bad<name>.exe", PathProbe::Missing, ENOENT},
        {"Q:\\App\\app.exe", PathProbe::Missing, ENOENT},
        {"\\\\server\\share\\app.exe", PathProbe::Missing, ENOENT},
        // A link that leads to itself cannot be looked into: whether the file is there
        // cannot be told.
        {"C:\\Loop\\app.exe", PathProbe::Unknown, EACCES},
        {"C:\\LOOP\\app.exe", PathProbe::Unknown, EACCES},
        {"C:\\Loop", PathProbe::Unknown, EACCES},
    };
    for (bool scanning : {false, true}) {
        if (scanning) m_files.beginScan();
        for (const auto& row : rows) {
            SCOPED_TRACE(row.windowsPath + (scanning ? " (scanning)" : ""));
            EXPECT_EQ(m_files.ProbePath(row.windowsPath.c_str()), row.probe);
            errno = 0;
            const int result = m_files._access(row.windowsPath.c_str(), 0);
            EXPECT_EQ(result, row.probe == PathProbe::Exists ? 0 : -1);
            if (result != 0) {
                EXPECT_EQ(errno, row.error);
            }
        }
        if (scanning) m_files.endScan();
    }
}

// Wine resolves the short names it generates; Windows-style numbered ones do not exist.
TEST_F(DriveMapFileSystemTest, ResolvesWinesShortNames) {
    makeFile("Program Files/Common Files/shared.dll");
    makeFile("Program Files (x86)/App/app.exe");
    const ResolveCase rows[] = {
        {"C:\\PROG~FBU\\Common Files\\shared.dll", "Program Files/Common Files/shared.dll"},
        {"c:\\prog~fbu\\comm~cp1\\shared.dll", "Program Files/Common Files/shared.dll"},
        {"C:\\PROG~5P2\\App\\app.exe", "Program Files (x86)/App/app.exe"},
        {"C:\\PROG~FBU\\", "Program Files"},
        {"C:\\PROGRA~1\\Common Files\\shared.dll", "(none)"},
        {"C:\\PROG~FBU\\Common Files\\gone.dll", "(none)"},
        {"C:\\PROG~AAA\\Common Files\\shared.dll", "(none)"},
    };
    for (bool scanning : {false, true}) {
        if (scanning) m_files.beginScan();
        for (const auto& row : rows) {
            EXPECT_EQ(row.hostPath, resolvedBelowDrive(row.windowsPath)) << row.windowsPath << " scanning " << scanning;
        }
        if (scanning) m_files.endScan();
    }
}

TEST_F(DriveMapFileSystemTest, AccessChecksTheMode) {
    makeFile("App/app.exe");
    makeFile("App/readonly.txt");
    ASSERT_EQ(0, chmod((m_drive / "App/readonly.txt").c_str(), 0444));

    struct AccessCase {
        const char* windowsPath;
        int mode;
        int result;
        int error;  // errno after a failure
    };
    const AccessCase rows[] = {
        {"C:\\App\\app.exe", 0, 0, 0},
        {"C:\\APP\\APP.EXE", 2, 0, 0},
        {"C:\\App\\app.exe", 4, 0, 0},
        {"C:\\App\\app.exe", 6, 0, 0},
        {"C:\\App\\", 0, 0, 0},
        {"C:\\App\\readonly.txt", 4, 0, 0},
        {"C:\\App\\missing.exe", 0, -1, ENOENT},
        {"Q:\\App\\app.exe", 0, -1, ENOENT},
        {"C:\\App\\app.exe", 1, -1, EINVAL},
        {"C:\\App\\app.exe", 3, -1, EINVAL},
        {"C:\\App\\app.exe", 8, -1, EINVAL},
        {"C:\\App\\app.exe", -1, -1, EINVAL},
    };
    for (const auto& row : rows) {
        errno = 0;
        EXPECT_EQ(row.result, m_files._access(row.windowsPath, row.mode)) << row.windowsPath << " mode " << row.mode;
        if (row.result != 0) {
            EXPECT_EQ(row.error, errno) << row.windowsPath << " mode " << row.mode;
        }
    }
    EXPECT_EQ(-1, m_files._access(nullptr, 0));

    // Root is granted every right, so the refusal can only be seen as another user.
    if (geteuid() != 0) {
        EXPECT_EQ(-1, m_files._access("C:\\App\\readonly.txt", 2));
        EXPECT_EQ(-1, m_files._access("C:\\App\\readonly.txt", 6));
    }
}

TEST_F(DriveMapFileSystemTest, HostNamesThatAreNotUtf8DoNotDisturbTheListing) {
    makeFile("mixed/\xFF\xFE" "bad.txt");
    makeFile("mixed/Other.txt");
    for (bool scanning : {false, true}) {
        if (scanning) m_files.beginScan();
        EXPECT_EQ("mixed/Other.txt", resolvedBelowDrive("C:\\MIXED\\other.txt")) << "scanning " << scanning;
        // 1252 reads these bytes as U+00FF U+00FE, whose UTF-8 differs from the host bytes.
        EXPECT_EQ("(none)", resolvedBelowDrive("C:\\mixed\\\xFF\xFE" "bad.txt")) << "scanning " << scanning;
        EXPECT_EQ("(none)", resolvedBelowDrive("C:\\mixed\\\xFF\xFE" "BAD.TXT")) << "scanning " << scanning;
        if (scanning) m_files.endScan();
    }
}

TEST_F(DriveMapFileSystemTest, FollowsSymbolicLinks) {
    makeFile("real/inner.txt");
    fs::create_directory_symlink("real", m_drive / "Linked");
    fs::create_symlink("nowhere", m_drive / "Broken");
    fs::create_directory_symlink(m_drive, m_root.path() / "d-link");
    m_files.mapDrive('d', m_root.path() / "d-link");

    EXPECT_EQ("Linked/inner.txt", resolvedBelowDrive("C:\\Linked\\inner.txt"));
    EXPECT_EQ("Linked/inner.txt", resolvedBelowDrive("C:\\LINKED\\INNER.TXT"));
    EXPECT_EQ("Linked", resolvedBelowDrive("C:\\linked\\"));
    EXPECT_EQ("(none)", resolvedBelowDrive("C:\\broken"));
    EXPECT_EQ(0, m_files._access("D:\\REAL\\inner.txt", 4));
    EXPECT_EQ(0, m_files._access("d:\\linked\\Inner.txt", 0));
}

TEST_F(DriveMapFileSystemTest, ScanCachesListingsUntilItEnds) {
    makeFile("dir/present.txt");
    m_files.beginScan();
    EXPECT_EQ(-1, m_files._access("C:\\dir\\LATE.TXT", 0));  // lists dir
    makeFile("dir/late.txt");
    // The cached listing hides the new name from a case-insensitive match ...
    EXPECT_EQ(-1, m_files._access("C:\\dir\\LATE.TXT", 0));
    // ... but an exact name is looked up on the disk every time.
    EXPECT_EQ(0, m_files._access("C:\\dir\\late.txt", 0));
    EXPECT_EQ(0, m_files._access("C:\\DIR\\Present.txt", 0));
    m_files.endScan();
    EXPECT_EQ(0, m_files._access("C:\\dir\\LATE.TXT", 0));

    // Without a scan every lookup reads the disk as it is now.
    EXPECT_EQ(-1, m_files._access("C:\\dir\\FRESH.TXT", 0));
    makeFile("dir/fresh.txt");
    EXPECT_EQ(0, m_files._access("C:\\dir\\FRESH.TXT", 0));

    // A new scan starts with fresh listings.
    m_files.beginScan();
    EXPECT_EQ(-1, m_files._access("C:\\dir\\NEXT.TXT", 0));
    m_files.endScan();
    makeFile("dir/next.txt");
    m_files.beginScan();
    EXPECT_EQ(0, m_files._access("C:\\dir\\NEXT.TXT", 0));
    m_files.endScan();
}

TEST_F(DriveMapFileSystemTest, ConvertsThroughTheCodePageSet) {
    makeFile("\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB.txt");  // "Файл.txt"
    m_files.setCodePage(CodePage(1251));
    EXPECT_EQ("\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB.txt", resolvedBelowDrive("C:\\\xD4\xE0\xE9\xEB.txt"));
    EXPECT_EQ("\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB.txt", resolvedBelowDrive("C:\\\xF4\xE0\xE9\xEB.TXT"));
}

TEST_F(DriveMapFileSystemTest, DoubleByteCharactersMayEndInABackslashByte) {
    makeFile("\xE8\xA1\xA8/x.txt");  // U+8868, 0x95 0x5C in code page 932
    m_files.setCodePage(CodePage(932));
    EXPECT_EQ("\xE8\xA1\xA8/x.txt", resolvedBelowDrive("C:\\\x95\x5C\\x.txt"));
}

TEST(DriveMapFileSystemDrives, MapsAndUnmapsLetters) {
    DriveMapFileSystem files;
    files.mapDrive('c', "/tmp/c");
    files.mapDrive('Z', "/");
    files.mapDrive('1', "/nowhere");
    EXPECT_EQ("CZ", files.driveLetters());
    EXPECT_EQ(fs::path("/tmp/c"), files.driveFolder('C').value_or("(none)"));
    files.mapDrive('C', "/tmp/other");
    EXPECT_EQ(fs::path("/tmp/other"), files.driveFolder('c').value_or("(none)"));
    files.unmapDrive('z');
    EXPECT_EQ("C", files.driveLetters());
    EXPECT_FALSE(files.driveFolder('Z').has_value());
    EXPECT_EQ("C:\\", files.currentDirectory());
}

}  // namespace
}  // namespace brindle
