// The shortcut backup file: what goes in comes out byte for byte, and a damaged file is
// refused as a whole, at the offset where it goes wrong.
#include "registry/ShortcutBackupFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brindle {
namespace {

using namespace std::string_literals;

std::string U32(std::uint32_t n) {
    return {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF), static_cast<char>((n >> 16) & 0xFF),
            static_cast<char>(n >> 24)};
}

TEST(ShortcutBackupFileTest, EntriesComeBackExactlyAndTheLayoutIsAsDocumented) {
    const std::vector<ShortcutBackupEntry> entries{
        {"C:\\users\\demo\\Desktop\\Old App.lnk", 0x21, "L\0\0\0\x01\x14\x02\0\xff"s},
        {"C:\\a\\\xe9t\xe9.lnk", 0x20, ""},
    };
    const std::string bytes = EncodeShortcutBackup(entries);
    EXPECT_EQ(bytes.substr(0, 12), "BRNDLNK1" + U32(2));
    EXPECT_EQ(bytes.substr(12, 4), U32(static_cast<std::uint32_t>(entries[0].path.size())));
    const auto decoded = DecodeShortcutBackup(bytes, "x.lnk-backup");
    ASSERT_TRUE(decoded.ok()) << decoded.message();
    EXPECT_EQ(decoded.value(), entries);

    const auto empty = DecodeShortcutBackup(EncodeShortcutBackup({}), "x");
    ASSERT_TRUE(empty.ok()) << empty.message();
    EXPECT_TRUE(empty->empty());
}

TEST(ShortcutBackupFileTest, ADamagedFileIsRefusedAtItsOffset) {
    const std::string good = EncodeShortcutBackup({{"C:\\a.lnk", 0x20, "data"}});
    struct Case {
        const char* what;
        std::string bytes;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"no magic", "REGEDIT4" + U32(0), "byte offset 0: the file does not start with \"BRNDLNK1\""},
        {"empty", "", "byte offset 0: the file does not start"},
        {"no count", "BRNDLNK1", "byte offset 8: the file ends where the entry count"},
        {"count over the limit", "BRNDLNK1" + U32(kMaxShortcutBackupEntries + 1), "byte offset 8: entry count"},
        {"more entries counted than there are", "BRNDLNK1" + U32(2) + good.substr(12),
         "the file ends where the length of a shortcut path"},
        {"path over the limit", "BRNDLNK1" + U32(1) + U32(kMaxShortcutBackupPathBytes + 1),
         "byte offset 12: shortcut path length 32768 exceeds the limit"},
        {"empty path", "BRNDLNK1" + U32(1) + U32(0) + U32(0) + U32(0), "byte offset 12: a shortcut path is empty"},
        {"NUL in the path", "BRNDLNK1" + U32(1) + U32(3) + "C:\0"s + U32(0) + U32(0), "contains a NUL byte"},
        {"data over the limit", "BRNDLNK1" + U32(1) + U32(1) + "C" + U32(0) + U32(kMaxShortcutBackupDataBytes + 1),
         "byte offset 21: shortcut's data length"},
        {"cut inside the data", good.substr(0, good.size() - 1), "the file ends inside a shortcut's data of 4 bytes"},
        {"bytes after the last entry", good + "x", "1 bytes follow the last entry"},
    };
    for (const Case& c : cases) {
        const auto decoded = DecodeShortcutBackup(c.bytes, "f.lnk-backup");
        ASSERT_FALSE(decoded.ok()) << c.what;
        EXPECT_EQ(decoded.message().rfind("f.lnk-backup: ", 0), 0u) << c.what << ": " << decoded.message();
        EXPECT_NE(decoded.message().find(c.expected), std::string::npos) << c.what << ": " << decoded.message();
    }
}

TEST(ShortcutBackupFileTest, TheCompanionHasTheRegistryBackupsStem) {
    EXPECT_EQ(ShortcutBackupPathFor("/w/Registry Backups/2024-01-02_03-04-05_2.reg"),
              "/w/Registry Backups/2024-01-02_03-04-05_2.lnk-backup");
}

}  // namespace
}  // namespace brindle
