#include "platform/WinePrefixMachine.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <map>

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/Unicode.h"
#include "platform/WineFontFolders.h"
#include "platform/WineServer.h"

namespace brindle {

using namespace win;

namespace {

constexpr std::u16string_view kUserSid = u"S-1-5-21-0-0-0-1000";

// Far beyond any real prefix (a fresh one holds under 2 MB, a busy one tens of MB), and
// small enough that the tree parsed from it fits in memory.
constexpr std::uint64_t kMaxRegistryFileBytes = 512ull << 20;

RegistryKeyNode& EnsurePath(RegistryKeyNode& node, std::initializer_list<std::u16string_view> names) {
    RegistryKeyNode* current = &node;
    for (auto name : names) current = current->addSubKey(name);
    return *current;
}

// Moves a freshly loaded tree into the machine's node, which stays where predefined roots
// and handles expect it.
void ReplaceContents(RegistryKeyNode& target, RegistryKeyNode& source) {
    target.values = std::move(source.values);
    target.subKeys = std::move(source.subKeys);
    for (auto& child : target.subKeys) child->parent = &target;
    target.keyClass = std::move(source.keyClass);
    target.hasClass = source.hasClass;
    target.isLink = source.isLink;
    target.lastWriteTime = source.lastWriteTime;
}

std::optional<std::string> QueryString(Registry& registry, HKEY root, const char* subKey, const char* name) {
    HKEY key = 0;
    if (registry.RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> result;
    if (registry.RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string data(size, '\0');
        if (registry.RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS) {
            data.resize(std::min<std::size_t>(size, data.size()));
            result = data.substr(0, data.find('\0'));
        }
    }
    registry.RegCloseKey(key);
    return result;
}

struct NamedString {
    std::string name;
    std::string data;
    DWORD type;
};

// The string values of a key, in order.
std::vector<NamedString> StringValues(Registry& registry, HKEY root, const char* subKey) {
    std::vector<NamedString> values;
    HKEY key = 0;
    if (registry.RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return values;
    DWORD count = 0, longestName = 0, longestData = 0;
    if (registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                                  &longestData, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<char> name(longestName + 1);
        std::vector<BYTE> data(longestData + 1);
        for (DWORD index = 0; index < count; ++index) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataLength = static_cast<DWORD>(data.size());
            DWORD type = 0;
            if (registry.RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(),
                                       &dataLength) != ERROR_SUCCESS ||
                (type != REG_SZ && type != REG_EXPAND_SZ)) {
                continue;
            }
            std::string text(reinterpret_cast<const char*>(data.data()), std::min<std::size_t>(dataLength, data.size()));
            values.push_back({std::string(name.data(), nameLength), text.substr(0, text.find('\0')), type});
        }
    }
    registry.RegCloseKey(key);
    return values;
}

// GetVersion() words for Wine's version names; only the legacy bit matters to the scan.
DWORD VersionFromWineName(const std::string& name) {
    std::string lower;
    for (char c : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (lower == "win95") return 0xC3B60004;
    if (lower == "win98") return kVersionWindows98;
    if (lower == "winme") return 0xC0005A04;
    if (lower == "nt40") return 0x05650004;
    if (lower == "win2000" || lower == "win2k") return 0x08930005;
    if (lower == "winxp" || lower == "winxp64") return 0x0A280105;
    if (lower == "vista") return 0x17720006;
    if (lower == "win8") return 0x23F00206;
    if (lower == "win81") return 0x25800306;
    if (lower == "win10" || lower == "win11") return 0x4A61000A;
    return kVersionWindows7;
}

bool IsPathVariable(const std::string& name) {
    if (name.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "PATH"[i]) return false;
    }
    return true;
}

std::string HostUserName() {
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    if (const char* user = std::getenv("USER")) return user;
    return "user";
}

}  // namespace

WinePrefixMachine::WinePrefixMachine(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {
    for (auto [fileName, ntRoot] : {std::pair{"system.reg", u"Machine"}, std::pair{"user.reg", u"User\\S-1-5-21-0-0-0-1000"},
                                    std::pair{"userdef.reg", u"User\\.Default"}}) {
        RegistryFile file;
        file.fileName = fileName;
        file.ntRoot = ntRoot;
        m_files.push_back(std::move(file));
    }
}

Result<std::unique_ptr<WinePrefixMachine>> WinePrefixMachine::Open(const std::filesystem::path& prefix) {
    if (Status drive = CheckSystemDrive(prefix); !drive) return drive.error();
    std::unique_ptr<WinePrefixMachine> machine(new WinePrefixMachine(prefix));
    if (Status loaded = machine->loadRegistry(); !loaded) return loaded.error();
    machine->takeFactsFromRegistry();
    if (Status system = machine->checkSystemFolder(); !system) return system.error();
    const char* searchPath = std::getenv("PATH");
    machine->setWineFontFolders(FindWineFontFolders(searchPath != nullptr ? searchPath : ""));
    return machine;
}

Status WinePrefixMachine::checkSystemFolder() {
    // A drive_c that is empty, or a mount that is not there, still makes a C: drive; but
    // every file Wine itself provides would then look missing and be reported.
    const std::string folder = systemDirectory();
    const PathProbe probe = files().ProbePath((folder + "\\").c_str());
    if (probe == PathProbe::Exists) return {};
    const std::string why = probe == PathProbe::Missing ? " has no " + folder + " folder (is its drive_c empty or not mounted?)"
                                                        : " has a " + folder + " folder that cannot be looked at";
    return Error("the Wine prefix " + m_prefix.string() + why +
                 "; every file Wine provides would look missing, so the prefix was not opened");
}

Status WinePrefixMachine::loadRegistry() {
    // Read and parse every file before anything of the machine changes, so that a file
    // that cannot be read whole leaves the machine as it was.
    struct Loaded {
        RegistryKeyNode tree;
        WineRegistryFile info;
        RegularFileRead read;
        bool exists = false;
        std::filesystem::file_time_type modified{};
        std::uintmax_t size = 0;
    };
    std::vector<Loaded> loaded(m_files.size());
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const auto path = filePath(m_files[i]);
        // The time and size before the content, so that a change while reading shows
        // as a change on disk later.
        std::error_code code;
        loaded[i].modified = std::filesystem::last_write_time(path, code);
        loaded[i].size = std::filesystem::file_size(path, code);
        // A pipe or a device in a registry file's place is refused at once: reading it
        // would wait for ever or never end.
        loaded[i].read = ReadRegularFile(path, kMaxRegistryFileBytes);
        if (loaded[i].read.status == RegularFileRead::Status::Missing) {
            if (i == 0) return Error("no " + std::string(m_files[i].fileName) + " in " + m_prefix.string());
            continue;
        }
        if (!loaded[i].read.ok()) return Error(loaded[i].read.error);
        loaded[i].exists = true;
        const auto result =
            LoadWineRegistryFile(loaded[i].read.bytes, path.string(), loaded[i].tree, loaded[i].info);
        if (!result.ok()) return Error(result.describe() + "; nothing was changed");
    }

    RegistryKeyNode& root = memoryRegistry().root();
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        RegistryFile& file = m_files[i];
        RegistryKeyNode* node = &root;
        std::u16string_view path = file.ntRoot;
        while (!path.empty()) {
            const auto slash = path.find(u'\\');
            node = node->addSubKey(path.substr(0, slash));
            path = slash == std::u16string_view::npos ? std::u16string_view() : path.substr(slash + 1);
        }
        ReplaceContents(*node, loaded[i].tree);
        file.info = std::move(loaded[i].info);
        file.existed = loaded[i].exists;
        file.loadedBytes = std::move(loaded[i].read.bytes);
        file.modified = loaded[i].modified;
        file.size = loaded[i].size;
    }
    // The keys behind HKEY_CLASSES_ROOT and HKEY_CURRENT_USER are there even in a prefix
    // that lacks them, as Wine creates them at start.
    EnsurePath(root, {u"Machine", u"Software", u"Classes"});
    EnsurePath(root, {u"User", kUserSid});
    return {};
}

