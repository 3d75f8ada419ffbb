#include "platform/WindowsPath.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

struct PathCase {
    const char* input;
    const char* currentDirectory;
    const char* expected;  // FormatWindowsPath of the result; nullptr when there is none
    bool wantsFolder;
};

// Formats the parse of one row, or "(none)", so that a failing row shows both texts.
std::string Describe(std::string_view input, std::string_view currentDirectory) {
    auto parsed = ParseWindowsPath(input, currentDirectory);
    if (!parsed) return "(none)";
    return FormatWindowsPath(*parsed) + (parsed->wantsFolder ? " [folder]" : "");
}

std::string Expected(const PathCase& row) {
    if (row.expected == nullptr) return "(none)";
    return std::string(row.expected) + (row.wantsFolder ? " [folder]" : "");
}

void CheckRows(const std::vector<PathCase>& rows) {
    for (const auto& row : rows) {
        EXPECT_EQ(Expected(row), Describe(row.input, row.currentDirectory))
            << "input \"" << row.input << "\" in \"" << row.currentDirectory << "\"";
    }
}

TEST(WindowsPathTest, AbsolutePathsAndSeparators) {
    CheckRows({
        {"C:\\", "C:\\", "C:\\", true},
        {"C:\\App\\app.exe", "C:\\", "C:\\App\\app.exe", false},
        {"c:\\app", "C:\\", "C:\\app", false},
        {"z:\\", "C:\\", "Z:\\", true},
        {"C:/App/app.exe", "C:\\", "C:\\App\\app.exe", false},
        {"C:\\App/sub\\file", "C:\\", "C:\\App\\sub\\file", false},
        {"C:\\\\App\\\\\\file", "C:\\", "C:\\App\\file", false},
        {"C://App//", "C:\\", "C:\\App", true},
        {"C:\\App\\", "C:\\", "C:\\App", true},
        {"C:\\App/", "C:\\", "C:\\App", true},
        {"C:\\Program Files\\My App\\a b.exe", "C:\\", "C:\\Program Files\\My App\\a b.exe", false},
    });
}

TEST(WindowsPathTest, DotSegments) {
    CheckRows({
        {"C:\\a\\.\\b", "C:\\", "C:\\a\\b", false},
        {"C:\\a\\..\\b", "C:\\", "C:\\b", false},
        {"C:\\a\\b\\..", "C:\\", "C:\\a", false},
        {"C:\\a\\b\\..\\", "C:\\", "C:\\a", true},
        {"C:\\a\\b\\.", "C:\\", "C:\\a\\b", false},
        {"C:\\..", "C:\\", "C:\\", false},
        {"C:\\..\\..\\windows", "C:\\", "C:\\windows", false},
        {"C:\\a\\..\\..\\..\\b", "C:\\", "C:\\b", false},
        {"C:\\.\\.\\a", "C:\\", "C:\\a", false},
        // Names that merely start with dots are names.
        {"C:\\.hidden\\..x", "C:\\", "C:\\.hidden\\..x", false},
        {"C:\\a\\...\\b", "C:\\", "C:\\a\\..\\b", false},
    });
}

TEST(WindowsPathTest, TrailingBlanksAndDots) {
    CheckRows({
        {"C:\\App\\app.exe ", "C:\\", "C:\\App\\app.exe", false},
        {"C:\\App\\app.exe.", "C:\\", "C:\\App\\app.exe", false},
        {"C:\\App\\app.exe . .  ", "C:\\", "C:\\App\\app.exe", false},
        {"C:\\App\\app", "C:\\", "C:\\App\\app", false},
        // Only the end of the whole text is trimmed; inner blanks stay.
        {"C:\\My Folder \\app.exe", "C:\\", "C:\\My Folder \\app.exe", false},
        // An inner segment loses one trailing dot.
        {"C:\\folder.\\app.exe", "C:\\", "C:\\folder\\app.exe", false},
        {"C:\\folder..\\app.exe", "C:\\", "C:\\folder.\\app.exe", false},
        // A separator at the end keeps trailing blanks: that is how such names are made.
        {"C:\\folder \\", "C:\\", "C:\\folder ", true},
        {"C:\\folder.\\", "C:\\", "C:\\folder", true},
        // A last segment of only blanks and dots vanishes and leaves a folder path.
        {"C:\\a\\ ", "C:\\", "C:\\a", true},
        {"C:\\a\\...", "C:\\", "C:\\a", true},
        {"C:\\a\\b\\.. ", "C:\\", "C:\\a\\b", true},
        {"C: ", "C:\\", "C:\\", true},
    });
}

