// Shortcut targets read through liblnk from files the writer makes, and files that are
// no shortcut at all.
#include "platform/ShortcutReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>

#include "demo/LnkWriter.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using Status = ShortcutTarget::Status;

std::string Describe(const ShortcutTarget& target) {
    switch (target.status) {
        case Status::Found: return "found " + target.path;
        case Status::NoLocalPath: return "no local path";
        case Status::Unreadable: return "unreadable";
    }
    return "?";
}

class ShortcutReaderTest : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const std::string& bytes) { return m_folder.writeFile(name, bytes); }

    ShortcutTarget read(const std::string& bytes, unsigned codePage = 1252) {
        return ReadShortcutFile(write("probe.lnk", bytes), CodePage(codePage));
    }

    test::TemporaryFolder m_folder;
};

TEST_F(ShortcutReaderTest, ReadsTheLocalPathOfEveryLayoutTheWriterMakes) {
    struct LayoutCase {
        const char* name;
        ShortcutOptions options;
    };
    ShortcutOptions eightBit;
    eightBit.unicodeStrings = false;
    eightBit.description = "Plain strings";
    ShortcutOptions described;
    described.description = "Demo Viewer";
    ShortcutOptions unicodePath;
    unicodePath.unicodeLocalPath = true;
    const LayoutCase rows[] = {
        {"as Wine writes it", ShortcutOptions{}},
        {"8-bit strings", eightBit},
        {"with a description", described},
        {"with a Unicode path", unicodePath},
    };
    const std::string target = "C:\\Program Files\\Demo Viewer\\viewer.exe";
    for (const auto& row : rows) {
        EXPECT_EQ("found " + target, Describe(read(MakeShortcutBytes(target, row.options)))) << row.name;
    }
}

TEST_F(ShortcutReaderTest, JoinsTheCommonPathSuffix) {
    ShortcutOptions options;
    options.commonPathSuffix = "Demo\\readme.txt";
    EXPECT_EQ("found C:\\Docs\\Demo\\readme.txt", Describe(read(MakeShortcutBytes("C:\\Docs\\", options))));
}

TEST_F(ShortcutReaderTest, AShortcutWithoutLinkInfoHasNoLocalPath) {
    const auto target = read(MakeShortcutBytesWithoutTarget());
    EXPECT_EQ(Status::NoLocalPath, target.status);
    EXPECT_EQ("", target.path);
    EXPECT_EQ("no local path", Describe(read(MakeShortcutBytes(""))));
}

TEST_F(ShortcutReaderTest, ConvertsThroughTheMachinesCodePage) {
    struct CodePageCase {
        const char* name;
        std::string bytes;
        unsigned codePage;
        const char* path;
    };
    ShortcutOptions unicodePath;
    unicodePath.unicodeLocalPath = true;
    const CodePageCase rows[] = {
        {"1252 path on 1252", MakeShortcutBytes("C:\\Caf\xE9\\menu.exe"), 1252, "C:\\Caf\xE9\\menu.exe"},
        {"1251 path on 1251", MakeShortcutBytes("C:\\\xCF\xF0\xE8\\x.exe"), 1251, "C:\\\xCF\xF0\xE8\\x.exe"},
        {"932 path on 932", MakeShortcutBytes("C:\\\x93\xfa\x96\x7b\\x.exe"), 932, "C:\\\x93\xfa\x96\x7b\\x.exe"},
        // The Unicode form wins; a character the page lacks becomes '?'.
        {"Unicode path on 1252", MakeShortcutBytes("C:\\Caf\xE9\\x.exe", unicodePath), 1252, "C:\\Caf\xE9\\x.exe"},
        {"Unicode path on 1251", MakeShortcutBytes("C:\\Caf\xE9\\x.exe", unicodePath), 1251, "C:\\Caf?\\x.exe"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(std::string("found ") + row.path, Describe(read(row.bytes, row.codePage))) << row.name;
    }
}

TEST(ShortcutReaderCodePages, PassesWindowsPagesThrough) {
    for (unsigned page : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u,
                          1258u}) {
        EXPECT_EQ(static_cast<int>(page), LiblnkCodePage(page).value_or(-1)) << page;
    }
    EXPECT_FALSE(LiblnkCodePage(65001).has_value());
    EXPECT_FALSE(LiblnkCodePage(437).has_value());
}

TEST_F(ShortcutReaderTest, TruncatedFilesNeverGiveAWrongPath) {
    const std::string target = "C:\\Program Files\\Demo Viewer\\viewer.exe";
    ShortcutOptions options;
    options.description = "Demo Viewer";
    const std::string whole = MakeShortcutBytes(target, options);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const auto result = read(whole.substr(0, length));
        if (result.status == Status::Found) {
            EXPECT_EQ(target, result.path) << "cut at " << length;
        } else {
            EXPECT_EQ(Status::Unreadable, result.status) << "cut at " << length;
            EXPECT_NE(std::string::npos, result.error.find("probe.lnk")) << "cut at " << length;
        }
    }
}

