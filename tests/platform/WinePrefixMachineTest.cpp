#include "platform/WinePrefixMachine.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "platform/WineServer.h"
#include "support/OpenOrError.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace win;
using test::TemporaryFolder;

void Append(const std::filesystem::path& path, std::string_view text) {
    std::ofstream file(path, std::ios::binary | std::ios::app);
    file << text;
}

std::optional<std::string> ReadString(Registry& registry, HKEY root, const char* subKey, const char* name) {
    HKEY key = 0;
    if (registry.RegOpenKeyA(root, subKey, &key) != ERROR_SUCCESS) return std::nullopt;
    char data[512];
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG status = registry.RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    registry.RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::string(data, strnlen(data, size));
}

class WinePrefixMachineTest : public ::testing::Test {
protected:
    WinePrefixMachineTest() { test::CopyTree(BRINDLE_DEMO_MACHINE_DIR, prefix()); }

    std::filesystem::path prefix() const { return folder.path() / "prefix"; }

    std::unique_ptr<WinePrefixMachine> open() {
        std::string error;
        auto machine = test::OpenWinePrefix(prefix(), error);
        EXPECT_TRUE(machine) << error;
        return machine;
    }

    TemporaryFolder folder;
};

TEST_F(WinePrefixMachineTest, TakesItsFactsFromThePrefix) {
    auto machine = open();
    ASSERT_TRUE(machine);
    EXPECT_EQ(machine->codePage().number(), 1252u);
    EXPECT_FALSE(IsLegacyVersion(machine->GetVersion()));
    EXPECT_EQ(machine->systemDirectory(), "C:\\windows\\system32");
    EXPECT_EQ(machine->windowsDirectory(), "C:\\windows");
    const std::pair<const char*, const char*> expansions[] = {
        {"%SystemRoot%\\x", "C:\\windows\\x"},
        {"%windir%", "C:\\windows"},
        {"%ProgramFiles%", "C:\\Program Files"},
        {"%CommonProgramFiles%", "C:\\Program Files\\Common Files"},
        {"%ComSpec%", "C:\\windows\\system32\\cmd.exe"},
        {"%DemoTools%", "C:\\Program Files\\Demo Tools"},
        {"%TEMP%", "C:\\users\\demo\\Temp"},  // the user's setting wins over the machine's
        {"%APPDATA%", "C:\\users\\demo\\AppData\\Roaming"},
        {"%NoSuchThing%", "%NoSuchThing%"},
    };
    for (const auto& [text, expected] : expansions) EXPECT_EQ(machine->environment().expand(text), expected) << text;
    EXPECT_EQ(machine->files()._access("C:\\WINDOWS\\system32\\DemoOle.dll", 0), 0);
    EXPECT_EQ(machine->files()._access("C:\\windows\\system32\\gonecodec.dll", 0), -1);
    ASSERT_EQ(machine->drives().size(), 1u);
    EXPECT_EQ(machine->drives()[0].type, WineDriveType::Fixed);
}

