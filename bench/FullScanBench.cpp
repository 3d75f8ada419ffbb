// A scan of every registry category over a registry the size of a real installation.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bench/BenchRegistry.h"
#include "platform/RunningProcess.h"
#include "scan/RegistryLib.h"

namespace brindle::bench {
namespace {

std::size_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
    }
    return 0;
}

void BM_ScanRegistryAllCategories(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "brindle-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(folder / "drive_c");
    std::filesystem::current_path(folder);
    {
        SimpleMachine machine;
        machine.driveMap().mapDrive('C', folder / "drive_c");
        const auto stats = BuildBenchRegistry(machine, (folder / "drive_c").string());
        if (state.range(0) == 64) {
            // A 64-bit machine scans each category again in its 32-bit programs' view,
            // here the layout of a prefix without 32-bit programs: empty Wow6432Node keys.
            win::HKEY key = 0;
            for (const char* path : {"Software\\Classes\\Wow6432Node\\CLSID", "Software\\Wow6432Node\\Microsoft\\Windows"}) {
                machine.registry().RegCreateKeyA(win::HKEY_LOCAL_MACHINE, path, &key);
                machine.registry().RegCloseKey(key);
            }
            machine.makeWow64("C:\\Program Files (x86)", "C:\\Program Files (x86)\\Common Files");
        }
        CRegistryLib lib(machine, CurrentFolder());
        std::size_t problems = 0;
        std::int64_t scanned = 0;
        for (auto _ : state) {
            ScanSelection selection;
            selection.selectAll();
            std::vector<ScanSummary> summaries;
            lib.ScanRegistry(summaries, selection);
            problems = lib.problemCount();
            scanned = 0;
            for (const auto& row : summaries) scanned += row.scanned;
        }
        state.counters["keys"] = static_cast<double>(stats.keys);
        state.counters["values"] = static_cast<double>(stats.values);
        state.counters["scanned"] = static_cast<double>(scanned);
        state.counters["problems"] = static_cast<double>(problems);
        state.counters["peak_MiB"] = static_cast<double>(PeakResidentBytes()) / (1024.0 * 1024.0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_ScanRegistryAllCategories)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
