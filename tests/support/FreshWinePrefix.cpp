#include "support/FreshWinePrefix.h"

#include <fstream>
#include <stdexcept>

namespace brindle::test {

namespace fs = std::filesystem;

namespace {

void TouchFile(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream file(path);
    if (!file) throw std::runtime_error("cannot create " + path.string());
}

}  // namespace

FreshWinePrefix::FreshWinePrefix(std::string_view fixture)
    : m_prefix(m_root.makeFolder("prefix")),
      m_home(m_root.makeFolder("home")),
      m_hostRoot(m_root.makeFolder("host")),
      m_wineFonts(m_root.makeFolder("wine-fonts")) {
    const fs::path folder = fs::path(BRINDLE_TEST_DATA_DIR) / "wine" / fixture;
    for (const char* file : {"system.reg", "user.reg", "userdef.reg"}) fs::copy_file(folder / file, m_prefix / file);
    const fs::path driveC = m_prefix / "drive_c";
    fs::create_directories(driveC);
    fs::create_directories(m_prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", m_prefix / "dosdevices" / "c:");
    fs::create_directory_symlink(m_hostRoot, m_prefix / "dosdevices" / "z:");

    const std::string name(fixture);
    std::ifstream manifest(folder / (name + ".manifest"));
    if (!manifest) throw std::runtime_error("cannot read the " + name + " manifest");
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.size() < 3 || line[1] != ' ') throw std::runtime_error("bad manifest line: " + line);
        const fs::path relative = line.substr(2);
        switch (line[0]) {
            case 'd': fs::create_directories(driveC / relative); break;
            case 'f': TouchFile(driveC / relative); ++m_fileCount; break;
            case 'l':
                fs::create_directories((driveC / relative).parent_path());
                fs::create_directory_symlink(m_home, driveC / relative);
                break;
            case 'h': TouchFile(m_hostRoot / relative); break;
            case 'w': TouchFile(m_wineFonts / relative); break;
            default: throw std::runtime_error("bad manifest line: " + line);
        }
    }
}

std::unique_ptr<WinePrefixMachine> FreshWinePrefix::open(bool withWineFonts) const {
    auto opened = WinePrefixMachine::Open(m_prefix);
    if (!opened) throw std::runtime_error("cannot open the fresh prefix: " + opened.error().message());
    std::unique_ptr<WinePrefixMachine> machine = std::move(opened).value();
    machine->setWineFontFolders(withWineFonts ? std::vector<fs::path>{m_wineFonts} : std::vector<fs::path>{});
    return machine;
}

}  // namespace brindle::test
