// The repair: removes the problems of the last scan from the registry, one pass per
// category, recording each key or value in the snapshot file before it goes.
//
// Every problem is taken by the pass of its own category only, so each row's fixed count
// says what happened to that category's problems and nothing else.
#include "scan/RepairEngine.h"

#include <array>
#include <cstdio>
#include <utility>

#include "platform/AsciiText.h"
#include "registry/KeyHandle.h"
#include "registry/RegistryAddress.h"
#include "registry/XmlElement.h"

namespace brindle {

using namespace win;

namespace {

constexpr const char* kSnapshotRootElement = "registry";

// How the root, sub-key and value name are joined in the progress text of a value problem.
enum class DetailSeparator { LineFeed, Backslash };
// When a key problem is reported: value problems are always reported before their deletion.
enum class KeyReport { AfterDeletion, BeforeDeletion };

struct RepairPass {
    ScanCategory category;  // gives the tag the pass takes and the row it writes
    std::string_view keyCaption;
    std::string_view valueCaption;
    DetailSeparator separator;
    KeyReport keyReport;
};

// In the order FixProblems runs them.
constexpr std::array<RepairPass, 9> kRepairPasses{{
    {ScanCategory::COM, "Fixing CLSID ", "Fixing CLSID ", DetailSeparator::LineFeed, KeyReport::AfterDeletion},
    {ScanCategory::HELP, "Fixing Help Files ", "Fixing Help Files ", DetailSeparator::Backslash,
     KeyReport::AfterDeletion},
    {ScanCategory::FONTS, "Fixing fonts ", "Fixing fonts ", DetailSeparator::LineFeed, KeyReport::AfterDeletion},
    {ScanCategory::SHARED_TOOLS, "Fixing Shared tools ", "Fixing Shared Tools ", DetailSeparator::LineFeed,
     KeyReport::BeforeDeletion},
    {ScanCategory::COM_SUBS, "Fixing Shared files ", "Fixing Shared files ", DetailSeparator::LineFeed,
     KeyReport::AfterDeletion},
    {ScanCategory::DRV, "Fixing Drivers ", "Fixing Drivers ", DetailSeparator::LineFeed, KeyReport::AfterDeletion},
    {ScanCategory::APPPATH, "Fixing App Paths ", "Fixing App Paths ", DetailSeparator::LineFeed,
     KeyReport::AfterDeletion},
    {ScanCategory::STARTUP, "Fixing Startup Entries ", "Fixing Startup Entries ", DetailSeparator::LineFeed,
     KeyReport::AfterDeletion},
    {ScanCategory::UNINSTALL, "Fixing Uninstall Entries ", "Fixing Uninstall Entries ", DetailSeparator::LineFeed,
     KeyReport::AfterDeletion},
}};

const RepairPass& PassFor(ScanCategory category) {
    for (const RepairPass& pass : kRepairPasses) {
        if (pass.category == category) return pass;
    }
    return kRepairPasses.front();  // unreachable: every registry category has a pass
}

// The value listing calls the unnamed value "(Default)"; the registry knows it by the
// empty name, and a value really named "(Default)" cannot be told apart from it there.
std::string_view RegistryNameOf(const RegistryValue& value) {
    return value.name == kDefaultValueName ? std::string_view() : std::string_view(value.name);
}

// What one deletion adds to a pass's count: a refusal counts against it, so a row that
// ends below zero tells the user access was denied; "not found" and other failures are
// neutral.
std::int32_t CountChange(LONG status) {
    if (status == ERROR_SUCCESS) return 1;
    if (status == ERROR_ACCESS_DENIED) return -1;
    return 0;
}

class PassRunner {
public:
    PassRunner(RepairEngine& lib, const RepairPass& pass)
        : m_lib(lib),
          m_pass(pass),
          m_tagKey(ToUpperAscii(InfoOf(pass.category).tag)),
          m_addresses(lib.machine().registry()) {}

    void run(std::vector<ScanSummary>& summaries) {
        const auto& problems = m_lib.problems();
        for (std::size_t index = 0; index < problems.size(); ++index) {
            if (problems[index] && ToUpperAscii(problems[index]->tag()) == m_tagKey) repair(index, *problems[index]);
        }
        const std::string_view title = InfoOf(m_pass.category).summaryTitle;
        for (ScanSummary& row : summaries) {
            if (row.title == title) row.fixed = m_fixed;
        }
    }

private:
    void repair(std::size_t index, const ProblemRecord& problem) {
        std::string subKey = problem.keyPath();
        const std::string root = RepairEngine::SeperateMainKey(subKey);
        if (problem.kind() == kKindKey) {
            repairKey(index, problem, root, subKey);
        } else {
            repairValue(index, problem, root, subKey);
        }
    }

    // Whether the key, or the value in it, that the scan saw is the one its name reaches
    // now; when it is not, the problem stays in place with the reason noted.
    bool addressable(std::size_t index, const std::string& root, const std::string& subKey,
                     const RegistryValue* value) {
        const auto [openPath, keyName] = value != nullptr ? std::pair(subKey, std::string()) : SplitLastName(subKey);
        KeyHandle key(m_lib.machine().registry());
        // A key that cannot be opened any more is left to the deletion, which says so.
        if (m_lib.OpenKey(root, openPath, key.out()) != ERROR_SUCCESS) return true;
        const std::string openKeyPath = root + "\\" + openPath;
        const std::string reason =
            value != nullptr ? m_addresses.whyValueIsNotAddressable(openKeyPath, key.get(), RegistryNameOf(*value))
                             : m_addresses.whySubKeyIsNotAddressable(openKeyPath, key.get(), keyName);
        if (reason.empty()) return true;
        m_lib.noteUnrepaired(index, reason);
        return false;
    }