// A 64-bit prefix shows its 32-bit programs their own folders and files; one that Wine
// marked 32-bit, or did not mark, has one view.
TEST_F(WinePrefixMachineTest, A64BitPrefixHasAViewFor32BitPrograms) {
    {
        auto machine = open();
        ASSERT_TRUE(machine);
        EXPECT_EQ(machine->programViews(), (std::vector<ProgramView>{ProgramView::Native64, ProgramView::Wow64}));
        Machine& wow64 = machine->inView(ProgramView::Wow64);
        ASSERT_EQ(&wow64, machine->wow64View());
        auto expand = [](Machine& view, const char* text) {
            char out[256];
            const auto needed = view.ExpandEnvironmentStringsA(text, out, sizeof out);
            return needed == 0 || needed > sizeof out ? std::string("(too long)") : std::string(out);
        };
        const struct {
            const char* text;
            const char* native;
            const char* wow64;
        } rows[] = {
            {"%ProgramFiles%", "C:\\Program Files", "C:\\Program Files (x86)"},
            {"%CommonProgramFiles%", "C:\\Program Files\\Common Files", "C:\\Program Files (x86)\\Common Files"},
            {"%ProgramW6432%", "C:\\Program Files", "C:\\Program Files"},
            {"%CommonProgramW6432%", "C:\\Program Files\\Common Files", "C:\\Program Files\\Common Files"},
            {"%SystemRoot%", "C:\\windows", "C:\\windows"},
        };
        for (const auto& row : rows) {
            EXPECT_EQ(expand(*machine, row.text), row.native) << row.text;
            EXPECT_EQ(expand(wow64, row.text), row.wow64) << row.text;
        }
        // The demo machine's syswow64 is empty: to a 32-bit program its system32 is too.
        EXPECT_EQ(machine->files()._access("C:\\windows\\system32\\DemoOle.dll", 0), 0);
        EXPECT_EQ(wow64.files()._access("C:\\windows\\system32\\DemoOle.dll", 0), -1);
        EXPECT_EQ(wow64.files()._access("C:\\windows\\sysnative\\DemoOle.dll", 0), 0);
    }
    for (const char* mark : {"#arch=win32\n", ""}) {
        std::string system = test::ReadFileAt(prefix() / "system.reg");
        const auto at = system.find("#arch=");
        ASSERT_NE(at, std::string::npos);
        system.replace(at, system.find('\n', at) + 1 - at, mark);
        std::ofstream(prefix() / "system.reg", std::ios::binary | std::ios::trunc) << system;
        auto machine = open();
        ASSERT_TRUE(machine);
        EXPECT_EQ(machine->programViews(), (std::vector<ProgramView>{ProgramView::Native32})) << mark;
        EXPECT_EQ(machine->wow64View(), nullptr);
    }
}

// The user's PATH adds to the machine's, as at a Windows logon; a user without one
// has the machine's.
TEST_F(WinePrefixMachineTest, TheUsersPathFollowsTheMachines) {
    const std::string machinePath = "C:\\windows\\system32;C:\\windows;C:\\windows\\system32\\wbem";
    {
        auto machine = open();
        ASSERT_TRUE(machine);
        EXPECT_EQ(machine->environment().expand("%PATH%"), machinePath);
    }
    std::string user = test::ReadFileAt(prefix() / "user.reg");
    const std::string temp = "\"TEMP\"=str(2):\"%SystemDrive%\\\\users\\\\demo\\\\Temp\"\n";
    const auto at = user.find(temp);
    ASSERT_NE(at, std::string::npos);
    user.insert(at, "\"Path\"=str(2):\"%SystemDrive%\\\\Tools;C:\\\\More\"\n");
    std::ofstream(prefix() / "user.reg", std::ios::binary | std::ios::trunc) << user;
    auto machine = open();
    ASSERT_TRUE(machine);
    EXPECT_EQ(machine->environment().expand("%PATH%"), machinePath + ";C:\\Tools;C:\\More");
}

TEST_F(WinePrefixMachineTest, OptionsOfTheRegistryAreHonoured) {
    Append(prefix() / "user.reg", "\n[Software\\\\Wine] 1768453200\n\"Version\"=\"win98\"\n");
    std::string system = test::ReadFileAt(prefix() / "system.reg");
    const auto acp = system.find("\"ACP\"=\"1252\"");
    ASSERT_NE(acp, std::string::npos);
    system.replace(acp, 12, "\"ACP\"=\"1251\"");
    std::ofstream(prefix() / "system.reg", std::ios::binary | std::ios::trunc) << system;
    auto machine = open();
    ASSERT_TRUE(machine);
    EXPECT_TRUE(IsLegacyVersion(machine->GetVersion()));
    EXPECT_EQ(machine->codePage().number(), 1251u);
}

