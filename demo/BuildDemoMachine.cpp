// Builds the demo machine: a small Wine prefix whose registry has entries of every scan
// category, some naming files that exist on its C: drive, some naming files that are
// gone, and some that the path rules must not test at all.
//
//   brindle-demo-builder OUTPUT_FOLDER
//
// The output is deterministic (fixed times, fixed file contents), so the tree checked in
// as demo/machine can be compared with a fresh build of it.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "demo/LnkWriter.h"
#include "platform/AtomicFile.h"
#include "platform/MemoryRegistry.h"
#include "platform/WineRegistryFile.h"

namespace {

using namespace brindle;
using namespace brindle::win;
namespace fs = std::filesystem;

// 2026-01-15 09:00:00 UTC, as a FILETIME.
constexpr std::uint64_t kDemoTime = 134129268000000000ull;

class DemoRegistry {
public:
    DemoRegistry() {
        m_registry.setClock([] { return kDemoTime; });
    }

    void setString(HKEY root, const std::string& key, const std::string& name, const std::string& data,
                   DWORD type = REG_SZ) {
        std::string bytes = data;
        bytes.push_back('\0');
        set(root, key, name, type, bytes);
    }

    void setDword(HKEY root, const std::string& key, const std::string& name, std::uint32_t value) {
        const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                               static_cast<char>(value >> 24)};
        set(root, key, name, REG_DWORD, std::string(bytes, 4));
    }

    void createKey(HKEY root, const std::string& key) { m_registry.RegCloseKey(open(root, key)); }

    MemoryRegistry& registry() { return m_registry; }

private:
    HKEY open(HKEY root, const std::string& key) {
        HKEY handle = 0;
        if (m_registry.RegCreateKeyA(root, key.c_str(), &handle) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create " + key);
        return handle;
    }

    void set(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
        const HKEY handle = open(root, key);
        const LONG status = m_registry.RegSetValueExA(handle, name.c_str(), 0, type,
                                                      reinterpret_cast<const BYTE*>(bytes.data()),
                                                      static_cast<DWORD>(bytes.size()));
        m_registry.RegCloseKey(handle);
        if (status != ERROR_SUCCESS) throw std::runtime_error("cannot set " + name + " in " + key);
    }

    MemoryRegistry m_registry;
};

const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kClsid = "Software\\Classes\\CLSID\\";

void AddSystemFacts(DemoRegistry& reg) {
    reg.setString(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "1252");
    reg.setString(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\CodePage", "OEMCP", "437");
    const std::string environment = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    reg.setString(HKEY_LOCAL_MACHINE, environment, "ComSpec", "%SystemRoot%\\system32\\cmd.exe", REG_EXPAND_SZ);
    reg.setString(HKEY_LOCAL_MACHINE, environment, "PATH",
                  "%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\system32\\wbem", REG_EXPAND_SZ);
    reg.setString(HKEY_LOCAL_MACHINE, environment, "TEMP", "%SystemRoot%\\temp", REG_EXPAND_SZ);
    reg.setString(HKEY_LOCAL_MACHINE, environment, "windir", "%SystemRoot%", REG_EXPAND_SZ);
    reg.setString(HKEY_LOCAL_MACHINE, environment, "DemoTools", "%ProgramFiles%\\Demo Tools", REG_EXPAND_SZ);
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                  "C:\\windows");
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", "6.1");
    reg.setString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
    reg.setString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir", "C:\\Program Files\\Common Files");
    reg.setString(HKEY_CURRENT_USER, "Environment", "TEMP", "%SystemDrive%\\users\\demo\\Temp", REG_EXPAND_SZ);
    reg.setString(HKEY_CURRENT_USER, "Volatile Environment", "USERPROFILE", "C:\\users\\demo");
    reg.setString(HKEY_CURRENT_USER, "Volatile Environment", "APPDATA", "C:\\users\\demo\\AppData\\Roaming");
    reg.setString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", "");
}

void AddComClasses(DemoRegistry& reg) {
    struct Server {
        const char* clsid;
        const char* subKey;
        const char* data;  // null: no default value
    };
    const Server servers[] = {
        // present, fully qualified
        {"{B1D0C001-0000-4000-8000-000000000001}", "InprocServer32", "C:\\Program Files\\Demo Viewer\\viewer.dll"},
        // missing: the toolbar was uninstalled, its class stayed
        {"{B1D0C001-0000-4000-8000-000000000002}", "InprocServer32", "C:\\Program Files\\Old Toolbar\\toolbar.dll"},
        // missing local server with switches after the quoted path
        {"{B1D0C001-0000-4000-8000-000000000003}", "LocalServer32",
         "\"C:\\Program Files\\Photo Editor\\photoed.exe\" /Automation"},
        // present through a variable
        {"{B1D0C001-0000-4000-8000-000000000004}", "InprocServer32", "%SystemRoot%\\system32\\demoshell.dll"},
        // present, bare name looked up in the system folder
        {"{B1D0C001-0000-4000-8000-000000000005}", "InprocServer32", "demoole.dll"},
        // missing, bare name
        {"{B1D0C001-0000-4000-8000-000000000006}", "InprocServer32", "gonecodec.dll"},
        // a 16-bit server that no 64-bit system has, next to a working 32-bit one
        {"{B1D0C001-0000-4000-8000-000000000007}", "InprocServer", "C:\\windows\\system\\demoole.dll"},
        {"{B1D0C001-0000-4000-8000-000000000007}", "InprocServer32", "demoole.dll"},
        // the mail UI is never tested
        {"{B1D0C001-0000-4000-8000-000000000008}", "InprocServer32", "C:\\Program Files\\Mail\\mailui.dll"},
        // a server key without a default value
        {"{B1D0C001-0000-4000-8000-000000000009}", "InprocServer32", nullptr},
        // handlers are not servers
        {"{B1D0C001-0000-4000-8000-00000000000A}", "InprocHandler32", "C:\\Program Files\\Gone\\handler.dll"},
    };
    for (const auto& server : servers) {
        const std::string key = kClsid + server.clsid;
        reg.setString(HKEY_LOCAL_MACHINE, key, "", std::string("Demo class ") + server.clsid);
        if (server.data) {
            reg.setString(HKEY_LOCAL_MACHINE, key + "\\" + server.subKey, "", server.data);
        }
        reg.setString(HKEY_LOCAL_MACHINE, key + "\\" + server.subKey, "ThreadingModel", "Apartment");
    }
    reg.setString(HKEY_LOCAL_MACHINE, kClsid + "{B1D0C001-0000-4000-8000-000000000002}\\ProgID", "",
                  "OldToolbar.Band.1");
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\Classes\\OldToolbar.Band.1\\CLSID", "",
                  "{B1D0C001-0000-4000-8000-000000000002}");
}

