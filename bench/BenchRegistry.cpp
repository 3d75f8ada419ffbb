#include "bench/BenchRegistry.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace brindle::bench {

namespace {

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::vector<std::uint8_t> WideBytes(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

void AddString(RegistryKeyNode& key, const std::string& name, const std::string& data) {
    key.values.push_back({Wide(name), win::REG_SZ, WideBytes(data)});
}

std::string Guid(std::mt19937_64& random) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(random()),
                  static_cast<unsigned>(random() & 0xFFFF), static_cast<unsigned>(random() & 0xFFFF),
                  static_cast<unsigned>(random() & 0xFFFF),
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return text;
}

RegistryKeyNode& Path(RegistryKeyNode& root, std::initializer_list<const char16_t*> names) {
    RegistryKeyNode* node = &root;
    for (const char16_t* name : names) node = node->addSubKey(name);
    return *node;
}

}  // namespace

BenchRegistryStats BuildBenchRegistry(SimpleMachine& machine, const std::string& driveFolder,
                                      const BenchRegistryShape& shape) {
    BenchRegistryStats stats;
    std::mt19937_64 random(20261208);
    RegistryKeyNode& root = machine.memoryRegistry().root();
    RegistryKeyNode& machineBranch = Path(root, {u"Machine"});

    // Server files: most present in system32, some missing.
    const auto system32 = std::filesystem::path(driveFolder) / "windows" / "system32";
    std::filesystem::create_directories(system32);
    std::vector<std::string> files;
    for (std::size_t i = 0; i < shape.serverFiles; ++i) {
        const std::string name = "server" + std::to_string(i) + ".dll";
        files.push_back(name);
        if (static_cast<double>(i % 100) >= shape.missingShare * 100) std::ofstream(system32 / name).put('x');
    }

    // Classes, sorted by name so that each insertion appends.
    std::vector<std::string> guids;
    guids.reserve(shape.classes);
    for (std::size_t i = 0; i < shape.classes; ++i) guids.push_back(Guid(random));
    std::sort(guids.begin(), guids.end());
    guids.erase(std::unique(guids.begin(), guids.end()), guids.end());

    RegistryKeyNode& clsid = Path(machineBranch, {u"Software", u"Classes", u"CLSID"});
    for (std::size_t i = 0; i < guids.size(); ++i) {
        RegistryKeyNode* classKey = clsid.addSubKey(Wide(guids[i]));
        AddString(*classKey, "", "Bench class " + std::to_string(i));
        ++stats.keys;
        ++stats.values;
        const std::string& file = files[random() % files.size()];
        RegistryKeyNode* server = classKey->addSubKey(i % 3 == 0 ? u"LocalServer32" : u"InprocServer32");
        const bool qualified = i % 2 == 0;
        AddString(*server, "", qualified ? "C:\\windows\\system32\\" + file : file);
        AddString(*server, "ThreadingModel", "Both");
        stats.keys += 1;
        stats.values += 2;
        stats.serverPaths.push_back("C:\\windows\\system32\\" + file);
        if (i % 2 == 0) {
            AddString(*classKey->addSubKey(u"ProgID"), "", "Bench.Class." + std::to_string(i));
            ++stats.keys;
            ++stats.values;
        }
    }

    // The other scanned keys, sized as on a well-used installation.
    RegistryKeyNode& software = Path(machineBranch, {u"Software", u"Microsoft"});
    RegistryKeyNode& currentVersion = Path(software, {u"Windows", u"CurrentVersion"});
    // Built with append: GCC 12 warns falsely (-Wrestrict) on literal + string here.
    auto file = [&](std::size_t i) { return std::string("C:\\windows\\system32\\").append(files[i % files.size()]); };
    RegistryKeyNode& sharedDlls = *currentVersion.addSubKey(u"SharedDLLs");
    for (std::size_t i = 0; i < 3000; ++i) {
        const std::uint8_t count[4] = {1, 0, 0, 0};
        sharedDlls.values.push_back({Wide(file(i * 7)), win::REG_DWORD, {count, count + 4}});
    }
    RegistryKeyNode& fonts = Path(software, {u"Windows NT", u"CurrentVersion", u"Fonts"});
    RegistryKeyNode& drivers = Path(software, {u"Windows NT", u"CurrentVersion", u"Drivers32"});
    for (std::size_t i = 0; i < 500; ++i) AddString(fonts, "Font " + std::to_string(i), files[i % files.size()]);
    for (std::size_t i = 0; i < 60; ++i) AddString(drivers, "driver" + std::to_string(i), files[(i * 13) % files.size()]);
    RegistryKeyNode& appPaths = *currentVersion.addSubKey(u"App Paths");
    RegistryKeyNode& uninstall = *currentVersion.addSubKey(u"Uninstall");
    RegistryKeyNode& run = *currentVersion.addSubKey(u"Run");
    for (std::size_t i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "App%04zu", i);
        RegistryKeyNode& app = *appPaths.addSubKey(Wide(std::string(name) + ".exe"));
        AddString(app, "", std::string(1, '"').append(file(i)).append("\""));
        AddString(app, "Path", std::string("C:\\Program Files\\").append(name).append("\\"));
        RegistryKeyNode& entry = *uninstall.addSubKey(Wide(name));
        AddString(entry, "DisplayName", name);
        AddString(entry, "DisplayIcon", file(i));
        AddString(entry, "InstallLocation", std::string("C:\\Program Files\\").append(name));
        AddString(entry, "UninstallString", std::string(1, '"').append(file(i + 1)).append("\" /S"));
        stats.keys += 2;
        stats.values += 6;
    }
    for (std::size_t i = 0; i < 30; ++i) AddString(run, "Startup" + std::to_string(i), file(i) + " -background");
    RegistryKeyNode& help = *Path(software, {u"Windows"}).addSubKey(u"Help");
    for (std::size_t i = 0; i < 200; ++i) AddString(help, "help" + std::to_string(i) + ".hlp", "C:\\windows\\help\\");
    RegistryKeyNode& tools = *software.addSubKey(u"Shared Tools");
    for (std::size_t i = 0; i < 60; ++i) {
        RegistryKeyNode& tool = *tools.addSubKey(Wide("Tool" + std::to_string(i)));
        AddString(tool, "Path", file(i * 3));
        AddString(tool, "Version", "1.0");
        ++stats.keys;
        stats.values += 2;
    }
    stats.keys += 12;
    stats.values += 3000 + 500 + 60 + 30 + 200;

    // The rest of the registry: software keys with a few values each.
    RegistryKeyNode& vendor = Path(machineBranch, {u"Software", u"BenchVendor"});
    std::size_t product = 0;
    while (stats.keys < shape.totalKeys) {
        char name[32];
        std::snprintf(name, sizeof name, "Product%07zu", product++);
        RegistryKeyNode* key = vendor.addSubKey(Wide(name));
        ++stats.keys;
        const std::size_t remainingKeys = shape.totalKeys - stats.keys + 1;
        const std::size_t remainingValues = shape.totalValues > stats.values ? shape.totalValues - stats.values : 0;
        const std::size_t valuesHere = remainingKeys > 0 ? (remainingValues + remainingKeys - 1) / remainingKeys : 0;
        for (std::size_t v = 0; v < valuesHere; ++v) {
            AddString(*key, "Setting" + std::to_string(v), "C:\\Program Files\\Bench\\data" + std::to_string(v));
            ++stats.values;
        }
    }
    return stats;
}

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace brindle::bench
