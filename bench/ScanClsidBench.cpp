// ScanClsid over a registry the size of a real installation, next to the floor: the
// same resolved paths tested for existence in a plain loop.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "bench/BenchRegistry.h"
#include "platform/RunningProcess.h"
#include "scan/RegistryLib.h"

namespace brindle::bench {
namespace {

struct Fixture {
    std::filesystem::path folder;
    std::unique_ptr<SimpleMachine> machine;
    BenchRegistryStats stats;
    std::size_t registryBytes = 0;

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brindle-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        std::filesystem::create_directories(folder / "drive_c");
        std::filesystem::current_path(folder);
        const std::size_t before = ResidentBytes();
        machine = std::make_unique<SimpleMachine>();
        machine->driveMap().mapDrive('C', folder / "drive_c");
        stats = BuildBenchRegistry(*machine, (folder / "drive_c").string());
        registryBytes = ResidentBytes() - before;
    }
    ~Fixture() {
        machine.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_ScanClsid(benchmark::State& state) {
    Fixture& fixture = Shared();
    CRegistryLib lib(*fixture.machine, CurrentFolder());
    std::size_t problems = 0;
    for (auto _ : state) {
        std::vector<ScanSummary> summaries;
        fixture.machine->files().beginScan();
        lib.ScanClsid(summaries);
        fixture.machine->files().endScan();
        problems = lib.problemCount();
        lib.problems().clear();
        benchmark::DoNotOptimize(summaries);
    }
    state.counters["classes"] = static_cast<double>(fixture.stats.serverPaths.size());
    state.counters["problems"] = static_cast<double>(problems);
    state.counters["keys"] = static_cast<double>(fixture.stats.keys);
    state.counters["values"] = static_cast<double>(fixture.stats.values);
    state.counters["registry_MiB"] = static_cast<double>(fixture.registryBytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ScanClsid)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ExistenceFloor(benchmark::State& state) {
    Fixture& fixture = Shared();
    FileSystem& files = fixture.machine->files();
    for (auto _ : state) {
        int missing = 0;
        files.beginScan();
        for (const auto& path : fixture.stats.serverPaths) missing += files._access(path.c_str(), 0) == -1;
        files.endScan();
        benchmark::DoNotOptimize(missing);
    }
}
BENCHMARK(BM_ExistenceFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
