// Loading and saving a system.reg the size of a real Windows installation's registry
// (700,000 keys, 1,200,000 values), next to two floors: reading the same file from disk,
// and building the same tree without parsing anything (a copy of the loaded tree, node
// by node, as the loader builds it). Each reports MB/s of the file and, from the first
// iteration, the memory it needed: the peak resident size above what was resident
// before (VmHWM after resetting it), less the tree the load builds.
// Set BRINDLE_BENCH_KEEP_FILE to keep the generated file in the temporary folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench/BenchRegistry.h"
#include "platform/WineRegistryFile.h"

namespace brindle::bench {
namespace {

constexpr std::size_t kTotalKeys = 700000;
constexpr std::size_t kTotalValues = 1200000;
constexpr std::size_t kClasses = 100000;
constexpr double kMegabyte = 1024.0 * 1024.0;

// Peak resident size since the last ResetPeakResident(), in bytes.
std::size_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
    }
    return 0;
}

// Sets the peak back to the current resident size (Linux 4.0 and later).
void ResetPeakResident() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::vector<std::uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

class TreeBuilder {
public:
    TreeBuilder() : m_random(20261208) {}

    RegistryKeyNode* key(RegistryKeyNode& parent, const std::string& name) {
        const std::size_t before = parent.subKeys.size();
        RegistryKeyNode* node = parent.addSubKey(Wide(name));
        if (parent.subKeys.size() == before) return node;
        node->lastWriteTime = 0x1dd871370000000ull + (m_random() % 100000000000ull);
        ++keys;
        return node;
    }

    void string(RegistryKeyNode& key, const std::string& name, const std::u16string& text,
                win::DWORD type = win::REG_SZ) {
        key.values.push_back({Wide(name), type, Utf16Bytes(text)});
        ++values;
    }

    // A value of the mix a real machine has: paths, numbers, blobs, expandable and
    // multi-strings, now and then a character outside ASCII.
    void mixedValue(RegistryKeyNode& key, std::size_t index) {
        const std::u16string name = Wide("Setting" + std::to_string(index));
        const auto number = static_cast<std::uint32_t>(m_random());
        const auto numberText = Wide(std::to_string(number % 100000));
        const unsigned kind = m_random() % 20;
        std::vector<std::uint8_t> data;
        win::DWORD type = win::REG_SZ;
        if (kind < 9) {
            data = Utf16Bytes(u"C:\\Program Files\\Vendor\\Product\\data" + numberText + u".dat");
        } else if (kind == 9) {
            data = Utf16Bytes(u"Caf\u00e9 \u00fcber " + numberText);
        } else if (kind < 15) {
            type = win::REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<std::uint8_t>(number >> shift));
        } else if (kind < 17) {
            type = win::REG_BINARY;
            data.resize(16 + number % 100);
            for (auto& byte : data) byte = static_cast<std::uint8_t>(m_random());
        } else if (kind < 19) {
            type = win::REG_EXPAND_SZ;
            data = Utf16Bytes(u"%SystemRoot%\\system32\\vendor" + numberText + u".dll");
        } else {
            type = win::REG_MULTI_SZ;
            data = Utf16Bytes(std::u16string(u"first\0second\0third\0", 19));
        }
        key.values.push_back({name, type, std::move(data)});
        ++values;
    }

    std::mt19937_64& random() { return m_random; }

    std::size_t keys = 0;
    std::size_t values = 0;

private:
    std::mt19937_64 m_random;
};

// The tree behind the generated file: classes under Software\Classes\CLSID, then
// vendors' software keys holding the rest of the values.
std::unique_ptr<RegistryKeyNode> BuildMachineTree() {
    auto root = std::make_unique<RegistryKeyNode>();
    TreeBuilder build;
    RegistryKeyNode* software = build.key(*root, "Software");
    RegistryKeyNode* clsid = build.key(*build.key(*software, "Classes"), "CLSID");

    std::vector<std::string> guids;
    for (std::size_t i = 0; i < kClasses; ++i) {
        char text[40];
        auto& random = build.random();
        std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(random()),
                      static_cast<unsigned>(random() & 0xFFFF), static_cast<unsigned>(random() & 0xFFFF),
                      static_cast<unsigned>(random() & 0xFFFF),
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        guids.push_back(text);
    }
    std::sort(guids.begin(), guids.end());
    for (std::size_t i = 0; i < guids.size(); ++i) {
        RegistryKeyNode* classKey = build.key(*clsid, guids[i]);
        build.string(*classKey, "", u"Bench class " + Wide(std::to_string(i)));
        RegistryKeyNode* server = build.key(*classKey, "InprocServer32");
        build.string(*server, "", u"C:\\windows\\system32\\server" + Wide(std::to_string(i % 4000)) + u".dll");
        build.string(*server, "ThreadingModel", u"Both");
        if (i % 2 == 0) build.string(*build.key(*classKey, "ProgID"), "", u"Bench.Class." + Wide(std::to_string(i)));
    }

    std::size_t product = 0;
    while (build.keys < kTotalKeys) {
        char name[32];
        std::snprintf(name, sizeof name, "Vendor%04zu", product / 50);
        RegistryKeyNode* vendor = build.key(*software, name);
        std::snprintf(name, sizeof name, "Product%07zu", product++);
        RegistryKeyNode* key = build.key(*vendor, name);
        const std::size_t remainingKeys = kTotalKeys > build.keys ? kTotalKeys - build.keys + 1 : 1;
        const std::size_t remainingValues = kTotalValues > build.values ? kTotalValues - build.values : 0;
        const std::size_t valuesHere = (remainingValues + remainingKeys - 1) / remainingKeys;
        for (std::size_t v = 0; v < valuesHere; ++v) build.mixedValue(*key, v);
    }
    return root;
}