    // "A\\B\\C" as the path of its parent and its own name.
    static std::pair<std::string, std::string> SplitLastName(const std::string& subKey) {
        const auto slash = subKey.rfind('\\');
        if (slash == std::string::npos) return {std::string(), subKey};
        return {subKey.substr(0, slash), subKey.substr(slash + 1)};
    }

    void repairKey(std::size_t index, const ProblemRecord& problem, const std::string& root,
                   const std::string& subKey) {
        const std::string detail = root + "\n" + subKey;
        // A key problem must name a key below a root: an empty path is one the user
        // unticked, and a bare root is never ours to snapshot whole or delete.
        const bool deletable = !subKey.empty() && addressable(index, root, subKey, nullptr);
        if (m_pass.keyReport == KeyReport::BeforeDeletion) report(detail, m_pass.keyCaption);
        if (deletable) {
            m_lib.SaveKeyToXml(m_lib.snapshotWriter(), problem.keyPath(), nullptr);
            const LONG status = m_lib.DeleteKey(root, subKey);
            if (status == ERROR_SUCCESS) {
                const auto [parentPath, keyName] = SplitLastName(subKey);
                m_addresses.subKeyDeleted(root + "\\" + parentPath, keyName);
            }
            m_fixed += CountChange(status);
        }
        if (m_pass.keyReport == KeyReport::AfterDeletion) report(detail, m_pass.keyCaption);
    }

    void repairValue(std::size_t index, const ProblemRecord& problem, const std::string& root,
                     const std::string& subKey) {
        const RegistryValue* value = problem.value();
        const std::string valueName = value != nullptr ? value->name : std::string();
        const char separator = m_pass.separator == DetailSeparator::Backslash ? '\\' : '\n';
        const std::string detail = root + separator + subKey + separator + valueName;
        // Without its value record a value problem names no value; deleting the empty
        // name would take the key's unnamed value instead.
        const bool deletable =
            !problem.keyPath().empty() && value != nullptr && addressable(index, root, subKey, value);
        if (deletable) m_lib.SaveKeyToXml(m_lib.snapshotWriter(), problem.keyPath(), value);
        report(detail, m_pass.valueCaption);
        if (!deletable) return;
        const LONG status = m_lib.DeleteValue(root, subKey, RegistryNameOf(*value));
        if (status == ERROR_SUCCESS) m_addresses.valueDeleted(root + "\\" + subKey, RegistryNameOf(*value));
        m_fixed += CountChange(status);
    }

    void report(const std::string& detail, std::string_view caption) {
        if (m_lib.progressCallback) m_lib.progressCallback(detail, std::string(caption), 0, 0);
    }

    RepairEngine& m_lib;
    const RepairPass& m_pass;
    const std::string m_tagKey;
    AddressCheck m_addresses;
    std::int32_t m_fixed = 0;
};

void RunPass(RepairEngine& lib, ScanCategory category, std::vector<ScanSummary>& summaries) {
    PassRunner(lib, PassFor(category)).run(summaries);
}

}  // namespace

RepairEngine::RepairEngine(Machine& machine, const std::filesystem::path& workFolder)
    : RegistryScanners(machine, workFolder) {}

RepairEngine::~RepairEngine() = default;

void RepairEngine::FixProblems(std::vector<ScanSummary>& summaries, const std::string& snapshotFileName) {
    // A snapshot that cannot be written does not hold the repair back: the writer's
    // failures are ignored and the deletions go ahead.
    m_unrepaired.clear();
    XmlWriter& writer = snapshotWriter();
    writer.SetFileName(snapshotFileName);
    const XmlElement root(kSnapshotRootElement);
    root.WriteStart(writer, 1);
    for (const RepairPass& pass : kRepairPasses) RunPass(*this, pass.category, summaries);
    root.WriteEnd(writer, -1);
    // The writer creates its file only where no file was; one that was there already is
    // someone else's, and stays.
    const bool created = writer.isOpen();
    writer.Close();
    // The snapshot only has to outlive the deletions it records.
    if (created) std::remove(snapshotFileName.c_str());
}

void RepairEngine::FixClsid(std::vector<ScanSummary>& summaries) { RunPass(*this, ScanCategory::COM, summaries); }

void RepairEngine::FixHelpFiles(std::vector<ScanSummary>& summaries) {
    RunPass(*this, ScanCategory::HELP, summaries);
}

void RepairEngine::FixFonts(std::vector<ScanSummary>& summaries) { RunPass(*this, ScanCategory::FONTS, summaries); }

void RepairEngine::FixSharedTools(std::vector<ScanSummary>& summaries) {
    RunPass(*this, ScanCategory::SHARED_TOOLS, summaries);
}

void RepairEngine::FixSharedFiles(std::vector<ScanSummary>& summaries) {
    RunPass(*this, ScanCategory::COM_SUBS, summaries);
}

void RepairEngine::FixDrivers(std::vector<ScanSummary>& summaries) { RunPass(*this, ScanCategory::DRV, summaries); }

void RepairEngine::FixAppPaths(std::vector<ScanSummary>& summaries) {
    RunPass(*this, ScanCategory::APPPATH, summaries);
}

void RepairEngine::FixStartup(std::vector<ScanSummary>& summaries) {
    RunPass(*this, ScanCategory::STARTUP, summaries);
}

void RepairEngine::FixUninstall(std::vector<ScanSummary>& summaries) {
    RunPass(*this, ScanCategory::UNINSTALL, summaries);
}

}  // namespace brindle
