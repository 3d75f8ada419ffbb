#include "registry/BackupFile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/RunningProcess.h"
#include "registry/BackupFolder.h"
#include "registry/BackupOrigin.h"
#include "registry/BackupRestore.h"
#include "registry/BackupWriter.h"
#include "registry/KeyHandle.h"
#include "registry/ShortcutBackupFile.h"
#include "scan/RegistryLib.h"
#include "support/TemporaryFolder.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using namespace win;
using namespace std::string_literals;
using test::TestMachine;
namespace fs = std::filesystem;

constexpr const char* kRunKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

using ProblemList = std::vector<std::unique_ptr<ProblemRecord>>;

std::unique_ptr<ProblemRecord> Problem(std::string keyPath, std::string kind, std::string valueName = "") {
    auto problem = std::make_unique<ProblemRecord>();
    problem->setKeyPath(std::move(keyPath));
    problem->setKind(std::move(kind));
    if (!valueName.empty()) problem->setValue(RegistryValue{std::move(valueName), "", REG_SZ});
    return problem;
}

template <typename... Problems>
ProblemList List(Problems... problems) {
    ProblemList list;
    (list.push_back(std::move(problems)), ...);
    return list;
}

// Builds a file byte by byte, for inputs the writer would never produce.
struct Bytes {
    std::string bytes;
    Bytes& u32(std::uint32_t number) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(number >> shift));
        return *this;
    }
    Bytes& text(std::string_view text) {
        u32(static_cast<std::uint32_t>(text.size()));
        bytes.append(text);
        return *this;
    }
};

void WriteFile(const fs::path& path, std::string_view content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

class BackupFileTest : public ::testing::Test {
protected:
    std::string encode(const ProblemList& problems) {
        return EncodeBackup(CollectBackup(machine.registry(), problems).records);
    }
    std::string valueOf(std::string_view keyPath, const char* name) {
        std::string subKey(keyPath.substr(keyPath.find('\\') + 1));
        KeyHandle key(machine.registry());
        if (machine.registry().RegOpenKeyA(HKEY_LOCAL_MACHINE, subKey.c_str(), key.out()) != ERROR_SUCCESS)
            return "<no key>";
        char data[256] = {};
        DWORD length = sizeof data;
        if (machine.registry().RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                                                &length) != ERROR_SUCCESS)
            return "<no value>";
        return std::string(data, length);
    }

    TestMachine machine;
};

// --- Layout ---

TEST_F(BackupFileTest, OneValueOfTheRunKeyIsOneRecordByteForByte) {
    machine.setString(kRunKey, "Foo", "C:\\foo.exe");
    machine.setString(kRunKey, "Bar", "C:\\bar.exe");
    const std::string expected =
        "\x02\x00\x00\x80"                                  // HKEY_LOCAL_MACHINE
        "\x2D\x00\x00\x00"                                  // 45 bytes of path
        "Software\\Microsoft\\Windows\\CurrentVersion\\Run"  //
        "\x01\x00\x00\x00"                                  // one value
        "\x03\x00\x00\x00" "Foo"                            //
        "\x01\x00\x00\x00"                                  // REG_SZ
        "\x0B\x00\x00\x00" "C:\\foo.exe\0"                  // 11 bytes with the NUL
        "\x00\x00\x00\x00"s;                                // no sub-keys
    EXPECT_EQ(encode(List(Problem(kRunKey, kKindValue, "Foo"))), expected);
}

TEST_F(BackupFileTest, AWholeKeyHoldsItsValuesAndSubKeysRecursively) {
    machine.setBytes("HKEY_CURRENT_USER\\App", "", REG_DWORD, "\x2A\x00\x00\x00"s);
    machine.setBytes("HKEY_CURRENT_USER\\App\\Sub", "n", REG_BINARY, "\x01\x02"s);
    const std::string expected =
        "\x01\x00\x00\x80"                           // HKEY_CURRENT_USER
        "\x03\x00\x00\x00" "App"                     //
        "\x01\x00\x00\x00"                           // one value
        "\x00\x00\x00\x00"                           // the unnamed one
        "\x04\x00\x00\x00"                           // REG_DWORD
        "\x04\x00\x00\x00" "\x2A\x00\x00\x00"        //
        "\x01\x00\x00\x00"                           // one sub-key
        "\x03\x00\x00\x00" "Sub"                     //
        "\x01\x00\x00\x00"                           //   one value
        "\x01\x00\x00\x00" "n"                       //
        "\x03\x00\x00\x00"                           //   REG_BINARY
        "\x02\x00\x00\x00" "\x01\x02"                //
        "\x00\x00\x00\x00"s;                         //   no sub-keys
    EXPECT_EQ(encode(List(Problem("HKEY_CURRENT_USER\\App", kKindKey))), expected);
}