TEST_F(ShortcutReaderTest, RefusesWhatIsNoShortcut) {
    std::mt19937 random(20260115);
    std::string garbage(600, '\0');
    for (auto& c : garbage) c = static_cast<char>(random());

    struct BadCase {
        const char* name;
        std::string bytes;
    };
    const BadCase rows[] = {
        {"empty", ""},
        {"text", "[InternetShortcut]\r\nURL=http://example.invalid/\r\n"},
        {"random bytes", garbage},
        {"a header that promises LinkInfo and ends", MakeShortcutBytes("C:\\x.exe").substr(0, 0x4C)},
    };
    for (const auto& row : rows) {
        const auto result = read(row.bytes);
        EXPECT_NE(Status::Found, result.status) << row.name;
    }
    EXPECT_EQ(Status::Unreadable, read("").status);
    EXPECT_EQ(Status::Unreadable, read(garbage).status);
}

// liblnk reserves what a size field claims before it reads it; a claim larger than the
// file must be refused before liblnk sees it.
TEST_F(ShortcutReaderTest, RefusesSizesThatDoNotFitTheFile) {
    const auto patchU32 = [](std::string bytes, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
        return bytes;
    };
    ShortcutOptions described;
    described.description = "Demo";
    const std::string plain = MakeShortcutBytes("C:\\x.exe");
    const std::string withName = MakeShortcutBytes("C:\\x.exe", described);
    std::string withIdList = plain;
    withIdList[0x14] |= 0x01;  // HasLinkTargetIDList: the list's u16 size takes LinkInfo's place
    withIdList[0x4C] = '\xFF';
    withIdList[0x4D] = '\xFF';
    std::string withBlock = plain.substr(0, plain.size() - 4);
    withBlock += std::string("\x00\x10\x00\x00" "abcd", 8);

    struct SizeCase {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const SizeCase rows[] = {
        {"LinkInfo of 4 GiB", patchU32(plain, 0x4C, 0xFFFFFFFFu), "LinkInfo of 4294967295 bytes at 0x4C"},
        {"LinkInfo too small", patchU32(plain, 0x4C, 8), "LinkInfo of 8 bytes at 0x4C"},
        {"item id list", withIdList, "item id list of 65537 bytes at 0x4C"},
        {"string past the end", withName.substr(0, withName.size() - 6), "string of 10 bytes"},
        {"extra data block", withBlock, "extra data block of 4096 bytes"},
        {"wrong header size", patchU32(plain, 0, 0x4D), "header size 0x4D"},
        {"wrong class", patchU32(plain, 4, 0), "class id"},
    };
    for (const auto& row : rows) {
        const auto result = read(row.bytes);
        EXPECT_EQ(Status::Unreadable, result.status) << row.name;
        EXPECT_NE(std::string::npos, result.error.find(row.error)) << row.name << ": " << result.error;
    }
}

TEST_F(ShortcutReaderTest, RefusesHugeFilesWithoutReadingThem) {
    const auto path = write("huge.lnk", MakeShortcutBytes("C:\\x.exe"));
    ASSERT_EQ(0, truncate(path.c_str(), static_cast<off_t>(kMaxShortcutFileBytes + 1)));
    const auto result = ReadShortcutFile(path, CodePage(1252));
    EXPECT_EQ(Status::Unreadable, result.status);
    EXPECT_NE(std::string::npos, result.error.find(std::to_string(kMaxShortcutFileBytes + 1))) << result.error;

    // At the limit it is read: the trailing zeros are padding after the terminal block.
    ASSERT_EQ(0, truncate(path.c_str(), static_cast<off_t>(kMaxShortcutFileBytes)));
    EXPECT_EQ("found C:\\x.exe", Describe(ReadShortcutFile(path, CodePage(1252))));
}

TEST_F(ShortcutReaderTest, RefusesWhatIsNotARegularFile) {
    const auto folder = m_folder.makeFolder("folder.lnk");
    EXPECT_EQ(Status::Unreadable, ReadShortcutFile(folder, CodePage(1252)).status);
    // A FIFO would block the first read for ever.
    const auto fifo = m_folder.path() / "fifo.lnk";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_EQ(Status::Unreadable, ReadShortcutFile(fifo, CodePage(1252)).status);
    const auto missing = ReadShortcutFile(m_folder.path() / "missing.lnk", CodePage(1252));
    EXPECT_EQ(Status::Unreadable, missing.status);
    EXPECT_NE(std::string::npos, missing.error.find("missing.lnk")) << missing.error;
}

// Damaged shortcuts are what a scan of a real disk meets; none may crash the reader.
TEST_F(ShortcutReaderTest, SurvivesDamagedShortcuts) {
    const std::string target = "C:\\Program Files\\Demo\\demo.exe";
    ShortcutOptions options;
    options.description = "Demo";
    options.unicodeLocalPath = true;
    const std::string whole = MakeShortcutBytes(target, options);
    std::mt19937 random(42);
    int found = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string damaged = whole;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const std::size_t at = random() % damaged.size();
            damaged[at] = static_cast<char>(random() % 3 == 0 ? 0xFF : random());
        }
        const auto result = read(damaged);
        if (result.status == Status::Found) ++found;
    }
    // Damage outside the header and LinkInfo leaves the path readable.
    EXPECT_GT(found, 0);
}

}  // namespace
}  // namespace brindle