void AddSharedResources(DemoRegistry& reg) {
    const std::string shared = kCurrentVersion + "\\SharedDLLs";
    reg.setDword(HKEY_LOCAL_MACHINE, shared, "C:\\Program Files\\Common Files\\Demo\\shared.dll", 2);
    reg.setDword(HKEY_LOCAL_MACHINE, shared, "C:\\Program Files\\Common Files\\Old\\oldshared.dll", 1);
    reg.setDword(HKEY_LOCAL_MACHINE, shared, "demoole.dll", 3);
    reg.setDword(HKEY_LOCAL_MACHINE, shared, "missinghelper.dll", 1);

    const std::string drivers = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
    reg.setString(HKEY_LOCAL_MACHINE, drivers, "msacm.democodec", "democodec.acm");
    reg.setString(HKEY_LOCAL_MACHINE, drivers, "vidc.gone", "gonevid.dll");
    reg.setString(HKEY_LOCAL_MACHINE, drivers, "wave", "wdmaud.drv");
    reg.setString(HKEY_LOCAL_MACHINE, drivers, "midi", "midimap.dll");

    const std::string help = "Software\\Microsoft\\Windows\\Help";
    reg.setString(HKEY_LOCAL_MACHINE, help, "demo.hlp", "C:\\Program Files\\Demo Viewer\\");
    reg.setString(HKEY_LOCAL_MACHINE, help, "oldapp.hlp", "C:\\Program Files\\Old App\\");
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\HTML Help", "demo.chm", "C:\\windows\\help\\");
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\HTML Help", "gone.chm", "%SystemRoot%\\help\\");

    const std::string tools = "Software\\Microsoft\\Shared Tools";
    reg.setString(HKEY_LOCAL_MACHINE, tools + "\\Demo Graph", "Path",
                  "C:\\Program Files\\Common Files\\Demo\\graph.exe");
    reg.setString(HKEY_LOCAL_MACHINE, tools + "\\Demo Graph", "Version", "1.0");
    reg.setString(HKEY_LOCAL_MACHINE, tools + "\\Old Proofing", " Path ",
                  "C:\\Program Files\\Common Files\\Proof\\proof.dll");

    const std::string fonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    reg.setString(HKEY_LOCAL_MACHINE, fonts, "Demo Sans (TrueType)", "demosans.ttf");
    reg.setString(HKEY_LOCAL_MACHINE, fonts, "Gone Serif (TrueType)", "goneserif.ttf");
    reg.setString(HKEY_LOCAL_MACHINE, fonts, "Demo Bitmap", "C:\\Program Files\\Demo Viewer\\demo.fon");
}