TEST_F(BackupFileTest, RecordsFollowTheProblemListWithNothingBetween) {
    machine.setString("HKEY_USERS\\.Default\\A", "x", "1");
    machine.setString("HKEY_CLASSES_ROOT\\B", "y", "2");
    const ProblemList problems = List(Problem("HKEY_CLASSES_ROOT\\B", kKindValue, "y"),
                                      Problem("HKEY_USERS\\.Default\\A", kKindKey));
    const auto collected = CollectBackup(machine.registry(), problems);
    ASSERT_EQ(collected.records.size(), 2u);
    EXPECT_EQ(collected.records[0].root, HKEY_CLASSES_ROOT);
    EXPECT_EQ(collected.records[1].root, HKEY_USERS);
    EXPECT_EQ(EncodeBackup(collected.records),
              EncodeBackup({collected.records[0]}) + EncodeBackup({collected.records[1]}));
}

// --- What the writer leaves out ---

TEST_F(BackupFileTest, ProblemsItCannotBackUpAreLeftOutAndNamed) {
    machine.setString(kRunKey, "Foo", "C:\\foo.exe");
    machine.setString("HKEY_CURRENT_CONFIG\\Cfg", "v", "1");
    struct Case {
        std::string keyPath, kind, valueName, reason;
    } cases[] = {
        {"hkey_local_machine\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", kKindValue, "Foo",
         "not one a backup holds"},
        {"HKEY_CURRENT_CONFIG\\Cfg", kKindKey, "", "not one a backup holds"},
        {kRunKey, "FILE", "Foo", "neither KEY nor VAL"},
        {"HKEY_LOCAL_MACHINE\\Software\\Gone", kKindKey, "", "cannot be opened (status 2)"},
        {"HKEY_LOCAL_MACHINE", kKindKey, "", "a whole root"},
        {kRunKey, kKindValue, "", "no value is named"},
    };
    for (const Case& c : cases) {
        const auto collected = CollectBackup(machine.registry(), List(Problem(c.keyPath, c.kind, c.valueName)));
        EXPECT_TRUE(collected.records.empty()) << c.keyPath;
        ASSERT_EQ(collected.leftOut.size(), 1u) << c.keyPath;
        EXPECT_NE(collected.leftOut[0].find(c.reason), std::string::npos) << collected.leftOut[0];
        EXPECT_NE(collected.leftOut[0].find("problem 1 (" + c.keyPath + ")"), std::string::npos)
            << collected.leftOut[0];
    }
}

TEST_F(BackupFileTest, UntickedProblemsNeedNoBackup) {
    EXPECT_FALSE(NeedsBackup({}));
    ProblemList unticked = List(Problem("", kKindKey), Problem("", kKindValue, "x"));
    unticked.push_back(nullptr);
    EXPECT_FALSE(NeedsBackup(unticked));
    unticked.push_back(Problem("HKEY_USERS\\X", kKindKey));
    EXPECT_TRUE(NeedsBackup(unticked));
}

TEST_F(BackupFileTest, DefaultNamesTheUnnamedValueAndAValueOfThatName) {
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", "", "C:\\gone.dll");
    machine.setString("HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", "ThreadingModel", "Both");
    const auto collected = CollectBackup(
        machine.registry(), List(Problem("HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", kKindValue, "(Default)")));
    ASSERT_EQ(collected.records.size(), 1u);
    const auto& values = collected.records[0].content.values;
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], (BackupValue{"", REG_SZ, "C:\\gone.dll\0"s}));
}