struct Fixture {
    std::string text;
    std::filesystem::path path;

    Fixture() {
        {
            auto tree = BuildMachineTree();
            WineRegistryFile info;
            info.preamble = {";; All keys relative to REGISTRY\\\\Machine", "", "#arch=win64"};
            text = SaveWineRegistryFile(*tree, info);
        }
        malloc_trim(0);
        path = std::filesystem::temp_directory_path() / ("brindle-bench-system-" + std::to_string(::getpid()) + ".reg");
        std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    ~Fixture() {
        std::error_code ignored;
        if (std::getenv("BRINDLE_BENCH_KEEP_FILE") == nullptr) std::filesystem::remove(path, ignored);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void ReportSize(benchmark::State& state, std::size_t fileBytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(fileBytes) * state.iterations());
    state.counters["file_MB"] = static_cast<double>(fileBytes) / kMegabyte;
}

// The floor: the file's bytes from the page cache into a string of their own.
void BM_ReadFile(benchmark::State& state) {
    Fixture& fixture = Shared();
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = ResidentBytes();
        if (peak == 0) ResetPeakResident();
        const int fd = ::open(fixture.path.c_str(), O_RDONLY);
        std::string bytes(std::filesystem::file_size(fixture.path), '\0');
        std::size_t done = 0;
        while (fd >= 0 && done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got <= 0) break;
            done += static_cast<std::size_t>(got);
        }
        if (fd >= 0) ::close(fd);
        if (peak == 0) peak = PeakResidentBytes() - before;
        benchmark::DoNotOptimize(bytes.data());
    }
    ReportSize(state, fixture.text.size());
    state.counters["peak_MB"] = static_cast<double>(peak) / kMegabyte;
}

void Count(const RegistryKeyNode& key, std::size_t& keys, std::size_t& values) {
    keys += key.subKeys.size();
    values += key.values.size();
    for (const auto& child : key.subKeys) Count(*child, keys, values);
}

void CopyTree(const RegistryKeyNode& from, RegistryKeyNode& to) {
    to.lastWriteTime = from.lastWriteTime;
    to.values.reserve(from.values.size());
    for (const RegistryValueData& value : from.values) to.values.push_back(value);
    for (const auto& child : from.subKeys) CopyTree(*child, *to.addSubKey(child->name));
}

void BM_Load(benchmark::State& state) {
    Fixture& fixture = Shared();
    std::size_t treeBytes = 0, peakAboveTree = 0;
    bool measured = false;
    std::size_t keys = 0, values = 0;
    for (auto _ : state) {
        auto root = std::make_unique<RegistryKeyNode>();
        WineRegistryFile info;
        std::size_t before = 0;
        if (!measured) {
            state.PauseTiming();
            ResetPeakResident();
            before = ResidentBytes();
            state.ResumeTiming();
        }
        const WineRegistryLoadResult result = LoadWineRegistryFile(fixture.text, "system.reg", *root, info);
        state.PauseTiming();
        if (!result.ok()) {
            state.SkipWithError(result.describe().c_str());
            break;
        }
        if (!measured) {
            const std::size_t peak = PeakResidentBytes() - before;
            treeBytes = ResidentBytes() - before;
            peakAboveTree = peak > treeBytes ? peak - treeBytes : 0;
            Count(*root, keys, values);
            measured = true;
        }
        root.reset();
        malloc_trim(0);
        state.ResumeTiming();
    }
    ReportSize(state, fixture.text.size());
    state.counters["tree_MB"] = static_cast<double>(treeBytes) / kMegabyte;
    state.counters["peak_above_tree_MB"] = static_cast<double>(peakAboveTree) / kMegabyte;
    state.counters["keys"] = static_cast<double>(keys);
    state.counters["values"] = static_cast<double>(values);
}

// What the tree alone costs: the same nodes, names and values allocated in the same
// order, with nothing to parse.
void BM_CopyTree(benchmark::State& state) {
    Fixture& fixture = Shared();
    RegistryKeyNode loaded;
    WineRegistryFile info;
    const WineRegistryLoadResult result = LoadWineRegistryFile(fixture.text, "system.reg", loaded, info);
    if (!result.ok()) {
        state.SkipWithError(result.describe().c_str());
        return;
    }
    for (auto _ : state) {
        auto copy = std::make_unique<RegistryKeyNode>();
        CopyTree(loaded, *copy);
        state.PauseTiming();
        copy.reset();
        malloc_trim(0);
        state.ResumeTiming();
    }
    ReportSize(state, fixture.text.size());
}

void BM_Save(benchmark::State& state) {
    Fixture& fixture = Shared();
    RegistryKeyNode root;
    WineRegistryFile info;
    const WineRegistryLoadResult result = LoadWineRegistryFile(fixture.text, "system.reg", root, info);
    if (!result.ok()) {
        state.SkipWithError(result.describe().c_str());
        return;
    }
    std::size_t peak = 0;
    bool same = true;
    for (auto _ : state) {
        std::size_t before = 0;
        if (peak == 0) {
            state.PauseTiming();
            ResetPeakResident();
            before = ResidentBytes();
            state.ResumeTiming();
        }
        std::string saved = SaveWineRegistryFile(root, info);
        state.PauseTiming();
        if (peak == 0) peak = PeakResidentBytes() - before;
        same = same && saved == fixture.text;
        saved = std::string();
        state.ResumeTiming();
    }
    ReportSize(state, fixture.text.size());
    state.counters["peak_MB"] = static_cast<double>(peak) / kMegabyte;
    state.counters["same_bytes"] = same ? 1 : 0;
}

BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CopyTree)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace brindle::bench

BENCHMARK_MAIN();
