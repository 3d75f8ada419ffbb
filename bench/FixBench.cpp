// Removing 10,000 problems from a registry the size of a real installation: the backup
// of what will go, the repair with its snapshot file, and writing the machine's
// registry file back, each timed on its own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "bench/BenchRegistry.h"
#include "platform/AtomicFile.h"
#include "platform/RunningProcess.h"
#include "platform/WineRegistryFile.h"
#include "registry/BackupFolder.h"
#include "scan/RegistryLib.h"

namespace brindle::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kProblems = 10000;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_BackupRepairSave(benchmark::State& state) {
    std::string pattern = (fs::temp_directory_path() / "brindle-bench-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    fs::create_directories(folder / "drive_c");
    fs::current_path(folder);
    for (auto _ : state) {
        state.PauseTiming();
        SimpleMachine machine;
        machine.driveMap().mapDrive('C', folder / "drive_c");
        BenchRegistryShape shape;
        shape.missingShare = 0.12;  // enough classes naming missing servers for 10,000 problems
        BuildBenchRegistry(machine, (folder / "drive_c").string(), shape);
        CRegistryLib lib(machine, CurrentFolder());
        ScanSelection selection;
        selection.selectAll();
        std::vector<ScanSummary> summaries;
        lib.ScanRegistry(summaries, selection);
        if (lib.problems().size() > kProblems) lib.problems().resize(kProblems);
        state.counters["problems"] = static_cast<double>(lib.problems().size());
        fs::remove_all(folder / kBackupFolderName);
        state.ResumeTiming();

        const auto backupStart = Clock::now();
        const BackupResult backup = BackupRegistry(machine.registry(), lib.problems(), folder);
        state.counters["backup_ms"] = MillisecondsSince(backupStart);
        if (backup.outcome != BackupResult::Outcome::Written) state.SkipWithError(backup.errorText().c_str());
        state.counters["backup_KiB"] = static_cast<double>(fs::file_size(backup.file)) / 1024.0;

        const auto repairStart = Clock::now();
        lib.FixProblems(summaries, "FixedOnBench.xml");
        state.counters["repair_ms"] = MillisecondsSince(repairStart);
        std::int64_t fixed = 0;
        for (const auto& row : summaries) fixed += row.fixed;
        state.counters["fixed"] = static_cast<double>(fixed);

        const auto saveStart = Clock::now();
        const RegistryKeyNode* machineKey = machine.memoryRegistry().findNode(u"\\Registry\\Machine");
        const std::string bytes = SaveWineRegistryFile(*machineKey, WineRegistryFile{});
        const Status written = WriteFileAtomically(folder / "system.reg", bytes);
        state.counters["save_ms"] = MillisecondsSince(saveStart);
        state.counters["save_MiB"] = static_cast<double>(bytes.size()) / (1024.0 * 1024.0);
        if (!written) state.SkipWithError(written.error().message().c_str());
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_BackupRepairSave)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