// The key is listed once for the problems that follow one another in it; each problem
// still gets exactly its own value, and a value the key could not list makes every
// problem of that key incomplete, as it would have had the key been listed for each.
TEST_F(BackupFileTest, ProblemsInOneKeyEachGetTheirOwnValueAndShareTheKeysShortfalls) {
    const std::string full = "HKEY_LOCAL_MACHINE\\Software\\Full";
    const std::string other = "HKEY_LOCAL_MACHINE\\Software\\Other";
    machine.setString(full, "(Default)", "named");
    machine.setString(full, "a", "1");
    machine.setBytes(full, "too big", REG_BINARY, std::string(kMaxBackupValueDataBytes + 1, 'b'));
    machine.setString(full, "", "unnamed");
    machine.setString(full, "b", "2");
    machine.setString(other, "a", "3");
    const ProblemList problems =
        List(Problem(full, kKindValue, "a"), Problem(full, kKindValue, "(Default)"), Problem(other, kKindValue, "a"),
             Problem(full, kKindValue, "b"), Problem(full, kKindValue, "gone"));
    const auto collected = CollectBackup(machine.registry(), problems);
    ASSERT_EQ(collected.records.size(), 5u);
    const auto valuesOf = [&](std::size_t record) {
        std::vector<std::string> seen;
        for (const auto& value : collected.records[record].content.values) seen.push_back(value.name + "=" + value.data);
        return seen;
    };
    EXPECT_EQ(valuesOf(0), (std::vector<std::string>{"a=1\0"s}));
    EXPECT_EQ(valuesOf(1), (std::vector<std::string>{"(Default)=named\0"s, "=unnamed\0"s}));
    EXPECT_EQ(valuesOf(2), (std::vector<std::string>{"a=3\0"s}));
    EXPECT_EQ(valuesOf(3), (std::vector<std::string>{"b=2\0"s}));
    EXPECT_TRUE(valuesOf(4).empty());
    EXPECT_EQ(collected.incomplete, (std::vector<std::size_t>{0, 1, 3, 4}));
    EXPECT_EQ(collected.leftOut.size(), 4u);
}

TEST_F(BackupFileTest, AValueThatIsGoneLeavesAnEmptyRecordThatStillReads) {
    machine.createKey(kRunKey);
    const std::string bytes = encode(List(Problem(kRunKey, kKindValue, "Foo")));
    const auto decoded = DecodeBackup(bytes, "b.reg");
    ASSERT_TRUE(decoded.ok()) << decoded.message();
    ASSERT_EQ(decoded->size(), 1u);
    EXPECT_TRUE(decoded.value()[0].content.values.empty());
}

TEST_F(BackupFileTest, ValuesBeyondTheLimitsAreLeftOutAndTheCountsStayTrue) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Big";
    machine.setBytes(key, "fits", REG_BINARY, std::string(kMaxBackupValueDataBytes, 'a'));
    machine.setBytes(key, "too big", REG_BINARY, std::string(kMaxBackupValueDataBytes + 1, 'b'));
    machine.setString(key, "after", "y");
    const auto collected = CollectBackup(machine.registry(), List(Problem(key, kKindKey)));
    ASSERT_EQ(collected.records.size(), 1u);
    std::vector<std::string> names;
    for (const auto& value : collected.records[0].content.values) names.push_back(value.name);
    EXPECT_EQ(names, (std::vector<std::string>{"fits", "after"}));
    ASSERT_EQ(collected.leftOut.size(), 1u);
    EXPECT_NE(collected.leftOut[0].find(key + ": value 1 has a name longer than 16383 bytes or data longer than"),
              std::string::npos)
        << collected.leftOut[0];
    const auto decoded = DecodeBackup(EncodeBackup(collected.records), "b.reg");
    ASSERT_TRUE(decoded.ok()) << decoded.message();
    EXPECT_EQ(decoded.value(), collected.records);
}

// --- Round trip ---

TEST_F(BackupFileTest, RestoreGivesBackWhatTheRepairRemoved) {
    const std::string app = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\App";
    machine.setString(app, "", "default text");
    machine.setString(app, "Path", "%ProgramFiles%\\App", REG_EXPAND_SZ);
    machine.setBytes(app + "\\Parts\\One", "Size", REG_DWORD, "\x10\x00\x00\x00"s);
    machine.setBytes(app + "\\Parts\\One", "Blob", REG_BINARY, "\x00\xFF\x00"s);
    machine.createKey(app + "\\Parts\\Empty");
    machine.setBytes(app + "\\Parts", "List", REG_MULTI_SZ, "a\0b\0\0"s);
    machine.setString(kRunKey, "Foo", "C:\\foo.exe");
    machine.setString(kRunKey, "Keep", "C:\\keep.exe");
    const ProblemList problems = List(Problem(app, kKindKey), Problem(kRunKey, kKindValue, "Foo"));

    const auto before = CollectBackup(machine.registry(), problems);
    ASSERT_TRUE(before.leftOut.empty());
    const fs::path file = machine.workFolder().path() / "backup.reg";
    ASSERT_EQ(WriteBackupFile(file, before.records).message(), "");

    CRegistryLib lib(machine, CurrentFolder());
    ASSERT_EQ(lib.DeleteKey("HKEY_LOCAL_MACHINE", "Software\\Vendor\\App"), ERROR_SUCCESS);
    ASSERT_EQ(lib.DeleteValue("HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Foo"),
              ERROR_SUCCESS);
    ASSERT_FALSE(machine.keyExists(app));

    const RestoreReport report = RestoreBackupFile(machine.registry(), file);
    EXPECT_TRUE(report.complete()) << report.errorText();
    EXPECT_EQ(report.keysWritten, 5u);  // App, Parts, One, Empty and the Run key
    EXPECT_EQ(report.valuesWritten, 6u);
    EXPECT_EQ(CollectBackup(machine.registry(), problems).records, before.records);
    EXPECT_EQ(valueOf(kRunKey, "Keep"), "C:\\keep.exe\0"s);
    EXPECT_EQ(machine.memoryRegistry().openHandleCount(), 0u);
}

