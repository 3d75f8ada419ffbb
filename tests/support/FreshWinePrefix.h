// A real Wine 8 prefix laid out again from one of the prefix fixtures in tests/data/wine
// (fresh-prefix by default; fresh-prefix-wow64, wow64-programs): Wine's own registry
// files, drive_c as it was (empty files), its user folders linked out of the prefix to a
// stand-in home folder, z: leading to a stand-in host root that holds the system fonts
// its registry names, and a stand-in for the Wine installation's font folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/WinePrefixMachine.h"
#include "support/TemporaryFolder.h"

namespace brindle::test {

class FreshWinePrefix {
public:
    // fixture names the folder under tests/data/wine; its manifest is FOLDER.manifest.
    explicit FreshWinePrefix(std::string_view fixture = "fresh-prefix");

    const std::filesystem::path& prefix() const { return m_prefix; }
    const std::filesystem::path& home() const { return m_home; }
    // Holds the font files of the Wine installation that made the prefix.
    const std::filesystem::path& wineFonts() const { return m_wineFonts; }
    // The files of drive_c the fixture names.
    std::size_t fileCount() const { return m_fileCount; }

    // Opens the prefix as Brindle does; the Wine font folder is the fixture's stand-in
    // when withWineFonts, else there is none.
    std::unique_ptr<WinePrefixMachine> open(bool withWineFonts) const;

private:
    TemporaryFolder m_root;
    std::filesystem::path m_prefix;
    std::filesystem::path m_home;
    std::filesystem::path m_hostRoot;
    std::filesystem::path m_wineFonts;
    std::size_t m_fileCount = 0;
};

}  // namespace brindle::test
