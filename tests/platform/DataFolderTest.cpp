// Where a prefix's data lives: its folder's name, where that folder is, how it is made,
// and what is refused in its place.
#include "platform/DataFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup Env(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end()) return std::nullopt;
        return found->second;
    };
}

TEST(DataFolderTest, TheIdIsReadableStableAndApartForEveryPrefix) {
    struct Case {
        const char* prefix;
        const char* namePart;  // the id without its hash
    };
    const Case cases[] = {
        {"/home/u/.wine", "wine"},
        {"/home/u/Games/My Game", "My_Game"},
        {"/home/u/Games/My Game/", "My_Game"},
        {"/s/steamapps/compatdata/1245620/pfx", "1245620-pfx"},
        {"/home/u/prefixes/caf\xc3\xa9", "caf__"},
        {"/home/u/...", "prefix"},
        {"/home/u/a;rm -rf ~", "a_rm_-rf__"},
    };
    std::set<std::string> ids;
    for (const Case& c : cases) {
        const std::string id = PrefixDataId(c.prefix);
        SCOPED_TRACE(c.prefix);
        ASSERT_EQ(id.size(), std::string(c.namePart).size() + 9) << id;
        EXPECT_EQ(id.substr(0, id.size() - 9), c.namePart);
        EXPECT_EQ(id[id.size() - 9], '-');
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef", id.size() - 8), std::string::npos) << id;
        EXPECT_EQ(PrefixDataId(c.prefix), id) << "the same prefix always has the same id";
        ids.insert(id);
    }
    EXPECT_NE(PrefixDataId("/a/pfx"), PrefixDataId("/b/pfx"));
    EXPECT_EQ(PrefixDataId(std::string(300, 'x')).size(), 48u + 9u) << "long names are cut";
}

TEST(DataFolderTest, DataHomeFollowsTheXdgRules) {
    EXPECT_EQ(DataHome(Env({{"XDG_DATA_HOME", "/d"}, {"HOME", "/h"}})).value(), fs::path("/d"));
    EXPECT_EQ(DataHome(Env({{"XDG_DATA_HOME", "relative"}, {"HOME", "/h"}})).value(), fs::path("/h/.local/share"))
        << "a relative XDG_DATA_HOME is ignored";
    EXPECT_EQ(DataHome(Env({{"XDG_DATA_HOME", ""}, {"HOME", "/h"}})).value(), fs::path("/h/.local/share"));
}

class OpenDataFolderTest : public ::testing::Test {
protected:
    EnvironmentLookup env() const { return Env({{"XDG_DATA_HOME", (root.path() / "data").string()}}); }
    test::TemporaryFolder root;
};

TEST_F(OpenDataFolderTest, ThePrefixFolderIsMadePrivateOnceAndFoundAgain) {
    const auto first = OpenDataFolder(std::nullopt, "/home/u/.wine", env());
    ASSERT_TRUE(first) << first.error().message();
    EXPECT_EQ(first.value().path, root.path() / "data/brindle/prefixes" / PrefixDataId("/home/u/.wine"));
    EXPECT_TRUE(first.value().created);
    EXPECT_FALSE(first.value().chosen);
    struct stat status {};
    ASSERT_EQ(::stat(first.value().path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    const auto again = OpenDataFolder(std::nullopt, "/home/u/.wine", env());
    ASSERT_TRUE(again) << again.error().message();
    EXPECT_EQ(again.value().path, first.value().path);
    EXPECT_FALSE(again.value().created);
}

TEST_F(OpenDataFolderTest, WhatIsNotItsOwnFolderIsRefused) {
    const fs::path prefixes = root.makeFolder("data/brindle/prefixes");
    const fs::path elsewhere = root.makeFolder("elsewhere");
    fs::create_symlink(elsewhere, prefixes / PrefixDataId("/p/linked"));
    root.writeFile("data/brindle/prefixes/" + PrefixDataId("/p/file"), "x");
    const fs::path foreign = root.makeFolder("data/brindle/prefixes/" + PrefixDataId("/p/foreign"));
    const bool canChown = ::chown(foreign.c_str(), 65534, 65534) == 0;

    struct Case {
        const char* prefix;
        const char* says;
    };
    for (const Case& c : {Case{"/p/linked", "is a symbolic link"}, Case{"/p/file", "is not a folder"},
                          Case{"/p/foreign", "belongs to another user"}}) {
        if (std::string(c.prefix) == "/p/foreign" && !canChown) continue;  // only root can give a folder away
        const auto opened = OpenDataFolder(std::nullopt, c.prefix, env());
        ASSERT_FALSE(opened) << c.prefix;
        EXPECT_NE(opened.error().message().find(c.says), std::string::npos) << opened.error().message();
        EXPECT_NE(opened.error().message().find(PrefixDataId(c.prefix)), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "nothing was put where the link leads";
}

TEST_F(OpenDataFolderTest, WorkDirIsTakenAsGivenAndMadeWhenMissing) {
    const test::CurrentDirectoryScope here(root.path());
    const auto chosen = OpenDataFolder(std::string("scripts/data/"), "/home/u/.wine", env());
    ASSERT_TRUE(chosen) << chosen.error().message();
    EXPECT_EQ(chosen.value().path, root.path() / "scripts/data");
    EXPECT_TRUE(chosen.value().chosen);
    EXPECT_TRUE(chosen.value().created);
    EXPECT_TRUE(fs::is_directory(root.path() / "scripts/data"));
    EXPECT_FALSE(fs::exists(root.path() / "data")) << "the prefix's own folder is not made as well";

    root.writeFile("plain", "x");
    EXPECT_FALSE(OpenDataFolder(std::string("plain"), "/home/u/.wine", env()));
    EXPECT_FALSE(OpenDataFolder(std::string(""), "/home/u/.wine", env()));
}

}  // namespace
}  // namespace brindle