TEST_F(BackupFileTest, AnEmptyNameRestoresTheDefaultValue) {
    const std::string bytes = Bytes{}
                                  .u32(0x80000002)
                                  .text("Software\\T")
                                  .u32(1)
                                  .text("")
                                  .u32(REG_SZ)
                                  .text("dflt\0"s)
                                  .u32(0)
                                  .bytes;
    const auto decoded = DecodeBackup(bytes, "b.reg");
    ASSERT_TRUE(decoded.ok()) << decoded.message();
    EXPECT_TRUE(RestoreBackup(machine.registry(), decoded.value()).complete());
    EXPECT_EQ(valueOf("HKEY_LOCAL_MACHINE\\Software\\T", ""), "dflt\0"s);
}

// --- Damaged files ---

TEST_F(BackupFileTest, AFileCutAnywhereInsideARecordIsRefusedAndWritesNothing) {
    machine.setString(kRunKey, "Foo", "C:\\foo.exe");
    machine.setBytes("HKEY_CURRENT_USER\\App\\Sub", "n", REG_BINARY, "\x01\x02"s);
    const std::string first = encode(List(Problem(kRunKey, kKindValue, "Foo")));
    const std::string whole = first + encode(List(Problem("HKEY_CURRENT_USER\\App", kKindKey)));
    CRegistryLib lib(machine, CurrentFolder());
    ASSERT_EQ(lib.DeleteKey("HKEY_CURRENT_USER", "App"), ERROR_SUCCESS);
    ASSERT_EQ(lib.DeleteKey("HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
              ERROR_SUCCESS);

    const fs::path file = machine.workFolder().path() / "cut.reg";
    const auto changes = machine.memoryRegistry().changeCount();
    for (std::size_t length = 1; length < whole.size(); ++length) {
        WriteFile(file, whole.substr(0, length));
        if (length == first.size()) {
            // A cut between records cannot be told from a shorter backup.
            EXPECT_TRUE(DecodeBackup(whole.substr(0, length), "cut.reg").ok());
            continue;
        }
        const RestoreReport report = RestoreBackupFile(machine.registry(), file);
        EXPECT_NE(report.errorText().find(file.string() + ": byte offset "), std::string::npos)
            << length << ": " << report.errorText();
        EXPECT_NE(report.errorText().find("the file ends inside"), std::string::npos) << report.errorText();
        EXPECT_EQ(report.keysWritten + report.valuesWritten, 0u);
        ASSERT_EQ(machine.memoryRegistry().changeCount(), changes) << "cut at " << length;
    }
}

TEST(BackupDecodeTest, LengthsBeyondTheWritersLimitsAreRefusedAtTheirOffset) {
    const auto record = [](std::uint32_t pathLength) { return Bytes{}.u32(0x80000002).u32(pathLength); };
    struct Case {
        std::string name;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"key path", record(kMaxBackupKeyPathBytes + 1).bytes, "byte offset 4: key path length 32768 exceeds"},
        {"huge key path", record(0xFFFFFFFFu).bytes, "byte offset 4: key path length 4294967295 exceeds"},
        {"value name", Bytes{}.u32(0x80000002).text("K").u32(1).u32(16384).bytes,
         "byte offset 13: value name length 16384 exceeds the limit of 16383 bytes"},
        {"value data", Bytes{}.u32(0x80000002).text("K").u32(1).text("v").u32(REG_BINARY).u32(16384).bytes,
         "byte offset 22: value data length 16384 exceeds the limit of 16383 bytes"},
        {"sub-key name", Bytes{}.u32(0x80000002).text("K").u32(0).u32(1).u32(256).bytes,
         "byte offset 17: sub-key name length 256 exceeds the limit of 255 bytes"},
        {"root", Bytes{}.u32(0x80000005).text("K").u32(0).u32(0).bytes,
         "byte offset 0: root 0x80000005 is not one of the four"},
        {"empty sub-key", Bytes{}.u32(0x80000002).text("K").u32(0).u32(1).text("").u32(0).u32(0).bytes,
         "byte offset 17: a sub-key name is empty"},
        {"backslash", Bytes{}.u32(0x80000002).text("K").u32(0).u32(1).text("a\\b").u32(0).u32(0).bytes,
         "byte offset 17: sub-key name \"a\\b\" contains a backslash"},
        {"NUL in a name", Bytes{}.u32(0x80000002).text("K").u32(1).text("a\0b"s).u32(1).text("").u32(0).bytes,
         "byte offset 18: value name contains a NUL byte"},
        {"NUL in a path", Bytes{}.u32(0x80000001).text("K\0"s).u32(0).u32(0).bytes,
         "byte offset 9: key path contains a NUL byte"},
        {"count beyond the file", Bytes{}.u32(0x80000002).text("K").u32(0xFFFFFFFFu).bytes,
         "byte offset 13: the file ends inside a record"},
    };
    for (const Case& c : cases) {
        const auto decoded = DecodeBackup(c.bytes, "x.reg");
        ASSERT_FALSE(decoded.ok()) << c.name;
        EXPECT_EQ(decoded.message().rfind("x.reg: ", 0), 0u) << c.name << ": " << decoded.message();
        EXPECT_NE(decoded.message().find(c.message), std::string::npos) << c.name << ": " << decoded.message();
    }
}

