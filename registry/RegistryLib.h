// CRegistryLib: the program's façade over the machine's registry. It names keys in text,
// opens them, lists their values as text and deletes keys and values; it owns the
// problem list the scanners fill and the ignore list that keeps problems out of it.
//
// One object is used by one thread at a time. It works on the machine it is given.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "platform/NamedEvents.h"
#include "registry/RegistryValue.h"
#include "registry/XmlReader.h"
#include "registry/XmlWriter.h"
#include "scan/ProblemRecord.h"
#include "scan/ScanTypes.h"

namespace brindle {

inline constexpr const char* kIgnoreListFile = "ignore.lst";

class CRegistryLib {
public:
    // Loads the ignore list from "ignore.lst" in the current directory.
    explicit CRegistryLib(Machine& machine);
    virtual ~CRegistryLib();
    CRegistryLib(const CRegistryLib&) = delete;
    CRegistryLib& operator=(const CRegistryLib&) = delete;

    // --- Key paths and keys ---

    // Returns the root name of `path` and leaves the remainder below the root in it.
    static std::string SeperateMainKey(std::string& path);
    // The predefined handle of one of the five full root names, any letter case.
    static std::optional<win::HKEY> RootKeyFromName(std::string_view rootName);

    win::LONG OpenKey(std::string_view rootName, std::string_view subKey, win::HKEY* result);
    win::LONG DeleteKey(std::string_view rootName, std::string_view subKey);
    win::LONG DeleteKeyTree(win::HKEY parent, std::string_view subKey);
    win::LONG DeleteValue(std::string_view rootName, std::string_view subKey, std::string_view valueName);
    // Appends one record per value of the key, always with exactly one "(Default)"
    // record when the key has at most one unnamed value.
    void GetKeyValues(win::HKEY key, std::vector<RegistryValue>& list);
    std::string FormatValueData(win::DWORD type, const win::BYTE* data, std::size_t length) const;
    static std::string GetTypeName(win::DWORD type);
    static win::DWORD GetTypeFromName(std::string_view name);

    // --- Ignore list ---

    void LoadIgnoreList();
    // Empty when the last load read "ignore.lst" or found none; otherwise why a list that
    // is there could not be read (then the list is empty and must not be relied on).
    const std::string& ignoreListError() const { return m_ignoreListError; }
    // 0 on success, which includes a file that already holds these entries (it is not
    // written again); non-zero when the file could not be written or the last load
    // could not read it, which leaves the file as it was.
    int SaveIgnoreList();
    bool IsIgnored(std::string_view path) const;
    // Slots may be null after the user removed an entry; null slots are passed over.
    std::vector<std::unique_ptr<ProblemRecord>>& ignoreList() { return m_ignoreList; }

    // --- Messages ---

    // Shows a message to the user ("couldn't create key ..."); the windowed program installs
    // a message box, the command-line tool prints to standard error. Unset: not shown.
    using MessageDisplay = std::function<void(const std::string& message)>;
    MessageDisplay messageDisplay;

    // --- Snapshot file: the XML record of what a repair deletes, and its import ---

    // One open level of the key nest an import is inside.
    struct SnapshotKeyEntry {
        std::string name;
        win::HKEY handle = 0;  // 0 when the key could not be opened
    };

    // The writer the repair appends its snapshot to.
    XmlWriter& snapshotWriter() { return m_snapshotWriter; }
    // Writes the nest of "k" elements of keyPath and, inside it, the key's content: only
    // `value` (and the sub-keys) when it is given, else every value. False, with nothing
    // written, when the path is empty or the key cannot be opened.
    bool SaveKeyToXml(XmlWriter& writer, const std::string& keyPath, const RegistryValue* value);
    // The content of an open key, enclosed in its own "k" element when name is not empty.
    bool SaveKeyContent(XmlWriter& writer, const std::string& name, win::HKEY key, const RegistryValue* value);
    // Writes the keys and values of a snapshot file back into the registry. False when a
    // key could not be created or the file could not be read.
    bool LoadAsXml(XmlReader& reader, const std::string& fileName);
    win::HKEY LoadAsXml_OpenKey(std::vector<SnapshotKeyEntry>& stack);
    // False, with the message shown, when the value could not be set.
    bool LoadAsXml_SetValue(win::HKEY key, const std::string& name, const std::string& text,
                            const std::string& typeName);
    static std::vector<win::BYTE> ParseValueData(std::string_view text, win::DWORD type);
    // Entities for &, ", <, ' and > (the reader would end a value at the last two), then
    // ANSI to UTF-8 (and back) through the machine's code page.
    std::string EscapeXmlText(std::string_view text) const;
    std::string UnescapeXmlText(std::string_view text) const;

    // --- Repair ---

