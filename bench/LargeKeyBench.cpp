// The corners where one key or one file is very large: a key with a hundred thousand
// missing shared DLLs to back up and remove, a registry file whose big key lists its
// values out of order, a backup that puts sixty thousand values back into one key, and a
// snapshot nested far deeper than a registry file may be. Each must stay linear.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/RunningProcess.h"
#include "platform/SimpleMachine.h"
#include "platform/WineRegistryFile.h"
#include "registry/BackupFolder.h"
#include "registry/BackupRestore.h"
#include "registry/SnapshotCheck.h"
#include "scan/RegistryLib.h"

namespace brindle::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

fs::path MakeFolder() {
    std::string pattern = (fs::temp_directory_path() / "brindle-bench-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

// Scan, back up and remove N shared-DLL counters of one key, all naming missing files.
void BM_FixOneKeyOfMissingDlls(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const fs::path folder = MakeFolder();
    fs::create_directories(folder / "drive_c");
    for (auto _ : state) {
        state.PauseTiming();
        SimpleMachine machine;
        machine.driveMap().mapDrive('C', folder / "drive_c");
        RegistryKeyNode* key = machine.memoryRegistry().root().addSubKey(u"Machine");
        for (const char16_t* name : {u"Software", u"Microsoft", u"Windows", u"CurrentVersion", u"SharedDLLs"})
            key = key->addSubKey(name);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string path = "C:\\Gone\\library" + std::to_string(i) + ".dll";
            key->values.push_back({std::u16string(path.begin(), path.end()), win::REG_DWORD, {1, 0, 0, 0}});
        }
        fs::remove_all(folder / kBackupFolderName);
        state.ResumeTiming();

        CRegistryLib lib(machine, CurrentFolder());
        ScanSelection selection;
        selection.setState(ScanCategory::COM_SUBS, ScanSelection::kSelected);
        std::vector<ScanSummary> summaries;
        const auto scanStart = Clock::now();
        lib.ScanRegistry(summaries, selection);
        state.counters["scan_ms"] = MillisecondsSince(scanStart);
        state.counters["problems"] = static_cast<double>(lib.problems().size());

        const auto backupStart = Clock::now();
        const BackupResult backup = BackupRegistry(machine.registry(), lib.problems(), folder);
        state.counters["backup_ms"] = MillisecondsSince(backupStart);
        if (backup.outcome != BackupResult::Outcome::Written) state.SkipWithError(backup.errorText().c_str());

        const auto repairStart = Clock::now();
        lib.FixProblems(summaries, (folder / "snapshot.xml").string());
        state.counters["repair_ms"] = MillisecondsSince(repairStart);
        state.counters["left"] = static_cast<double>(key->values.size());
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_FixOneKeyOfMissingDlls)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A registry file whose one big key lists its values in reverse order, so that no value
// can be checked against the previous one alone.
void BM_LoadUnsortedValues(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n[Software\\\\Big] 1700000000\n";
    for (std::size_t i = count; i-- > 0;) text += "\"value" + std::to_string(i) + "\"=dword:00000001\n";
    for (auto _ : state) {
        RegistryKeyNode root;
        WineRegistryFile fileInfo;
        const WineRegistryLoadResult loaded = LoadWineRegistryFile(text, "system.reg", root, fileInfo);
        if (!loaded.ok()) state.SkipWithError(loaded.describe().c_str());
        benchmark::DoNotOptimize(root.subKeys.size());
    }
    state.counters["MiB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_LoadUnsortedValues)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A backup of one key with N values, written into an empty registry.
void BM_RestoreOneKeyBackup(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const fs::path folder = MakeFolder();
    BackupRecord record;
    record.root = win::HKEY_LOCAL_MACHINE;
    record.path = "Software\\Big";
    for (std::size_t i = 0; i < count; ++i) {
        const std::string data = "C:\\Program Files\\Tool\\part" + std::to_string(i) + ".dll";
        record.content.values.push_back({"value" + std::to_string(i), win::REG_SZ, data + '\0'});
    }
    const fs::path file = folder / "one-key.rbk";
    if (const Status written = WriteBackupFile(file, {record}); !written)
        state.SkipWithError(written.error().message().c_str());
    for (auto _ : state) {
        state.PauseTiming();
        SimpleMachine machine;
        state.ResumeTiming();
        const RestoreReport report = RestoreBackupFile(machine.registry(), file);
        if (!report.complete()) state.SkipWithError("the restore was not complete");
        state.counters["values"] = static_cast<double>(report.valuesWritten);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_RestoreOneKeyBackup)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A snapshot whose keys nest N deep: the restore's look at the file must refuse it
// without walking the nesting once per level.
void BM_CheckDeepSnapshot(benchmark::State& state) {
    const auto depth = static_cast<std::size_t>(state.range(0));
    const fs::path folder = MakeFolder();
    const fs::path file = folder / "deep.xml";
    {
        std::ofstream out(file, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<registry><k name=\"HKEY_CURRENT_USER\">";
        for (std::size_t i = 0; i < depth; ++i) out << "<k name=\"k\">";
        for (std::size_t i = 0; i < depth; ++i) out << "</k>";
        out << "</k></registry>\n";
    }
    SimpleMachine machine;
    CRegistryLib lib(machine, CurrentFolder());
    for (auto _ : state) {
        const Status verdict = CheckSnapshotFile(lib, file.string());
        if (verdict) state.SkipWithError("a snapshot nested this deep was accepted");
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_CheckDeepSnapshot)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