void AddProgramEntries(DemoRegistry& reg) {
    const std::string appPaths = kCurrentVersion + "\\App Paths";
    reg.setString(HKEY_LOCAL_MACHINE, appPaths + "\\viewer.exe", "", "C:\\Program Files\\Demo Viewer\\viewer.exe");
    reg.setString(HKEY_LOCAL_MACHINE, appPaths + "\\viewer.exe", "Path", "C:\\Program Files\\Demo Viewer\\");
    reg.setString(HKEY_LOCAL_MACHINE, appPaths + "\\OldApp.exe", "", "\"C:\\Program Files\\Old App\\oldapp.exe\"");
    reg.setString(HKEY_LOCAL_MACHINE, appPaths + "\\OldApp.exe", "Path",
                  "C:\\Program Files\\Old App;C:\\Program Files\\Old App\\bin");
    reg.setString(HKEY_LOCAL_MACHINE, appPaths + "\\wordpad.exe", "", "wordpad.exe");

    const std::string run = kCurrentVersion + "\\Run";
    reg.setString(HKEY_LOCAL_MACHINE, run, "DemoTray", "\"C:\\Program Files\\Demo Viewer\\tray.exe\" /background");
    reg.setString(HKEY_LOCAL_MACHINE, run, "OldUpdater", "C:\\Program Files\\Old App\\update.exe -quiet");
    reg.setString(HKEY_LOCAL_MACHINE, run, "Notepad", "notepad.exe");
    reg.setString(HKEY_LOCAL_MACHINE, run, "ControlPanel", "rundll32.exe shell32.dll,Control_RunDLL");

    const std::string uninstall = kCurrentVersion + "\\Uninstall";
    reg.setString(HKEY_LOCAL_MACHINE, uninstall + "\\DemoViewer", "DisplayName", "Demo Viewer");
    reg.setString(HKEY_LOCAL_MACHINE, uninstall + "\\DemoViewer", "UninstallString",
                  "\"C:\\Program Files\\Demo Viewer\\uninstall.exe\" /S");
    reg.setString(HKEY_LOCAL_MACHINE, uninstall + "\\OldApp", "DisplayName", "Old App 2.3");
    reg.setString(HKEY_LOCAL_MACHINE, uninstall + "\\OldApp", "DisplayIcon", "C:\\Program Files\\Old App\\oldapp.exe");
    reg.setString(HKEY_LOCAL_MACHINE, uninstall + "\\OldApp", "UninstallString",
                  "C:\\Program Files\\Old App\\unins000.exe");
    reg.setString(HKEY_LOCAL_MACHINE, uninstall + "\\{B1D0C001-MSI0-0000-0000-000000000001}", "UninstallString",
                  "MsiExec.exe /X{B1D0C001-MSI0-0000-0000-000000000001}");
    reg.setString(HKEY_LOCAL_MACHINE, uninstall + "\\DemoPlugin", "UninstallString",
                  "C:\\windows\\system32\\rundll32.exe demoplug.dll,Uninstall");
}

// A 32-bit program on the 64-bit demo machine. Wine led its installer's writes below
// Wow6432Node and its DLL into syswow64, though the registry names system32: to 32-bit
// programs that is syswow64. Its start-up entry names %ProgramFiles%, which is the
// "(x86)" folder to them; its updater is gone.
void AddThirtyTwoBitProgram(DemoRegistry& reg) {
    reg.setString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir (x86)", "C:\\Program Files (x86)");
    reg.setString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir (x86)",
                  "C:\\Program Files (x86)\\Common Files");
    const std::string clock = "Software\\Classes\\Wow6432Node\\CLSID\\{B1D0C001-0000-4000-8000-000000000032}";
    reg.setString(HKEY_LOCAL_MACHINE, clock, "", "Demo Clock face");
    reg.setString(HKEY_LOCAL_MACHINE, clock + "\\InprocServer32", "", "C:\\windows\\system32\\democlock32.dll");
    reg.setString(HKEY_LOCAL_MACHINE, clock + "\\InprocServer32", "ThreadingModel", "Apartment");
    const std::string run = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
    reg.setString(HKEY_LOCAL_MACHINE, run, "DemoClock", "\"%ProgramFiles%\\Demo Clock\\clock.exe\" /tray", REG_EXPAND_SZ);
    reg.setString(HKEY_LOCAL_MACHINE, run, "OldClockUpdater", "C:\\Program Files (x86)\\Old Clock\\clockupd.exe");
}