// A key counts as deep as the prefix's registry files hold it: its path, the two levels
// HKEY_CLASSES_ROOT stands for (Software\\Classes), and its nesting in the record. A file
// with a key deeper than their loader accepts is refused whole.
TEST(BackupDecodeTest, KeysAreNoDeeperThanTheRegistryFilesHold) {
    const auto record = [](std::uint32_t root, std::size_t pathLevels, std::size_t nesting) {
        std::string path;
        for (std::size_t level = 0; level < pathLevels; ++level) path += level == 0 ? "p" : "\\p";
        Bytes bytes;
        bytes.u32(root).text(path);
        for (std::size_t level = 0; level < nesting; ++level) bytes.u32(0).u32(1).text("k");
        bytes.u32(0).u32(0);
        return bytes.bytes;
    };
    const struct {
        std::uint32_t root;
        std::size_t pathLevels, nesting;
        const char* refusal;  // nullptr: read
    } cases[] = {
        {0x80000003, 0, 512, nullptr},
        {0x80000003, 0, 513, "sub-keys nested deeper than the 512 levels"},
        {0x80000002, 500, 12, nullptr},
        {0x80000002, 500, 13, "sub-keys nested deeper than the 512 levels"},
        {0x80000000, 510, 0, nullptr},
        {0x80000000, 511, 0, "lies 513 levels deep, deeper than the 512"},
        {0x80000001, 513, 0, "lies 513 levels deep"},
    };
    for (const auto& c : cases) {
        const auto decoded = DecodeBackup(record(c.root, c.pathLevels, c.nesting), "d.reg");
        if (c.refusal == nullptr) {
            EXPECT_TRUE(decoded.ok()) << decoded.message();
        } else {
            EXPECT_FALSE(decoded.ok());
            EXPECT_NE(decoded.message().find(c.refusal), std::string::npos) << decoded.message();
        }
    }
}

TEST(BackupDecodeTest, TheEditorsTextExportIsRecognisedAndRefused) {
    std::string utf16 = "\xFF\xFE"s;
    for (char c : "Windows Registry Editor Version 5.00\r\n"s) utf16 += std::string{c, '\0'};
    for (const std::string& text : {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"s, utf16,
                                    "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"s}) {
        const auto decoded = DecodeBackup(text, "2024-01-01_00-00-00.reg");
        EXPECT_EQ(decoded.message(),
                  "2024-01-01_00-00-00.reg: the file is a text export of the registry editor, not a binary "
                  "backup; it cannot be restored");
    }
}

