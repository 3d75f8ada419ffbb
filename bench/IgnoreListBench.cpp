// A scan against a long ignore list: N shared DLLs, every one gone and every one on the
// list, so each missing file is looked up in it once.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/SimpleMachine.h"
#include "registry/IgnoreList.h"
#include "scan/RegistryLib.h"

namespace brindle::bench {
namespace {

void BM_ScanSharedDllsAgainstIgnoreList(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::string pattern = (std::filesystem::temp_directory_path() / "brindle-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(folder / "drive_c");
    {
        SimpleMachine machine;
        machine.driveMap().mapDrive('C', folder / "drive_c");
        win::HKEY key = 0;
        machine.registry().RegCreateKeyA(win::HKEY_LOCAL_MACHINE,
                                         "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", &key);
        std::ofstream list(folder / kIgnoreListFile, std::ios::binary);
        const win::DWORD uses = 1;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string path = "C:\\Program Files\\Gone " + std::to_string(i) + "\\gone.dll";
            machine.registry().RegSetValueExA(key, path.c_str(), 0, win::REG_DWORD,
                                              reinterpret_cast<const win::BYTE*>(&uses), sizeof uses);
            list << path << "\r\n";
        }
        list.close();
        machine.registry().RegCloseKey(key);
        CRegistryLib lib(machine, folder);
        std::size_t problems = 0;
        for (auto _ : state) {
            ScanSelection selection;
            selection.setState(ScanCategory::COM_SUBS, ScanSelection::kSelected);
            std::vector<ScanSummary> summaries;
            lib.ScanRegistry(summaries, selection);
            problems = lib.problemCount();
        }
        state.counters["ignored"] = static_cast<double>(count);
        state.counters["problems"] = static_cast<double>(problems);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_ScanSharedDllsAgainstIgnoreList)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