// The files of drive C: that the entries above find.
const char* const kDriveFiles[] = {
    "windows/notepad.exe",
    "windows/system32/demoshell.dll",
    "windows/system32/demoole.dll",
    "windows/system32/democodec.acm",
    "windows/system32/wdmaud.drv",
    "windows/system32/midimap.dll",
    "windows/system32/rundll32.exe",
    "windows/system32/cmd.exe",
    "windows/syswow64/democlock32.dll",
    "windows/Fonts/demosans.ttf",
    "windows/help/demo.chm",
    "Program Files/Demo Viewer/viewer.dll",
    "Program Files/Demo Viewer/viewer.exe",
    "Program Files/Demo Viewer/demo.hlp",
    "Program Files/Demo Viewer/demo.fon",
    "Program Files/Demo Viewer/tray.exe",
    "Program Files/Demo Viewer/uninstall.exe",
    "Program Files/Common Files/Demo/shared.dll",
    "Program Files/Common Files/Demo/graph.exe",
    "Program Files (x86)/Demo Clock/clock.exe",
    "users/demo/Temp/.keep",
};

// The registry makes its root keys with the real time when it starts; the demo's files
// carry one fixed time throughout so that a rebuild gives the same bytes.
void StampTree(RegistryKeyNode& node) {
    node.lastWriteTime = kDemoTime;
    for (auto& child : node.subKeys) StampTree(*child);
}

void WriteRegistryFile(const fs::path& path, const RegistryKeyNode& root, const char* relativeTo) {
    WineRegistryFile info;
    info.preamble = {std::string(";; All keys relative to ") + relativeTo, "", "#arch=win64"};
    const Status written = WriteFileAtomically(path, SaveWineRegistryFile(root, info));
    if (!written) throw std::runtime_error(written.error().message());
}

void WriteFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::error_code ignored;
    fs::remove(path, ignored);  // it may be a read-only shortcut of an earlier build
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
}

// Shortcuts in several folders of drive C:: some targets present, some gone, one
// read-only, one damaged, one without a target path, and one in the drive's root
// folder, where the scan never looks.
void AddShortcuts(const fs::path& driveC) {
    const fs::path desktop = driveC / "users/demo/Desktop";
    const fs::path startMenu = driveC / "ProgramData/Microsoft/Windows/Start Menu/Programs";
    WriteFile(desktop / "Demo Viewer.lnk", MakeShortcutBytes("C:\\Program Files\\Demo Viewer\\viewer.exe"));
    WriteFile(desktop / "Old App.lnk", MakeShortcutBytes("C:\\Program Files\\Old App\\oldapp.exe"));
    using namespace std::string_literals;
    WriteFile(desktop / "Broken.lnk", "L\0\0\0this is not a shortcut any more"s);
    WriteFile(startMenu / "Demo Viewer/Demo Viewer.lnk",
              MakeShortcutBytes("C:\\Program Files\\Demo Viewer\\viewer.exe", {false, "Demo Viewer", "", false}));
    const fs::path readOnly = startMenu / "Old App/Old App Help.lnk";
    WriteFile(readOnly, MakeShortcutBytes("C:\\Program Files\\Old App\\help.chm"));
    fs::permissions(readOnly, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    WriteFile(startMenu / "Installer/Advertised.lnk", MakeShortcutBytesWithoutTarget());
    WriteFile(driveC / "users/demo/Documents/Projects/Old Report.lnk",
              MakeShortcutBytes("C:\\users\\demo\\Documents\\report-2019.doc"));
    WriteFile(driveC / "Root Shortcut.lnk", MakeShortcutBytes("C:\\Gone\\gone.exe"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: brindle-demo-builder OUTPUT_FOLDER\n";
        return 2;
    }
    try {
        const fs::path out = argv[1];
        fs::create_directories(out / "dosdevices");

        DemoRegistry reg;
        AddSystemFacts(reg);
        AddComClasses(reg);
        AddSharedResources(reg);
        AddProgramEntries(reg);
        AddThirtyTwoBitProgram(reg);

        MemoryRegistry& registry = reg.registry();
        StampTree(registry.root());
        WriteRegistryFile(out / "system.reg", *registry.findNode(u"\\Registry\\Machine"), "REGISTRY\\\\Machine");
        WriteRegistryFile(out / "user.reg", *registry.findNode(u"\\Registry\\User\\S-1-5-21-0-0-0-1000"),
                          "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000");
        RegistryKeyNode defaultUser;
        WriteRegistryFile(out / "userdef.reg", defaultUser, "REGISTRY\\\\User\\\\.Default");

        for (const char* file : kDriveFiles) WriteFile(out / "drive_c" / file, std::string("demo file ") + file + "\n");
        AddShortcuts(out / "drive_c");
        const fs::path drive = out / "dosdevices" / "c:";
        std::error_code ignored;
        fs::remove(drive, ignored);
        fs::create_directory_symlink("../drive_c", drive);
    } catch (const std::exception& e) {
        std::cerr << "brindle-demo-builder: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