void WinePrefixMachine::takeFactsFromRegistry() {
    Registry& reg = registry();
    // Names below are ASCII, so they read the same in whatever page is in force.
    unsigned codePage = 1252;
    if (const auto acp = QueryString(reg, HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP")) {
        try {
            const unsigned number = static_cast<unsigned>(std::stoul(*acp));
            CodePage check(number);
            codePage = number;
        } catch (const std::exception&) {
            // An unreadable or unsupported page leaves the Western default.
        }
    }
    setCodePage(CodePage(codePage));

    const auto version = QueryString(reg, HKEY_CURRENT_USER, "Software\\Wine", "Version");
    setVersion(version ? VersionFromWineName(*version) : kVersionWindows7);

    std::string windows = "C:\\windows";
    if (auto root = QueryString(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot");
        root && !root->empty()) {
        windows = *root;
    }
    setWindowsDirectory(windows);
    setSystemDirectory(windows + "\\system32");
    setUserName(HostUserName());

    setUpEnvironment();
    setUpWow64View();
    mapDrives();
}

bool WinePrefixMachine::is64BitPrefix() const {
    // Wine marks the machine's kind in system.reg; a prefix without the mark is 32-bit.
    const auto& preamble = m_files.front().info.preamble;
    return std::find(preamble.begin(), preamble.end(), "#arch=win64") != preamble.end();
}

void WinePrefixMachine::setUpWow64View() {
    if (!is64BitPrefix()) {
        make32Bit();
        return;
    }
    // Wine gives 32-bit programs the "(x86)" folders as %ProgramFiles% and
    // %CommonProgramFiles%, as the machine's registry names them for every program.
    const Environment& env = environment();
    const std::string* programFiles32 = env.find("ProgramFiles(x86)");
    const std::string programFiles = programFiles32 != nullptr ? *programFiles32 : "C:\\Program Files (x86)";
    const std::string* commonFiles32 = env.find("CommonProgramFiles(x86)");
    const std::string commonFiles = commonFiles32 != nullptr ? *commonFiles32 : programFiles + "\\Common Files";
    makeWow64(programFiles, commonFiles);
}

void WinePrefixMachine::setUpEnvironment() {
    Registry& reg = registry();
    Environment& env = environment();
    env = Environment();
    const std::string& windowsDirectory = this->windowsDirectory();

    // Wine's built-in defaults first; later sources win.
    env.set("SystemRoot", windowsDirectory);
    env.set("windir", windowsDirectory);
    env.set("SystemDrive", windowsDirectory.substr(0, 2));
    const char* currentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
    const std::pair<const char*, const char*> folders[] = {
        {"ProgramFiles", "ProgramFilesDir"},
        {"CommonProgramFiles", "CommonFilesDir"},
        {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
        {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"},
    };
    env.set("ProgramFiles", "C:\\Program Files");
    env.set("CommonProgramFiles", "C:\\Program Files\\Common Files");
    for (const auto& [variable, valueName] : folders) {
        if (const auto value = QueryString(reg, HKEY_LOCAL_MACHINE, currentVersion, valueName)) env.set(variable, *value);
    }
    env.set("ProgramData", "C:\\ProgramData");
    env.set("ALLUSERSPROFILE", "C:\\ProgramData");
    env.set("PUBLIC", "C:\\users\\Public");

    // The user's PATH adds to the system's rather than replacing it, as at a Windows
    // logon: programs are looked for in both.
    enum class UserPath { Replaces, Adds };
    const struct {
        HKEY root;
        const char* subKey;
        UserPath path;
    } sources[] = {
        {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager\\Environment", UserPath::Replaces},
        {HKEY_CURRENT_USER, "Environment", UserPath::Adds},
        {HKEY_CURRENT_USER, "Volatile Environment", UserPath::Replaces},
    };
    for (const auto& source : sources) {
        for (const auto& value : StringValues(reg, source.root, source.subKey)) {
            std::string data = value.type == REG_EXPAND_SZ ? env.expand(value.data) : value.data;
            const std::string* machinePath = env.find("PATH");
            if (source.path == UserPath::Adds && IsPathVariable(value.name) && machinePath != nullptr &&
                !machinePath->empty() && !data.empty()) {
                data = *machinePath + ";" + data;
            }
            env.set(value.name, data);
        }
    }
}

void WinePrefixMachine::mapDrives() {
    std::map<char, std::string> typeSettings;
    for (const auto& value : StringValues(registry(), HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives")) {
        if (value.name.size() == 2 && value.name[1] == ':') typeSettings[value.name[0]] = value.data;
    }
    m_drives = ReadWineDrives(m_prefix, typeSettings);
    DriveMapFileSystem& files = driveMap();
    for (char letter : files.driveLetters()) files.unmapDrive(letter);
    // A walk stays in the prefix: the user folders Wine links to the host's home are not
    // the machine's, and neither is the host's root behind z:.
    files.setOwnFolder(m_prefix);
    for (const auto& drive : m_drives) {
        if (!drive.realPath.empty()) files.mapDrive(drive.letter, drive.realPath, ToWin32DriveType(drive.type));
    }

    // A program started from a shell has the shell's folder, seen through the drive that
    // holds it, as its current directory; Wine falls back to the Windows folder.
    std::string current = windowsDirectory();
    std::error_code code;
    const auto here = std::filesystem::weakly_canonical(std::filesystem::current_path(code), code);
    std::size_t best = 0;
    for (const auto& drive : m_drives) {
        if (drive.realPath.empty()) continue;
        const auto relative = here.lexically_relative(drive.realPath);
        if (relative.empty() || *relative.begin() == "..") continue;
        const std::size_t depth = static_cast<std::size_t>(std::distance(drive.realPath.begin(), drive.realPath.end()));
        if (depth < best) continue;
        best = depth;
        current = std::string(1, drive.letter) + ":\\";
        for (const auto& part : relative) {
            if (part == ".") continue;
            if (current.back() != '\\') current += '\\';
            current += codePage().toAnsi(Utf8ToUtf16(part.string()));
        }
    }
    files.setCurrentDirectory(current);
}

bool WinePrefixMachine::changedOnDisk(const RegistryFile& file) const {
    std::error_code code;
    const auto path = filePath(file);
    const bool exists = std::filesystem::exists(path, code);
    if (exists != file.existed) return true;
    if (!exists) return false;
    return std::filesystem::last_write_time(path, code) != file.modified ||
           std::filesystem::file_size(path, code) != file.size;
}

bool WinePrefixMachine::filesChangedOnDisk() const {
    for (const auto& file : m_files) {
        if (changedOnDisk(file)) return true;
    }
    return false;
}

Status WinePrefixMachine::reloadIfChanged() {
    RegistryUseGate::Exclusive exclusive(registryGate());
    if (!filesChangedOnDisk()) return {};
    return replaceRegistry();
}

Status WinePrefixMachine::registryWritable() const {
    const WineServerStatus server = DetectWineServer(m_prefix);
    if (server.running) return Error(WineServerRunningMessage(m_prefix, server));
    return {};
}

Status WinePrefixMachine::discardRegistryChanges() {
    RegistryUseGate::Exclusive exclusive(registryGate());
    return replaceRegistry();
}

Status WinePrefixMachine::replaceRegistry() {
    // Every other thread has left the registry (the gate saw to that); a handle still
    // open would point into the tree that is about to go.
    if (const std::size_t open = memoryRegistry().openHandleCount(); open != 0) {
        return Error("the registry of " + m_prefix.string() + " cannot be read again while " + std::to_string(open) +
                     " of its keys are open; nothing was changed");
    }
    if (Status loaded = loadRegistry(); !loaded) return loaded;
    takeFactsFromRegistry();
    return {};
}

Status WinePrefixMachine::save() {
    RegistryUseGate::Exclusive exclusive(registryGate());
    struct Pending {
        RegistryFile* file;
        std::string bytes;
    };
    std::vector<Pending> pending;
    RegistryKeyNode& root = memoryRegistry().root();
    for (auto& file : m_files) {
        if (!file.existed) continue;
        const RegistryKeyNode* node = memoryRegistry().findNode(std::u16string(u"\\Registry\\") + file.ntRoot);
        if (node == nullptr) node = &root;  // cannot happen: loadRegistry creates every branch
        std::string bytes = SaveWineRegistryFile(*node, file.info);
        if (bytes != file.loadedBytes) pending.push_back({&file, std::move(bytes)});
    }
    if (pending.empty()) return {};

    const WineServerStatus server = DetectWineServer(m_prefix);
    if (server.running) return Error(WineServerRunningMessage(m_prefix, server));
    // A run killed during its save left its temporary files; saves run one at a time (the
    // prefix lock), so none of them is being written now.
    for (const auto& file : m_files) RemoveAbandonedTemporaries(filePath(file));
    for (const auto& item : pending) {
        if (changedOnDisk(*item.file)) {
            return Error(filePath(*item.file).string() +
                         " was changed on disk since Brindle read it (did Wine run?); nothing was written");
        }
    }
    // All or nothing as far as the file system allows: every file is written in full
    // before the first one replaces its original.
    std::vector<FileReplacement> replacements;
    for (const auto& item : pending) replacements.push_back({filePath(*item.file), item.bytes});
    const FilesCommit commit = ReplaceFilesTogether(replacements, m_commitFaults);
    // What did reach the disk is what the files now hold, whatever came after.
    for (std::size_t i = 0; i < commit.replaced; ++i) {
        RegistryFile& file = *pending[i].file;
        const auto path = filePath(file);
        std::error_code code;
        file.loadedBytes = std::move(pending[i].bytes);
        file.modified = std::filesystem::last_write_time(path, code);
        file.size = std::filesystem::file_size(path, code);
    }
    return commit.status;
}

}  // namespace brindle