TEST(BackupDecodeTest, AnEmptyFileHoldsNoRecords) {
    const auto decoded = DecodeBackup("", "e.reg");
    ASSERT_TRUE(decoded.ok());
    EXPECT_TRUE(decoded->empty());
}

// Nothing but a regular file of a backup's size is read: a pipe would hang the restore
// and /dev/zero would never end.
TEST_F(BackupFileTest, AnythingButARegularFileOfABackupsSizeIsRefusedByName) {
    const fs::path folder = machine.workFolder().path();
    const fs::path big = folder / "big.reg";
    { std::ofstream(big, std::ios::binary); }
    fs::resize_file(big, kMaxBackupFileBytes + 1);
    ASSERT_EQ(::mkfifo((folder / "pipe.reg").c_str(), 0600), 0);
    fs::create_directory(folder / "folder.reg");
    fs::create_symlink("/dev/zero", folder / "zero.reg");
    const struct {
        const char* name;
        const char* says;
    } cases[] = {
        {"none.reg", "does not exist"},
        {"big.reg", "is larger than 67108864 bytes"},
        {"pipe.reg", "is a named pipe, not a regular file"},
        {"folder.reg", "is a folder, not a regular file"},
        {"zero.reg", "is a character device, not a regular file"},
    };
    for (const auto& c : cases) {
        const fs::path path = folder / c.name;
        const std::string error = ReadBackupFile(path).message();
        EXPECT_EQ(error.rfind(path.string(), 0), 0u) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        if (path == big) continue;  // a shortcut backup may be larger
        const std::string shortcutError = ReadShortcutBackupFile(path).message();
        EXPECT_NE(shortcutError.find(c.says), std::string::npos) << shortcutError;
    }
}

// --- The backup folder ---

BackupClock FixedClock(BackupTime time) {
    return [time] { return time; };
}

TEST(BackupFileNameTest, SortsInTimeOrder) {
    EXPECT_EQ(BackupFileName({2024, 3, 9, 14, 5, 59}), "2024-03-09_14-05-59.reg");
    EXPECT_EQ(BackupFileName({987, 12, 31, 0, 0, 0}), "0987-12-31_00-00-00.reg");
    EXPECT_EQ(BackupFileName({2024, 3, 9, 14, 5, 59}, 2), "2024-03-09_14-05-59_2.reg");
    for (const char* name : {"2024-03-09_14-05-59.reg", "2024-03-09_14-05-59_2.reg", "2024-03-09_14-05-59_999.reg"})
        EXPECT_TRUE(IsBackupFileName(name)) << name;
    for (const char* other : {"1.reg", "2024-03-09_14-05-59.REG", "2024-03-09 14-05-59.reg", "x024-03-09_14-05-59.reg",
                              "2024-03-09_14-05-59_1.reg", "2024-03-09_14-05-59_02.reg", "2024-03-09_14-05-59_1000.reg",
                              "2024-03-09_14-05-59_.reg", "2024-03-09_14-05-59_x.reg"})
        EXPECT_FALSE(IsBackupFileName(other)) << other;
    // Each pair in time order.
    for (const auto& [earlier, later] : std::vector<std::pair<const char*, const char*>>{
             {"2024-03-09_14-05-59.reg", "2024-03-09_14-05-59_2.reg"},
             {"2024-03-09_14-05-59_9.reg", "2024-03-09_14-05-59_10.reg"},
             {"2024-03-09_14-05-59_999.reg", "2024-03-09_14-06-00.reg"}}) {
        EXPECT_TRUE(BackupNameBefore(earlier, later)) << earlier << " " << later;
        EXPECT_FALSE(BackupNameBefore(later, earlier)) << earlier << " " << later;
    }
}

class BackupFolderTest : public BackupFileTest {
protected:
    fs::path folder() const { return machine.workFolder().path() / kBackupFolderName; }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : fs::directory_iterator(folder())) result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }
    ProblemList runProblem() {
        machine.setString(kRunKey, "Foo", "C:\\foo.exe");
        return List(Problem(kRunKey, kKindValue, "Foo"));
    }
};

TEST_F(BackupFolderTest, WritesOneTimeStampedFileThatRestores) {
    const auto result = BackupRegistry(machine.registry(), runProblem(), machine.workFolder().path(),
                                       FixedClock({2024, 1, 2, 3, 4, 5}));
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(result.file, folder() / "2024-01-02_03-04-05.reg");
    EXPECT_EQ(names(), (std::vector<std::string>{"2024-01-02_03-04-05.reg"}));
    EXPECT_EQ(test::ReadFileAt(result.file), encode(runProblem()));
    EXPECT_FALSE(fs::exists(machine.workFolder().path() / "1.reg"));
}