TEST_F(WinePrefixMachineTest, SavingUnchangedWritesNothing) {
    auto machine = open();
    ASSERT_TRUE(machine);
    struct stat before {};
    ASSERT_EQ(::stat((prefix() / "system.reg").c_str(), &before), 0);
    EXPECT_EQ(machine->save().message(), "");
    struct stat after {};
    ASSERT_EQ(::stat((prefix() / "system.reg").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(WinePrefixMachineTest, SavesOnlyTheChangedFileAndItLoadsBack) {
    const std::string userBefore = test::ReadFileAt(prefix() / "user.reg");
    // Left by a run killed during its save; the user's file of a like name stays.
    std::ofstream(prefix() / ".user.reg.brindle-Xy12Ab") << "half";
    std::ofstream(prefix() / "user.reg.brindle-notes") << "mine";
    {
        auto machine = open();
        ASSERT_TRUE(machine);
        HKEY key = 0;
        ASSERT_EQ(machine->registry().RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                                  &key),
                  ERROR_SUCCESS);
        ASSERT_EQ(machine->registry().RegDeleteValueA(key, "OldUpdater"), ERROR_SUCCESS);
        machine->registry().RegCloseKey(key);
        EXPECT_EQ(machine->save().message(), "");
    }
    EXPECT_EQ(test::ReadFileAt(prefix() / "user.reg"), userBefore);
    const std::string system = test::ReadFileAt(prefix() / "system.reg");
    EXPECT_EQ(system.find("OldUpdater"), std::string::npos);
    EXPECT_NE(system.find("DemoTray"), std::string::npos);
    // No temporary file is left behind, not even the abandoned one.
    for (const auto& entry : std::filesystem::directory_iterator(prefix()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    EXPECT_EQ(test::ReadFileAt(prefix() / "user.reg.brindle-notes"), "mine");

    auto again = open();
    ASSERT_TRUE(again);
    EXPECT_FALSE(ReadString(again->registry(), HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "OldUpdater"));
    EXPECT_EQ(ReadString(again->registry(), HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         "Notepad"),
              "notepad.exe");
}

TEST_F(WinePrefixMachineTest, AFileThatCannotBeReadWholeIsRefusedWithItsLine) {
    const std::string before = test::ReadFileAt(prefix() / "system.reg");
    Append(prefix() / "system.reg", "\n[Software\\\\Broken] 1\n\"Bad\"=hex:0g\n");
    std::string error;
    EXPECT_FALSE(test::OpenWinePrefix(prefix(), error));
    EXPECT_NE(error.find("system.reg:"), std::string::npos) << error;
}

TEST_F(WinePrefixMachineTest, MissingUserFilesAreEmptyAndNeverCreated) {
    std::filesystem::remove(prefix() / "user.reg");
    std::filesystem::remove(prefix() / "userdef.reg");
    auto machine = open();
    ASSERT_TRUE(machine);
    HKEY key = 0;
    ASSERT_EQ(machine->registry().RegCreateKeyA(HKEY_CURRENT_USER, "Software\\New", &key), ERROR_SUCCESS);
    machine->registry().RegCloseKey(key);
    EXPECT_EQ(machine->save().message(), "");
    EXPECT_FALSE(std::filesystem::exists(prefix() / "user.reg"));
}

TEST_F(WinePrefixMachineTest, ChangesOnDiskAreReloadedAndNeverOverwritten) {
    auto machine = open();
    ASSERT_TRUE(machine);
    EXPECT_FALSE(machine->filesChangedOnDisk());
    Append(prefix() / "system.reg", "\n[Software\\\\AddedByWine] 1768453300\n\"x\"=\"y\"\n");
    EXPECT_TRUE(machine->filesChangedOnDisk());

    // A change made here meanwhile must not overwrite what Wine wrote.
    HKEY key = 0;
    ASSERT_EQ(machine->registry().RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Mine", &key), ERROR_SUCCESS);
    machine->registry().RegCloseKey(key);
    const std::string error = machine->save().message();
    EXPECT_NE(error.find("changed on disk"), std::string::npos) << error;
    EXPECT_NE(test::ReadFileAt(prefix() / "system.reg").find("AddedByWine"), std::string::npos);

    EXPECT_EQ(machine->reloadIfChanged().message(), "");
    EXPECT_FALSE(machine->filesChangedOnDisk());
    EXPECT_EQ(ReadString(machine->registry(), HKEY_LOCAL_MACHINE, "Software\\AddedByWine", "x"), "y");
}

// Holds the wineserver lock of the prefix in a child process, as a running server does.
class HeldServerLock {
public:
    explicit HeldServerLock(const std::filesystem::path& prefix) {
        m_folder = WineServerRoots(prefix).back() / WineServerDirectoryName(prefix);
        std::filesystem::create_directories(m_folder);
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(m_release), 0);
        m_child = ::fork();
        if (m_child == 0) {
            const int fd = ::open((m_folder / "lock").c_str(), O_RDWR | O_CREAT, 0600);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_len = 1;
            const char ok = (fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0) ? 1 : 0;
            (void)!::write(ready[1], &ok, 1);
            char byte;
            (void)!::read(m_release[0], &byte, 1);
            ::_exit(0);
        }
        char ok = 0;
        EXPECT_EQ(::read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~HeldServerLock() {
        (void)!::write(m_release[1], "x", 1);
        ::waitpid(m_child, nullptr, 0);
        ::close(m_release[0]);
        ::close(m_release[1]);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    std::filesystem::path m_folder;
    int m_release[2] = {-1, -1};
    pid_t m_child = -1;
};

TEST_F(WinePrefixMachineTest, NothingIsWrittenWhileAWineserverRuns) {
    auto machine = open();
    ASSERT_TRUE(machine);
    const std::string before = test::ReadFileAt(prefix() / "system.reg");
    HKEY key = 0;
    ASSERT_EQ(machine->registry().RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Mine", &key), ERROR_SUCCESS);
    machine->registry().RegCloseKey(key);
    {
        HeldServerLock server(prefix());
        const std::string error = machine->save().message();
        EXPECT_NE(error.find("wineserver -k"), std::string::npos) << error;
        EXPECT_EQ(test::ReadFileAt(prefix() / "system.reg"), before);
    }
    EXPECT_EQ(machine->save().message(), "");
    EXPECT_NE(test::ReadFileAt(prefix() / "system.reg").find("[Software\\\\Mine]"), std::string::npos);
}

TEST_F(WinePrefixMachineTest, AKilledSaveLeavesTheOldFileOrTheNewOne) {
    // Enough keys that writing takes a while, so that the kills land inside it.
    {
        std::ofstream system(prefix() / "system.reg", std::ios::binary | std::ios::app);
        for (int i = 0; i < 20000; ++i)
            system << "\n[Software\\\\Bulk\\\\Key" << i << "] 1768453200\n\"Data\"=\"" << std::string(60, 'd') << "\"\n";
    }
    const std::string oldContent = test::ReadFileAt(prefix() / "system.reg");
    bool sawNewFile = false;
    for (int round = 0; round < 12 && !sawNewFile; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string error;
            auto machine = test::OpenWinePrefix(prefix(), error);
            if (!machine) ::_exit(3);
            HKEY key = 0;
            machine->registry().RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Bulk\\Changed", &key);
            machine->registry().RegCloseKey(key);
            ::_exit(machine->save().ok() ? 0 : 4);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + round * 25));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        // Whole old or whole new, never a mixture.
        const std::string now = test::ReadFileAt(prefix() / "system.reg");
        sawNewFile = now != oldContent;
        if (sawNewFile) {
            EXPECT_NE(now.find("[Software\\\\Bulk\\\\Changed]"), std::string::npos) << round;
        }
        std::string error;
        EXPECT_TRUE(test::OpenWinePrefix(prefix(), error)) << error;
    }
}

// Changes both HKLM (system.reg) and HKCU (user.reg).
void ChangeBothFiles(WinePrefixMachine& machine) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = 0;
        ASSERT_EQ(machine.registry().RegCreateKeyA(root, "Software\\Mine", &key), ERROR_SUCCESS);
        machine.registry().RegCloseKey(key);
    }
}

mode_t ModeOf(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST_F(WinePrefixMachineTest, ASavedFileKeepsItsModeAndALinkedFileIsReplacedAtItsTarget) {
    ASSERT_EQ(::chmod((prefix() / "user.reg").c_str(), 0600), 0);
    // system.reg lives elsewhere, linked into the prefix.
    const auto elsewhere = folder.makeFolder("elsewhere");
    std::filesystem::rename(prefix() / "system.reg", elsewhere / "system.reg");
    std::filesystem::create_symlink("../elsewhere/system.reg", prefix() / "system.reg");

    auto machine = open();
    ASSERT_TRUE(machine);
    ChangeBothFiles(*machine);
    EXPECT_EQ(machine->save().message(), "");
    EXPECT_EQ(ModeOf(prefix() / "user.reg"), 0600u);
    EXPECT_NE(test::ReadFileAt(prefix() / "user.reg").find("[Software\\\\Mine]"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink(prefix() / "system.reg"));
    EXPECT_EQ(std::filesystem::read_symlink(prefix() / "system.reg"), "../elsewhere/system.reg");
    EXPECT_NE(test::ReadFileAt(elsewhere / "system.reg").find("[Software\\\\Mine]"), std::string::npos);
    // What was written is what the machine now holds: nothing counts as changed on disk.
    EXPECT_FALSE(machine->filesChangedOnDisk());
}

// Opens the prefix in a child process, so that an open that blocks fails the test
// instead of hanging it: the error, or "opened", or nothing when it did not end in time.
std::optional<std::string> OpenInChild(const std::filesystem::path& prefix) {
    int output[2];
    if (::pipe(output) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        std::string error;
        const std::string answer = test::OpenWinePrefix(prefix, error) ? "opened" : error;
        (void)!::write(output[1], answer.data(), answer.size());
        ::_exit(0);
    }
    ::close(output[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ::close(output[0]);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string answer;
    char buffer[512];
    for (ssize_t got; (got = ::read(output[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<std::size_t>(got));
    ::close(output[0]);
    return answer;
}

// A pipe nobody writes to would block a plain read for ever.
TEST_F(WinePrefixMachineTest, ARegistryFileThatIsNotARegularFileIsRefusedAtOnce) {
    const std::pair<const char*, std::function<void(const std::filesystem::path&)>> cases[] = {
        {"a named pipe", [](const std::filesystem::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }},
        {"a folder", [](const std::filesystem::path& file) { std::filesystem::create_directory(file); }},
    };
    for (const char* name : {"user.reg", "system.reg"}) {
        for (const auto& [kind, make] : cases) {
            const auto file = prefix() / name;
            const std::string before = test::ReadFileAt(file);
            std::filesystem::remove(file);
            make(file);
            const auto answer = OpenInChild(prefix());
            ASSERT_TRUE(answer) << "opening the prefix with " << name << " as " << kind << " did not end";
            EXPECT_NE(answer->find(file.string() + " is " + kind + ", not a regular file"), std::string::npos)
                << *answer;
            std::filesystem::remove(file);
            std::ofstream(file, std::ios::binary) << before;
        }
    }
    // A device behind a link is refused as well (/dev/zero would never end).
    std::filesystem::remove(prefix() / "userdef.reg");
    std::filesystem::create_symlink("/dev/zero", prefix() / "userdef.reg");
    std::string error;
    EXPECT_FALSE(test::OpenWinePrefix(prefix(), error));
    EXPECT_NE(error.find("userdef.reg is a character device"), std::string::npos) << error;
}

TEST_F(WinePrefixMachineTest, APrefixWithoutAWorkingCDriveIsRefused) {
    const auto link = prefix() / "dosdevices" / "c:";
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::string says;
    } cases[] = {
        {"dangling", [&] { std::filesystem::rename(prefix() / "drive_c", prefix() / "drive_c.old"); },
         link.string() + " leads to ../drive_c, which does not exist"},
        {"a file", [&] { std::ofstream(prefix() / "drive_c") << "x"; }, link.string() + " leads to ../drive_c, which is not a folder"},
        {"missing", [&] { std::filesystem::remove(link); }, link.string() + " does not exist"},
    };
    for (const auto& c : cases) {
        c.arrange();
        std::string error;
        EXPECT_FALSE(test::OpenWinePrefix(prefix(), error)) << c.what;
        EXPECT_NE(error.find("the Wine prefix " + prefix().string() + " has no working C: drive"), std::string::npos)
            << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
    }
}

// A C: drive whose system folder is not there (an empty drive_c, a mount that failed)
// would make every file Wine provides look missing, and a repair would remove Wine's own
// registrations.
TEST_F(WinePrefixMachineTest, APrefixWithoutItsSystemFolderIsRefused) {
    namespace fs = std::filesystem;
    const fs::path system32 = prefix() / "drive_c" / "windows" / "system32";
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::string says;
    } cases[] = {
        {"empty drive_c", [&] { fs::remove_all(prefix() / "drive_c"); fs::create_directory(prefix() / "drive_c"); },
         "has no C:\\windows\\system32 folder (is its drive_c empty or not mounted?)"},
        {"a file", [&] { fs::remove_all(system32); std::ofstream(system32) << "x"; },
         "has no C:\\windows\\system32 folder"},
    };
    for (const auto& c : cases) {
        fs::remove_all(prefix());
        test::CopyTree(BRINDLE_DEMO_MACHINE_DIR, prefix());
        c.arrange();
        std::string error;
        EXPECT_FALSE(test::OpenWinePrefix(prefix(), error)) << c.what;
        EXPECT_NE(error.find("the Wine prefix " + prefix().string() + " " + c.says), std::string::npos)
            << c.what << ": " << error;
        EXPECT_NE(error.find("so the prefix was not opened"), std::string::npos) << error;
    }
    // The folder's name in any letter case is the folder.
    fs::remove_all(prefix());
    test::CopyTree(BRINDLE_DEMO_MACHINE_DIR, prefix());
    fs::rename(system32, prefix() / "drive_c" / "windows" / "System32");
    EXPECT_TRUE(open());
}

TEST_F(WinePrefixMachineTest, ASaveThatFailsBeforeAnyRenameWritesNothing) {
    const std::string systemBefore = test::ReadFileAt(prefix() / "system.reg");
    const std::string userBefore = test::ReadFileAt(prefix() / "user.reg");
    auto machine = open();
    ASSERT_TRUE(machine);
    ChangeBothFiles(*machine);
    // The second temporary file cannot be made.
    machine->setCommitFaults([&](CommitStep step, const std::filesystem::path& path) {
        return step == CommitStep::WriteTemporary && path.filename() == "user.reg" ? ENOSPC : 0;
    });
    const std::string error = machine->save().message();
    EXPECT_NE(error.find("No space left on device; nothing was changed"), std::string::npos) << error;
    EXPECT_EQ(test::ReadFileAt(prefix() / "system.reg"), systemBefore);
    EXPECT_EQ(test::ReadFileAt(prefix() / "user.reg"), userBefore);

    // Once the fault is gone, the same changes are saved whole.
    machine->setCommitFaults({});
    EXPECT_EQ(machine->save().message(), "");
    EXPECT_NE(test::ReadFileAt(prefix() / "system.reg").find("[Software\\\\Mine]"), std::string::npos);
    EXPECT_NE(test::ReadFileAt(prefix() / "user.reg").find("[Software\\\\Mine]"), std::string::npos);
}

TEST_F(WinePrefixMachineTest, ASaveThatFailsHalfWayNamesWhatWasWritten) {
    const std::string userBefore = test::ReadFileAt(prefix() / "user.reg");
    auto machine = open();
    ASSERT_TRUE(machine);
    ChangeBothFiles(*machine);
    machine->setCommitFaults([&](CommitStep step, const std::filesystem::path& path) {
        return step == CommitStep::Rename && path.filename() == "user.reg" ? EIO : 0;
    });
    const std::string error = machine->save().message();
    EXPECT_NE(error.find("cannot replace " + (prefix() / "user.reg").string()), std::string::npos) << error;
    EXPECT_NE(error.find("New content written: " + (prefix() / "system.reg").string() + ". Left as they were: " +
                         (prefix() / "user.reg").string()),
              std::string::npos)
        << error;
    EXPECT_NE(test::ReadFileAt(prefix() / "system.reg").find("[Software\\\\Mine]"), std::string::npos);
    EXPECT_EQ(test::ReadFileAt(prefix() / "user.reg"), userBefore);

    // The file that was written counts as the machine's own: the next save finishes the
    // other instead of taking the first for a change made by Wine.
    machine->setCommitFaults({});
    EXPECT_FALSE(machine->filesChangedOnDisk());
    EXPECT_EQ(machine->save().message(), "");
    EXPECT_NE(test::ReadFileAt(prefix() / "user.reg").find("[Software\\\\Mine]"), std::string::npos);
}

}  // namespace
}  // namespace brindle
