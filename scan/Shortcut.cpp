#include "scan/Shortcut.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "registry/MachineFiles.h"

namespace brindle {

using namespace win;

namespace {

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

bool IsFolder(const FindDataA& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

class DepthScope {
public:
    explicit DepthScope(int& depth) : m_depth(++depth) {}
    ~DepthScope() { --m_depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
    bool tooDeep() const { return m_depth > kMaxFolderDepth; }

private:
    int& m_depth;
};

}  // namespace

CShortcut::CShortcut(Machine& machine)
    : m_machine(machine), m_stopEvent(machine.events().CreateEventA(kStopScanEventName)) {}

bool CShortcut::stopRequested() const {
    return (stopRequest != nullptr && stopRequest->requested()) || WaitForSingleObject(m_stopEvent, 0) == WAIT_OBJECT_0;
}

void CShortcut::reportProgress(const std::string& item, const char* title, std::int32_t scanned, std::int32_t found) {
    if (progressCallback) progressCallback(item, title, scanned, found);
}

bool CShortcut::enterOnce(const FileIdentity& identity) { return m_enteredFolders.insert(identity).second; }

void CShortcut::ScanShortcuts() {
    m_scanned = 0;
    m_fixed = 0;
    m_found = 0;
    m_missing.clear();
    m_enteredFolders.clear();

    m_stopEvent = m_machine.events().CreateEventA(kStopScanEventName);
    if (stopRequested()) return;

    FileSystem& files = m_machine.files();
    FileSystemScanScope scan(files);
    const DWORD needed = files.GetLogicalDriveStringsA(0, nullptr);
    std::string drives(needed, '\0');
    const DWORD length = files.GetLogicalDriveStringsA(needed, drives.data());
    if (length == 0 || length >= needed) return;
    drives.resize(length);

    for (std::size_t pos = 0; pos < drives.size();) {
        const std::string root = drives.c_str() + pos;
        pos += root.size() + 1;
        if (root.size() < 2 || files.GetDriveTypeA(root.c_str()) != DRIVE_FIXED) continue;
        char driveName[3];
        std::snprintf(driveName, sizeof driveName, kDriveNameFormat, root[0], root[1]);
        // The root counts as entered, so that a link back up to it is not walked again.
        if (const auto identity = files.GetFileIdentity(root.c_str())) {
            if (!enterOnce(*identity)) continue;
        }
        RecurseFolder(driveName);
    }
}

void CShortcut::RecurseFolder(const std::string& folder) {
    const DepthScope depth(m_depth);
    if (depth.tooDeep()) return;

    FindDataA data;
    FindHandle search = m_machine.files().FindFirstFileA((folder + kFolderSearchPattern).c_str(), data);
    if (!search) return;
    std::string path;
    do {
        if (stopRequested()) break;
        if (IsDotName(data.cFileName) || !IsFolder(data)) continue;
        // Wine links the user's Desktop, Documents and the like to the host's home: what
        // lies there is not the machine's to clean.
        if (data.leavesMachine) continue;
        // A folder whose identity is unknown cannot be told from one already walked.
        if (!data.identity || !enterOnce(*data.identity)) continue;
        path = folder + "\\" + data.cFileName;
        if (isOtherPrefix(path)) continue;
        SearchLinkFileAndResolve(path);
        reportProgress(path, kSearchingFolderTitle, m_scanned, m_found);
        RecurseFolder(path);
    } while (FindNextFileA(search, data));
    FindClose(search);
}

// A Wine prefix's own folder: its shortcuts name the files of its own C:, which is not
// this machine's, so nothing there can be judged (a hard disk such as z: can hold many).
// This machine's own folder is passed over as well: its drives are walked by their letters.
bool CShortcut::isOtherPrefix(const std::string& folder) {
    FileSystem& files = m_machine.files();
    const DWORD registry = files.GetFileAttributesA((folder + "\\system.reg").c_str());
    if (registry == INVALID_FILE_ATTRIBUTES || (registry & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    const DWORD devices = files.GetFileAttributesA((folder + "\\dosdevices").c_str());
    return devices != INVALID_FILE_ATTRIBUTES && (devices & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CShortcut::SearchLinkFileAndResolve(const std::string& folder) {
    const std::string prefix = folder + "\\";
    FindDataA data;
    FindHandle search = m_machine.files().FindFirstFileA((prefix + kShortcutFilePattern).c_str(), data);
    if (!search) return;
    do {
        ResolveLinkFile(prefix + data.cFileName);
    } while (FindNextFileA(search, data));
    FindClose(search);
}

std::int32_t CShortcut::ResolveLinkFile(const std::string& path) {
    ++m_scanned;
    reportProgress(path, kScanningShortcutsTitle, m_scanned, m_found);

    const auto target = m_machine.ReadShortcutTarget(path.c_str());
    if (!target) return kShortcutUnreadable;
    // Only a target that is not there makes the shortcut dead; one that could not be
    // looked up says nothing.
    if (m_machine.files().ProbePath(target->c_str()) == PathProbe::Missing && !(isIgnored && isIgnored(path))) {
        m_missing.push_back(path);
        ++m_found;
    }
    return kShortcutResolved;
}

void CShortcut::FixShortcuts() {
    m_fixed = 0;
    m_notFixed.clear();
    const std::vector<ShortcutBackupEntry> backedUp = std::move(m_backedUp);
    m_backedUp.clear();
    // By path, the first backup of each, so that a repair of many shortcuts stays linear.
    std::unordered_map<std::string_view, const ShortcutBackupEntry*> byPath;
    for (const auto& backed : backedUp) byPath.emplace(backed.path, &backed);
    for (const std::string& entry : m_missing) {
        reportProgress(entry, kFixingShortcutsTitle, 0, 0);
        if (entry.empty()) continue;  // the user kept it
        const auto backup = byPath.find(entry);
        if (Status deleted = DeleteBackedUpShortcut(entry, backup != byPath.end() ? backup->second : nullptr);
            !deleted) {
            m_notFixed.push_back({entry, deleted.error().message()});
            continue;
        }
        ++m_fixed;
    }
}

Status CShortcut::DeleteBackedUpShortcut(const std::string& path, const ShortcutBackupEntry* backup) {
    if (backup == nullptr) return Error(path + ": not deleted, as no backup holds it");
    // What goes must be what the backup holds: a file rewritten since would be lost.
    const MachineFileRead now = ReadMachineFile(m_machine, path, kMaxShortcutBackupDataBytes);
    if (!now.bytes) return Error(now.error);
    if (*now.bytes != backup->bytes) return Error(path + ": not deleted, as it changed since it was backed up");

    FileSystem& files = m_machine.files();
    const DWORD attributes = files.GetFileAttributesA(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !files.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL))
        return Error(path + ": not deleted, as its read-only attribute could not be cleared");
    if (files.DeleteFileA(path.c_str())) return {};
    // Left as it was found.
    if (readOnly) files.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    return Error(path + ": could not be deleted");
}

}  // namespace brindle
