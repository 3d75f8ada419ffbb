#include "platform/WineFontFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::vector<fs::path>& folders, const fs::path& folder) {
    return std::find(folders.begin(), folders.end(), fs::canonical(folder)) != folders.end();
}

// The installation of each `wine` on the search path counts, seen through its link and
// where the link leads; folders that do not exist and programs that cannot run do not.
TEST(WineFontFoldersTest, FindsTheInstallationsOfTheWineOnThePath) {
    test::TemporaryFolder root;
    // /opt/wine-custom/bin/wine with its fonts.
    const fs::path custom = root.makeFolder("wine-custom");
    root.writeFile("wine-custom/bin/wine", "#!/bin/sh\n");
    ::chmod((custom / "bin/wine").c_str(), 0755);
    root.makeFolder("wine-custom/share/wine/fonts");
    // A bin folder whose wine64 links into another installation (as Debian's alternatives do).
    root.writeFile("staging/lib/wine64", "#!/bin/sh\n");
    ::chmod((root.path() / "staging/lib/wine64").c_str(), 0755);
    root.makeFolder("staging/share/wine/fonts");
    root.makeFolder("links/bin");
    fs::create_symlink(root.path() / "staging/lib/wine64", root.path() / "links/bin/wine64");
    // A wine that cannot be run, and one without fonts.
    root.writeFile("broken/bin/wine", "not a program");
    root.makeFolder("broken/share/wine/fonts");
    root.writeFile("bare/bin/wine", "#!/bin/sh\n");
    ::chmod((root.path() / "bare/bin/wine").c_str(), 0755);

    const std::string searchPath = (root.path() / "broken/bin").string() + ":relative/bin::" +
                                   (custom / "bin").string() + ":" + (root.path() / "links/bin").string() + ":" +
                                   (root.path() / "bare/bin").string() + ":" + (custom / "bin").string();
    const auto folders = FindWineFontFolders(searchPath);
    EXPECT_TRUE(Contains(folders, custom / "share/wine/fonts"));
    EXPECT_TRUE(Contains(folders, root.path() / "staging/share/wine/fonts"));
    EXPECT_FALSE(Contains(folders, root.path() / "broken/share/wine/fonts"));
    // No folder twice, and the installation on the path comes before the usual places.
    EXPECT_EQ(std::count(folders.begin(), folders.end(), fs::canonical(custom / "share/wine/fonts")), 1);
    EXPECT_EQ(folders.front(), fs::canonical(custom / "share/wine/fonts"));
    for (const auto& folder : folders) EXPECT_TRUE(fs::is_directory(folder)) << folder;
}

}  // namespace
}  // namespace brindle