TEST_F(BackupFolderTest, UntickedProblemsLeaveTheFolderUntouched) {
    const auto result = BackupRegistry(machine.registry(), List(Problem("", kKindKey)), machine.workFolder().path(),
                                       FixedClock({2024, 1, 2, 3, 4, 5}));
    EXPECT_EQ(result.outcome, BackupResult::Outcome::NothingToBackUp);
    EXPECT_FALSE(fs::exists(folder()));
}

TEST_F(BackupFolderTest, KeepsTheFiveNewestAndNothingElseIsDeleted) {
    fs::create_directories(folder());
    for (int day = 1; day <= 7; ++day) WriteFile(folder() / BackupFileName({2023, 5, day, 0, 0, 0}), "");
    WriteFile(folder() / "mine.reg", "REGEDIT4\r\n");
    const auto result = BackupRegistry(machine.registry(), runProblem(), machine.workFolder().path(),
                                       FixedClock({2024, 1, 1, 0, 0, 0}));
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(names(), (std::vector<std::string>{"2023-05-04_00-00-00.reg", "2023-05-05_00-00-00.reg",
                                                 "2023-05-06_00-00-00.reg", "2023-05-07_00-00-00.reg",
                                                 "2024-01-01_00-00-00.reg", "mine.reg"}));
}

TEST_F(BackupFolderTest, ANewBackupSurvivesPruningEvenWhenTheClockWentBack) {
    fs::create_directories(folder());
    for (int day = 1; day <= 5; ++day) WriteFile(folder() / BackupFileName({2030, 5, day, 0, 0, 0}), "");
    const auto result = BackupRegistry(machine.registry(), runProblem(), machine.workFolder().path(),
                                       FixedClock({2020, 1, 1, 0, 0, 0}));
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_TRUE(fs::exists(result.file));
    EXPECT_EQ(names().size(), kBackupsKept);
}

TEST_F(BackupFolderTest, BackupsInTheSameSecondEachGetANameOfTheirOwn) {
    const auto clock = FixedClock({2024, 1, 2, 3, 4, 5});
    std::vector<std::string> contents;
    const ProblemList problems = runProblem();
    for (const char* data : {"C:\\first.exe", "C:\\second.exe", "C:\\third.exe"}) {
        machine.setString(kRunKey, "Foo", data);
        const auto result = BackupRegistry(machine.registry(), problems, machine.workFolder().path(), clock);
        ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
        contents.push_back(test::ReadFileAt(result.file));
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"2024-01-02_03-04-05.reg", "2024-01-02_03-04-05_2.reg",
                                                 "2024-01-02_03-04-05_3.reg"}));
    EXPECT_EQ(test::ReadFileAt(folder() / "2024-01-02_03-04-05.reg"), contents[0]);
    EXPECT_EQ(test::ReadFileAt(folder() / "2024-01-02_03-04-05_3.reg"), contents[2]);
    EXPECT_NE(contents[0], contents[2]);
    EXPECT_EQ(FindLatestBackup(folder()), folder() / "2024-01-02_03-04-05_3.reg");
}

// Whatever has the next name, a link to a file of the user's included, keeps what it
// is, and so does the link's target; a shortcut backup without its registry backup
// keeps its name from being reused.
TEST_F(BackupFolderTest, ATakenNameIsPassedOverNeverFollowedOrReplaced) {
    fs::create_directories(folder());
    const fs::path target = machine.workFolder().path() / "user's file";
    WriteFile(target, "keep me");
    fs::create_symlink(target, folder() / "2024-01-02_03-04-05.reg");
    WriteFile(folder() / "2024-01-02_03-04-05_2.lnk-backup", "orphan");
    const auto result = BackupRegistry(machine.registry(), runProblem(), machine.workFolder().path(),
                                       FixedClock({2024, 1, 2, 3, 4, 5}));
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(result.file, folder() / "2024-01-02_03-04-05_3.reg");
    EXPECT_EQ(test::ReadFileAt(target), "keep me");
    EXPECT_TRUE(fs::is_symlink(folder() / "2024-01-02_03-04-05.reg"));
    EXPECT_EQ(test::ReadFileAt(folder() / "2024-01-02_03-04-05_2.lnk-backup"), "orphan");
}

