// CShortcut: finds shell shortcuts (.lnk) on the machine's fixed drives whose target
// file is gone, and deletes those shortcut files on request. It keeps its own list and
// counters, answers to the stop event and reports progress; the ignore list plays no
// part here.
//
// One object is used by one thread at a time. It works on the machine it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Machine.h"
#include "platform/NamedEvents.h"
#include "platform/Result.h"
#include "registry/ShortcutBackup.h"
#include "scan/ScanTypes.h"
#include "scan/StopRequest.h"

namespace brindle {

inline constexpr const char* kShortcutFilePattern = "*.lnk";
inline constexpr const char* kFolderSearchPattern = "\\*.*";
inline constexpr const char* kDriveNameFormat = "%c%c";
inline constexpr const char* kScanningShortcutsTitle = "Scanning ShortCuts";
// Spelled as the status line has always shown it.
inline constexpr const char* kSearchingFolderTitle = "Searching Dir For Shorcuts";
inline constexpr const char* kFixingShortcutsTitle = "Fixing ShortCuts";

// How deep RecurseFolder goes below a drive's root. Windows stops far earlier, where a
// path outgrows MAX_PATH; the host has no such limit, and each level costs stack.
inline constexpr int kMaxFolderDepth = 512;

// ResolveLinkFile's result codes, as COM would give them.
inline constexpr std::int32_t kShortcutResolved = 0;                                   // S_OK
inline constexpr std::int32_t kShortcutUnreadable = static_cast<std::int32_t>(0x80004005u);  // E_FAIL

class CShortcut {
public:
    explicit CShortcut(Machine& machine);
    CShortcut(const CShortcut&) = delete;
    CShortcut& operator=(const CShortcut&) = delete;

    // May be empty.
    ScanProgressCallback progressCallback;
    // Polled beside the stop event; unset: the event alone stops the walk.
    const StopRequest* stopRequest = nullptr;
    // May be empty. A shortcut it names is not listed although its target is gone: the
    // user kept it once, and kept entries are not reported again.
    std::function<bool(const std::string& path)> isIgnored;

    // Walks every fixed drive and fills the missing list, from empty.
    void ScanShortcuts();
    // Examines the shortcuts of each folder below folder ("C:" or "C:\a"), depth first.
    // The shortcuts directly in folder itself are not examined.
    void RecurseFolder(const std::string& folder);
    void SearchLinkFileAndResolve(const std::string& folder);
    // Counts and examines one shortcut; lists it when its target is gone.
    std::int32_t ResolveLinkFile(const std::string& path);
    // Deletes each listed shortcut file that the backup handed to setBackedUp holds,
    // and only while its bytes are still those; every other non-empty entry is listed
    // in notFixed with the reason. A read-only file is made writable for the deletion
    // and read-only again when the deletion fails. The list stays as it is; the backup
    // serves this one repair.
    void FixShortcuts();

    // Full Windows paths of the shortcuts whose target is gone, in the order found. The
    // result screen may empty an entry to keep that file.
    std::size_t missingCount() const { return m_missing.size(); }
    std::string& missing(std::size_t index) { return m_missing.at(index); }
    const std::vector<std::string>& missingList() const { return m_missing; }
    void clearMissing() { m_missing.clear(); }

    std::int32_t scanned() const { return m_scanned; }
    std::int32_t fixed() const { return m_fixed; }
    std::int32_t found() const { return m_found; }

    // The shortcuts whose bytes are in a backup on disk now; FixShortcuts deletes no other.
    void setBackedUp(std::vector<ShortcutBackupEntry> entries) { m_backedUp = std::move(entries); }
    // The listed shortcuts the last FixShortcuts did not delete, in list order.
    const std::vector<ShortcutProblem>& notFixed() const { return m_notFixed; }

private:
    // Whether the folder is a Wine prefix's own (system.reg beside dosdevices/).
    bool isOtherPrefix(const std::string& folder);
    bool stopRequested() const;
    void reportProgress(const std::string& item, const char* title, std::int32_t scanned, std::int32_t found);
    // False when the folder was entered before in this scan (a link led back to it).
    bool enterOnce(const FileIdentity& identity);
    // A failure says why the shortcut was not deleted, naming it. backup is the one that
    // holds the file, or null when none does.
    Status DeleteBackedUpShortcut(const std::string& path, const ShortcutBackupEntry* backup);

    Machine& m_machine;
    EventHandle m_stopEvent;
    std::vector<std::string> m_missing;
    std::int32_t m_scanned = 0;
    std::int32_t m_fixed = 0;
    std::int32_t m_found = 0;
    // Folders entered during one ScanShortcuts: Wine links the user's folders to the
    // host's, so a link may lead back to a folder already walked, or above it.
    std::unordered_set<FileIdentity, FileIdentityHash> m_enteredFolders;
    int m_depth = 0;
    std::vector<ShortcutBackupEntry> m_backedUp;
    std::vector<ShortcutProblem> m_notFixed;
};

}  // namespace brindle
