// CShortcut::ScanShortcuts over a drive the size of a real installation's, next to the
// floor: `find DIR -iname '*.lnk'` over the same tree, which only reads the folders.
//
// The tree: 30 x 24 x 25 folders (18,750 in all) and 181,250 files, 200,000 entries.
// 5,000 of the files are shortcuts: "Shortcut.lnk" in every fourth leaf folder and the
// rest as "ExtraN.LNK" in the first leaves; one in ten points at a file that is gone.
// It is generated once, under /tmp, and removed at exit.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "demo/LnkWriter.h"
#include "platform/SimpleMachine.h"
#include "scan/Shortcut.h"

namespace brindle::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kTop = 30;
constexpr int kMiddle = 24;
constexpr int kLeaf = 25;
constexpr int kEntries = 200000;
constexpr int kShortcuts = 5000;
constexpr int kMissingEvery = 10;

void WriteFile(const std::string& path, const std::string& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    if (!content.empty() && ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
        std::abort();
    ::close(fd);
}

struct Tree {
    fs::path folder;
    fs::path drive;
    std::unique_ptr<SimpleMachine> machine;
    int folders = 0;
    int files = 0;
    int missing = 0;

    Tree() {
        std::string pattern = (fs::temp_directory_path() / "brindle-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        drive = folder / "drive_c";
        fs::create_directories(drive);

        const int leaves = kTop * kMiddle * kLeaf;
        const int totalFolders = kTop + kTop * kMiddle + leaves;
        const int plainFiles = kEntries - totalFolders - kShortcuts;
        int shortcutsMade = 0;
        int plainMade = 0;
        int leafIndex = 0;
        for (int a = 0; a < kTop; ++a) {
            const std::string top = "Folder " + std::to_string(a);
            fs::create_directory(drive / top);
            ++folders;
            for (int b = 0; b < kMiddle; ++b) {
                const std::string middle = top + "/Sub" + std::to_string(b);
                fs::create_directory(drive / middle);
                ++folders;
                for (int c = 0; c < kLeaf; ++c, ++leafIndex) {
                    const std::string leaf = middle + "/Leaf" + std::to_string(c);
                    fs::create_directory(drive / leaf);
                    ++folders;
                    // Spread the plain files evenly over the leaves.
                    const int want = static_cast<int>(static_cast<long long>(plainFiles) * (leafIndex + 1) / leaves);
                    for (; plainMade < want; ++plainMade) {
                        WriteFile((drive / leaf / ("file" + std::to_string(plainMade) + ".dat")).string(), "");
                        ++files;
                    }
                    if (leafIndex % (leaves / kShortcuts + 1) == 0 && shortcutsMade < kShortcuts) {
                        std::string windowsLeaf = leaf;
                        for (char& ch : windowsLeaf) ch = ch == '/' ? '\\' : ch;
                        const bool gone = shortcutsMade % kMissingEvery == 0;
                        const std::string target = "C:\\" + windowsLeaf + (gone ? "\\gone.exe" : "\\file" +
                                                   std::to_string(plainMade - 1) + ".dat");
                        WriteFile((drive / leaf / "Shortcut.lnk").string(), MakeShortcutBytes(target));
                        ++shortcutsMade;
                        ++files;
                        missing += gone;
                    }
                }
            }
        }
        // The remaining shortcuts go to the first leaves, under another name.
        for (int i = 0; shortcutsMade < kShortcuts; ++i, ++shortcutsMade, ++files) {
            const std::string top = "Folder " + std::to_string(i % kTop);
            const std::string leaf = "Sub0\\Leaf" + std::to_string(i / kTop % kLeaf);
            const bool gone = shortcutsMade % kMissingEvery == 0;
            const std::string target = "C:\\" + top + "\\" + leaf + (gone ? "\\gone.exe" : "");
            std::string hostLeaf = leaf;
            for (char& ch : hostLeaf) ch = ch == '\\' ? '/' : ch;
            WriteFile((drive / top / hostLeaf / ("Extra" + std::to_string(i) + ".LNK")).string(),
                      MakeShortcutBytes(target));
            missing += gone;
        }
        machine = std::make_unique<SimpleMachine>();
        machine->driveMap().mapDrive('C', drive);
    }
    ~Tree() {
        machine.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

Tree& Shared() {
    static Tree tree;
    return tree;
}

void BM_ScanShortcuts(benchmark::State& state) {
    Tree& tree = Shared();
    CShortcut scanner(*tree.machine);
    for (auto _ : state) {
        scanner.ScanShortcuts();
        benchmark::DoNotOptimize(scanner.found());
    }
    state.counters["entries"] = tree.folders + tree.files;
    state.counters["scanned"] = scanner.scanned();
    state.counters["found"] = scanner.found();
    if (scanner.scanned() != kShortcuts || scanner.found() != tree.missing) state.SkipWithError("wrong counts");
}
BENCHMARK(BM_ScanShortcuts)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_FindFloor(benchmark::State& state) {
    Tree& tree = Shared();
    const std::string command = "find '" + tree.drive.string() + "' -iname '*.lnk' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
    }
}
BENCHMARK(BM_FindFloor)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