TEST_F(BackupFolderTest, ShortcutsGoBesideTheirRegistryBackupAndArePrunedWithIt) {
    fs::create_directories(folder());
    for (int day = 1; day <= 5; ++day) {
        WriteFile(folder() / BackupFileName({2023, 5, day, 0, 0, 0}), "");
        WriteFile(folder() / ("2023-05-0" + std::to_string(day) + "_00-00-00.lnk-backup"), "");
    }
    const std::vector<ShortcutBackupEntry> shortcuts{{"C:\\users\\demo\\x.lnk", 0x21, "shortcut bytes"}};
    // No registry problem: the registry backup is written empty, so the shortcuts have one.
    const auto result = BackupRegistry(machine.registry(), List(Problem("", kKindKey)), shortcuts,
                                       machine.workFolder().path(), FixedClock({2024, 1, 1, 0, 0, 0}));
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(test::ReadFileAt(result.file), "");
    EXPECT_EQ(result.shortcutFile, folder() / "2024-01-01_00-00-00.lnk-backup");
    const auto decoded = ReadShortcutBackupFile(result.shortcutFile);
    ASSERT_TRUE(decoded.ok()) << decoded.message();
    EXPECT_EQ(decoded.value(), shortcuts);
    EXPECT_EQ(names(), (std::vector<std::string>{"2023-05-02_00-00-00.lnk-backup", "2023-05-02_00-00-00.reg",
                                                 "2023-05-03_00-00-00.lnk-backup", "2023-05-03_00-00-00.reg",
                                                 "2023-05-04_00-00-00.lnk-backup", "2023-05-04_00-00-00.reg",
                                                 "2023-05-05_00-00-00.lnk-backup", "2023-05-05_00-00-00.reg",
                                                 "2024-01-01_00-00-00.lnk-backup", "2024-01-01_00-00-00.reg"}));
}

// The prefix goes beside its backup and with it; a record left without its backup keeps
// its name from being taken, so that it is never read as a new backup's.
TEST_F(BackupFolderTest, ThePrefixIsRecordedBesideTheBackupAndPrunedWithIt) {
    fs::create_directories(folder());
    for (int day = 1; day <= 5; ++day) {
        WriteFile(folder() / BackupFileName({2023, 5, day, 0, 0, 0}), "");
        WriteFile(folder() / ("2023-05-0" + std::to_string(day) + "_00-00-00.prefix"), "/old");
    }
    WriteFile(folder() / "2024-01-01_00-00-00.prefix", "/orphan");
    const auto result = BackupRegistry(machine.registry(), runProblem(), BackupPlace(machine.workFolder().path(), "/p"),
                                       FixedClock({2024, 1, 1, 0, 0, 0}));
    ASSERT_EQ(result.outcome, BackupResult::Outcome::Written) << result.errorText();
    EXPECT_EQ(result.file, folder() / "2024-01-01_00-00-00_2.reg");
    EXPECT_EQ(test::ReadFileAt(BackupOriginPathFor(result.file)), "/p");
    const auto origin = ReadBackupOrigin(result.file);
    ASSERT_TRUE(origin) << origin.error().message();
    EXPECT_EQ(origin.value(), std::optional<std::string>("/p"));
    EXPECT_EQ(test::ReadFileAt(folder() / "2024-01-01_00-00-00.prefix"), "/orphan");
    EXPECT_FALSE(fs::exists(folder() / "2023-05-01_00-00-00.reg"));
    EXPECT_FALSE(fs::exists(folder() / "2023-05-01_00-00-00.prefix")) << "the record goes with its backup";
    EXPECT_TRUE(fs::exists(folder() / "2023-05-02_00-00-00.prefix"));
}

TEST_F(BackupFolderTest, TheLatestCreatedFileIsFoundWhateverTheNames) {
    EXPECT_FALSE(FindLatestBackup(folder()).has_value());
    fs::create_directories(folder());
    const auto now = fs::file_time_type::clock::now();
    int step = 0;
    for (const char* name : {"2030-01-01_00-00-00.reg", "b.reg", "a.reg"}) {
        // Creation times are kept to the kernel's clock tick, which can be coarse.
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        WriteFile(folder() / name, "");
        fs::last_write_time(folder() / name, now + std::chrono::seconds(++step));
    }
    WriteFile(folder() / "later.txt", "");
    fs::create_directories(folder() / "z.reg");
    EXPECT_EQ(FindLatestBackup(folder()), folder() / "a.reg");
}

}  // namespace
}  // namespace brindle