TEST(WindowsPathTest, DriveRelativeAndRootRelative) {
    CheckRows({
        {"D:rest\\file", "C:\\work", "D:\\rest\\file", false},
        {"D:", "C:\\work", "D:\\", false},
        {"d:..\\x", "C:\\work", "D:\\x", false},
        // A path from the root is on C:, whatever drive the current directory is on.
        {"\\windows\\win.ini", "C:\\work\\deep", "C:\\windows\\win.ini", false},
        {"\\windows\\win.ini", "E:\\games", "C:\\windows\\win.ini", false},
        {"\\windows\\system32\\x.dll", "Z:\\home\\user", "C:\\windows\\system32\\x.dll", false},
        {"/windows", "E:\\games", "C:\\windows", false},
        {"\\..\\windows", "Z:\\", "C:\\windows", false},
        {"\\", "D:\\x", "C:\\", true},
    });
}

TEST(WindowsPathTest, RelativeToCurrentDirectory) {
    CheckRows({
        {"app.exe", "C:\\App", "C:\\App\\app.exe", false},
        {"app.exe", "C:\\App\\", "C:\\App\\app.exe", false},
        {"app.exe", "C:\\", "C:\\app.exe", false},
        {"sub\\app.exe", "d:\\App", "D:\\App\\sub\\app.exe", false},
        {"..\\other\\x.dll", "C:\\App\\bin", "C:\\App\\other\\x.dll", false},
        {"..\\..\\..\\..\\x", "C:\\a\\b", "C:\\x", false},
        {".", "C:\\App", "C:\\App", false},
        {".\\", "C:\\App", "C:\\App", true},
        {"..", "C:\\App", "C:\\", false},
        {"app.exe ", "C:\\App", "C:\\App\\app.exe", false},
        // The current directory itself is normalised.
        {"x", "C:/a/./b/../c", "C:\\a\\c\\x", false},
    });
}

TEST(WindowsPathTest, PathsWithoutADrive) {
    CheckRows({
        {"", "C:\\", nullptr, false},
        {"\\\\server\\share\\file", "C:\\", nullptr, false},
        {"//server/share", "C:\\", nullptr, false},
        {"\\/server", "C:\\", nullptr, false},
        {"\\\\?\\C:\\file", "C:\\", nullptr, false},
        {"\\\\.\\COM1", "C:\\", nullptr, false},
        {"1:\\file", "C:\\", nullptr, false},
        {":\\file", "C:\\", nullptr, false},
        {"\xC4:\\file", "C:\\", nullptr, false},
        // Characters no Windows name may hold.
        {"C:\\Temp\\*.tmp", "C:\\", nullptr, false},
        {"C:\\Temp\\file?.txt", "C:\\", nullptr, false},
        {"C:\\a|b", "C:\\", nullptr, false},
        {"C:\\\"quoted\"", "C:\\", nullptr, false},
        {"C:\\a<b>", "C:\\", nullptr, false},
        {"C:\\file.txt:stream", "C:\\", nullptr, false},
        {"C:\\tab\there", "C:\\", nullptr, false},
        {"C::", "C:\\", nullptr, false},
        // A relative path cannot be anchored to a relative or empty current directory.
        {"file", "", nullptr, false},
        {"file", "relative\\dir", nullptr, false},
        {"file", "\\\\server\\share", nullptr, false},
        {"\\file", "", "C:\\file", false},
    });
}

TEST(WindowsPathTest, TextEndsAtNul) {
    using namespace std::string_view_literals;
    EXPECT_EQ("C:\\a", Describe("C:\\a\0\\b"sv, "C:\\"));
    EXPECT_EQ("(none)", Describe("\0C:\\a"sv, "C:\\"));
}

TEST(WindowsPathTest, SegmentsKeepBytesAboveAscii) {
    auto parsed = ParseWindowsPath("C:\\Caf\xE9\\\xC3\xA9t\xE9 .");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ('C', parsed->drive);
    ASSERT_EQ(2u, parsed->segments.size());
    EXPECT_EQ("Caf\xE9", parsed->segments[0]);
    EXPECT_EQ("\xC3\xA9t\xE9", parsed->segments[1]);
    EXPECT_FALSE(parsed->wantsFolder);
}

TEST(WindowsPathTest, FormatRoundTrips) {
    for (const char* text : {"C:\\", "C:\\a", "Q:\\a b\\c.d\\e"}) {
        auto parsed = ParseWindowsPath(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(text, FormatWindowsPath(*parsed));
    }
    EXPECT_EQ("\\a", FormatWindowsPath(WindowsPath{0, {"a"}, false}));
}

}  // namespace
}  // namespace brindle