    // Removes every problem of the list whose key path is not empty, each by the pass of
    // its own category, appending what it deletes to the snapshot file first; writes each
    // pass's count into the summary rows titled like its category. The snapshot file is
    // deleted at the end.
    void FixProblems(std::vector<ScanSummary>& summaries, const std::string& snapshotFileName);
    // A problem the last repair left in place because the registry could not be asked
    // for exactly the key or value the scan saw (see RegistryAddress.h).
    struct UnrepairedProblem {
        std::size_t index;  // in problems()
        std::string reason;
    };
    const std::vector<UnrepairedProblem>& unrepaired() const { return m_unrepaired; }
    void noteUnrepaired(std::size_t index, std::string reason) { m_unrepaired.push_back({index, std::move(reason)}); }
    void FixClsid(std::vector<ScanSummary>& summaries);
    void FixHelpFiles(std::vector<ScanSummary>& summaries);
    void FixFonts(std::vector<ScanSummary>& summaries);
    void FixSharedTools(std::vector<ScanSummary>& summaries);
    void FixSharedFiles(std::vector<ScanSummary>& summaries);
    void FixDrivers(std::vector<ScanSummary>& summaries);
    void FixAppPaths(std::vector<ScanSummary>& summaries);
    void FixStartup(std::vector<ScanSummary>& summaries);
    void FixUninstall(std::vector<ScanSummary>& summaries);

    // --- Scanning ---

    ScanProgressCallback progressCallback;

    void ScanRegistry(std::vector<ScanSummary>& summaries, ScanSelection& selection);
    // Whether ScanRegistry runs a scanner for the category (shortcuts have their own).
    static bool HasScanner(ScanCategory category);
    void ScanClsid(std::vector<ScanSummary>& summaries);
    void ScanSharedDlls(std::vector<ScanSummary>& summaries);
    void ScanDrivers(std::vector<ScanSummary>& summaries);
    void ScanHelpFiles(std::vector<ScanSummary>& summaries);
    void ScanAppPaths(std::vector<ScanSummary>& summaries);
    void ScanSharedTools(std::vector<ScanSummary>& summaries);
    void ScanFonts(std::vector<ScanSummary>& summaries);
    void ScanStartup(std::vector<ScanSummary>& summaries);
    void ScanUninstall(std::vector<ScanSummary>& summaries);
    // -1 when the path is missing and not ignored, else 0. Only "no such file or
    // folder" is missing: a look-up that failed for another reason cannot judge.
    int IsFileMissing(const std::string& path, int mode);

    std::size_t problemCount() const { return m_problems.size(); }
    const ProblemRecord& problem(std::size_t index) const { return *m_problems.at(index); }
    std::vector<std::unique_ptr<ProblemRecord>>& problems() { return m_problems; }
    const std::string& currentItem() const { return m_currentItem; }
    bool legacyPlatform() const { return m_legacyPlatform; }
    Machine& machine() { return m_machine; }

private:
    struct ScanCounts {
        std::int32_t scanned = 0;
        std::int32_t found = 0;
    };
    // Handles one value record of a scanner; subKeyName is empty for scanners that read
    // the values of their base key itself.
    using ValueVisitor =
        std::function<void(const std::string& subKeyName, const RegistryValue& value, ScanCounts& counts)>;

    bool stopRequested() const;
    // The course every scanner but the COM one follows: stop poll at entry, base key
    // opened, values taken with a stop poll before each record, one row at the end.
    // Scanners of one key's values still make a row when the key cannot be opened;
    // scanners of sub-keys make none.
    void scanKeyValues(ScanCategory category, std::string_view baseKeyPath, std::vector<ScanSummary>& summaries,
                       const ValueVisitor& visit);
    void scanSubKeyValues(ScanCategory category, std::string_view baseKeyPath,
                          const std::function<bool(std::string_view subKeyName)>& takeSubKey,
                          std::vector<ScanSummary>& summaries, const ValueVisitor& visit);
    void visitValues(win::HKEY key, const std::string& subKeyName, ScanCounts& counts, const ValueVisitor& visit);
    // Where else the machine's Windows would find the file of a path that is missing.
    using ElsewhereProbe = std::function<PathProbe()>;
    // Tests the path (and, when it is missing, the other places), records a problem
    // when the file is in none of them, then reports progress.
    void testPath(ScanCategory category, std::string keyPath, const RegistryValue& value, const std::string& path,
                  ScanCounts& counts, const ElsewhereProbe& elsewhere = {});
    void addProblem(ScanCategory category, std::string keyPath, const RegistryValue& value, std::string filePath);
    void reportProgress(const std::string& item, ScanCategory category, std::int32_t scanned, std::int32_t found);
    // Whether a class key also has a 32-bit server whose file exists (see ScanClsid).
    bool hasWorking32BitServer(win::HKEY classKey);

    Machine& m_machine;
    Registry& m_registry;
    XmlWriter m_snapshotWriter;
    EventHandle m_stopEvent;
    std::string m_currentItem;
    std::vector<std::unique_ptr<ProblemRecord>> m_problems;
    std::vector<std::unique_ptr<ProblemRecord>> m_ignoreList;
    std::vector<UnrepairedProblem> m_unrepaired;
    std::string m_ignoreListError;
    bool m_legacyPlatform;
};

}  // namespace brindle
