#include "platform/Environment.h"

#include <gtest/gtest.h>

#include <cstring>

namespace brindle {
namespace {

Environment MakeEnvironment() {
    Environment environment;
    environment.set("SystemRoot", "C:\\windows");
    environment.set("ProgramFiles", "C:\\Program Files");
    environment.set("EMPTY", "");
    environment.set("Percent", "50%");
    return environment;
}

TEST(EnvironmentTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    Environment environment;
    environment.set("Path", "a");
    environment.set("PATH", "b");
    ASSERT_NE(nullptr, environment.find("path"));
    EXPECT_EQ("b", *environment.find("path"));
    EXPECT_EQ("<b>", environment.expand("<%PaTh%>"));
    EXPECT_EQ(nullptr, environment.find("PAT"));
    EXPECT_EQ(nullptr, environment.find("PATHS"));

    environment.unset("pAtH");
    EXPECT_EQ(nullptr, environment.find("Path"));
    environment.unset("never-set");
    environment.set("", "ignored");
    EXPECT_EQ(nullptr, environment.find(""));
}

TEST(EnvironmentTest, Expands) {
    const Environment environment = MakeEnvironment();
    struct Row {
        const char* text;
        const char* expected;
    };
    const Row rows[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"%SystemRoot%", "C:\\windows"},
        {"%systemroot%\\system32\\x.dll", "C:\\windows\\system32\\x.dll"},
        {"%ProgramFiles%\\A;%SYSTEMROOT%", "C:\\Program Files\\A;C:\\windows"},
        {"%SystemRoot%%SystemRoot%", "C:\\windowsC:\\windows"},
        {"[%EMPTY%]", "[]"},
        // Unknown names keep both percent signs; scanning resumes after the second.
        {"%NOSUCH%", "%NOSUCH%"},
        {"%NOSUCH%\\x", "%NOSUCH%\\x"},
        {"%NOSUCH%SystemRoot%", "%NOSUCH%SystemRoot%"},
        {"%%", "%%"},
        {"%%SystemRoot%", "%%SystemRoot%"},
        {"100%", "100%"},
        {"%", "%"},
        {"a % b", "a % b"},
        {"%SystemRoot", "%SystemRoot"},
        {"%SystemRoot%\\%unfinished", "C:\\windows\\%unfinished"},
        {"% SystemRoot%", "% SystemRoot%"},
        // A value is not expanded again, even when it holds percent signs.
        {"%Percent%ProgramFiles%", "50%ProgramFiles%"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.expected, environment.expand(row.text)) << row.text;
    }
}

TEST(EnvironmentTest, ExpandEnvironmentStringsAReturnsTheSizeWithTheNul) {
    const Environment environment = MakeEnvironment();
    const char* source = "%SystemRoot%\\x";  // "C:\windows\x", 12 characters
    constexpr win::DWORD kNeeded = 13;

    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(kNeeded, environment.ExpandEnvironmentStringsA(source, buffer, sizeof buffer));
    EXPECT_STREQ("C:\\windows\\x", buffer);
    EXPECT_EQ('#', buffer[kNeeded]);

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(kNeeded, environment.ExpandEnvironmentStringsA(source, buffer, kNeeded));
    EXPECT_STREQ("C:\\windows\\x", buffer);
    EXPECT_EQ('#', buffer[kNeeded]);

    EXPECT_EQ(kNeeded, environment.ExpandEnvironmentStringsA(source, nullptr, 0));
    EXPECT_EQ(1u, environment.ExpandEnvironmentStringsA("", nullptr, 0));
    EXPECT_EQ(0u, environment.ExpandEnvironmentStringsA(nullptr, buffer, sizeof buffer));
}

TEST(EnvironmentTest, ExpandEnvironmentStringsANeverWritesPastTheSize) {
    const Environment environment = MakeEnvironment();
    for (win::DWORD size : {0u, 1u, 5u, 12u}) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(13u, environment.ExpandEnvironmentStringsA("%SystemRoot%\\x", buffer, size)) << "size " << size;
        for (std::size_t i = size; i < sizeof buffer; ++i) {
            EXPECT_EQ('#', buffer[i]) << "size " << size << ", byte " << i;
        }
    }
}

}  // namespace
}  // namespace brindle
