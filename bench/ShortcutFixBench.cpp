// The repair of N dead shortcuts in one folder: each deletion finds its file's backup.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "demo/LnkWriter.h"
#include "platform/SimpleMachine.h"
#include "registry/ShortcutBackup.h"
#include "scan/Shortcut.h"

namespace brindle::bench {
namespace {

namespace fs = std::filesystem;

void BM_FixDeadShortcuts(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    std::string pattern = (fs::temp_directory_path() / "brindle-bench-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    const fs::path desktop = folder / "drive_c" / "Desktop";
    fs::create_directories(desktop);
    const std::string bytes = MakeShortcutBytes("C:\\Gone\\gone.exe");
    {
        SimpleMachine machine;
        machine.driveMap().mapDrive('C', folder / "drive_c");
        std::size_t fixed = 0;
        for (auto _ : state) {
            state.PauseTiming();
            for (int i = 0; i < count; ++i) {
                const std::string path = (desktop / ("dead " + std::to_string(i) + ".lnk")).string();
                const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
                ::close(fd);
            }
            CShortcut scanner(machine);
            scanner.ScanShortcuts();
            scanner.setBackedUp(CollectShortcutBackup(machine, scanner.missingList()).entries);
            state.ResumeTiming();
            scanner.FixShortcuts();
            fixed = static_cast<std::size_t>(scanner.fixed());
        }
        state.counters["shortcuts"] = count;
        state.counters["fixed"] = static_cast<double>(fixed);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_FixDeadShortcuts)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
