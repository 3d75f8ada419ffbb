#include "platform/WinePrefixLocation.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <map>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::TemporaryFolder;

EnvironmentLookup FakeEnvironment(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
        auto it = variables.find(name);
        if (it == variables.end()) return std::nullopt;
        return it->second;
    };
}

// "path (source)" on success, the message on failure: one string to compare.
std::string Outcome(const Result<PrefixChoice>& result) {
    if (result) return result->path.string() + " (" + result->source + ")";
    return result.error().message();
}

class WinePrefixLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::canonical(m_scratch.path());
        makePrefix("chosen");
        makePrefix("fromenv");
        makePrefix("home/.wine");
    }

    void makePrefix(const std::string& relative) { m_scratch.writeFile(relative + "/system.reg", "WINE REGISTRY Version 2\n"); }

    std::string at(const std::string& relative) const { return (m_root / relative).string(); }

    TemporaryFolder m_scratch;
    fs::path m_root;
};

TEST_F(WinePrefixLocationTest, TakesTheOptionThenWineprefixThenHome) {
    const auto everything = FakeEnvironment({{"WINEPREFIX", at("fromenv")}, {"HOME", at("home")}});
    EXPECT_EQ(at("chosen") + " (--prefix)", Outcome(LocateWinePrefix(at("chosen"), everything)));
    EXPECT_EQ(at("fromenv") + " ($WINEPREFIX)", Outcome(LocateWinePrefix(std::nullopt, everything)));
    EXPECT_EQ(at("home/.wine") + " (the default ~/.wine)",
              Outcome(LocateWinePrefix(std::nullopt, FakeEnvironment({{"HOME", at("home") + "/"}}))));
}

TEST_F(WinePrefixLocationTest, ResolvesLinksDotsAndTheCurrentDirectory) {
    fs::create_directory_symlink(m_root / "chosen", m_root / "link");
    const auto none = FakeEnvironment({});
    EXPECT_EQ(at("chosen") + " (--prefix)", Outcome(LocateWinePrefix(at("link"), none)));
    EXPECT_EQ(at("chosen") + " (--prefix)", Outcome(LocateWinePrefix(at("home/../chosen/."), none)));
    test::CurrentDirectoryScope inRoot(m_root);
    EXPECT_EQ(at("chosen") + " (--prefix)", Outcome(LocateWinePrefix("chosen", none)));
}

TEST_F(WinePrefixLocationTest, NeedsOnlySystemReg) {
    // user.reg and userdef.reg are absent from every prefix made here.
    EXPECT_FALSE(fs::exists(m_root / "chosen" / "user.reg"));
    EXPECT_TRUE(LocateWinePrefix(at("chosen"), FakeEnvironment({})).ok());
}

TEST_F(WinePrefixLocationTest, SaysWhatIsWrongAndWhereTheNameCameFrom) {
    m_scratch.writeFile("plain-file");
    m_scratch.makeFolder("empty");
    m_scratch.makeFolder("odd/system.reg");
    struct Row {
        std::optional<std::string> option;
        std::map<std::string, std::string> environment;
        std::string expected;
    };
    const Row rows[] = {
        {at("missing"), {}, "no Wine prefix at " + at("missing") + " (from --prefix): the folder does not exist"},
        {at("plain-file"), {}, "no Wine prefix at " + at("plain-file") + " (from --prefix): it is not a folder"},
        {at("empty"), {}, at("empty") + " (from --prefix) is not a Wine prefix: system.reg is missing"},
        {at("odd"), {}, at("odd") + " (from --prefix) is not a Wine prefix: system.reg is not a file"},
        {std::string(), {}, "--prefix names no folder: the value is empty"},
        {std::nullopt,
         {{"WINEPREFIX", at("empty")}},
         at("empty") + " (from $WINEPREFIX) is not a Wine prefix: system.reg is missing"},
        {std::nullopt,
         {{"WINEPREFIX", "relative/prefix"}},
         "no Wine prefix at relative/prefix (from $WINEPREFIX): not an absolute path, which Wine requires"},
        {std::nullopt, {{"WINEPREFIX", ""}}, "$WINEPREFIX is set but empty; Wine would refuse it too"},
        {std::nullopt,
         {{"HOME", at("empty")}},
         "no Wine prefix at " + at("empty/.wine") + " (from the default ~/.wine): the folder does not exist"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, Outcome(LocateWinePrefix(row.option, FakeEnvironment(row.environment))))
            << (row.option ? *row.option : "(no option)");
}

TEST_F(WinePrefixLocationTest, FallsBackToTheAccountsHomeFolder) {
    const passwd* account = ::getpwuid(::getuid());
    if (account == nullptr || account->pw_dir == nullptr || account->pw_dir[0] == '\0')
        GTEST_SKIP() << "this user has no home folder in the account database";
    const std::string expectedPath = fs::weakly_canonical(fs::path(account->pw_dir) / ".wine").string();
    const auto result = LocateWinePrefix(std::nullopt, FakeEnvironment({{"HOME", ""}}));
    if (result) {
        EXPECT_EQ(expectedPath, result->path.string());
        EXPECT_EQ("the default ~/.wine", result->source);
    } else {
        EXPECT_NE(std::string::npos, result.error().message().find(expectedPath + " (from the default ~/.wine)"))
            << result.error().message();
    }
}

}  // namespace
}  // namespace brindle
