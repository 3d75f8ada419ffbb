#include "registry/BackupWriter.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "registry/KeyHandle.h"
#include "registry/RegistryKeyPath.h"
#include "registry/RegistryValue.h"

namespace brindle {

using namespace win;

namespace {

// Exact spelling only (RootSpelling::Exact), and only the roots a backup holds.
std::optional<HKEY> BackupRootFromName(std::string_view name) {
    const auto root = RegistryRootFromName(name, RootSpelling::Exact);
    if (!root || std::find(kBackupRoots.begin(), kBackupRoots.end(), *root) == kBackupRoots.end()) return std::nullopt;
    return root;
}

// Appended rather than joined with +: GCC 12's -Wrestrict misreads libstdc++'s operator+ at -O2.
std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

// The sub-key path as the registry spells it. The scanners may give it in another letter
// case (some lower-case key names); a restore creates deleted keys by the recorded path,
// so it must carry the old spelling. The given path is kept when a step cannot be read.
std::string StoredSpelling(Registry& registry, HKEY root, const std::string& subKey) {
    std::string spelled;
    HKEY parent = root;
    bool failed = false;
    std::size_t start = 0;
    while (!failed && start <= subKey.size()) {
        const std::size_t end = std::min(subKey.find('\\', start), subKey.size());
        const std::string component = subKey.substr(start, end - start);
        HKEY child = 0;
        std::string name;
        failed = component.empty() ||
                 registry.RegOpenKeyExA(parent, component.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS;
        if (!failed) {
            failed = registry.QueryKeyName(child, name) != ERROR_SUCCESS || name.size() != component.size();
            spelled += (spelled.empty() ? "" : "\\") + name;
        }
        if (parent != root) registry.RegCloseKey(parent);
        parent = child;
        start = end + 1;
    }
    if (parent != root && parent != 0) registry.RegCloseKey(parent);
    return failed ? subKey : spelled;
}

class BackupCollector {
public:
    explicit BackupCollector(Registry& registry) : m_registry(registry) {}

    CollectedBackup collect(const std::vector<std::unique_ptr<ProblemRecord>>& problems) {
        for (std::size_t index = 0; index < problems.size(); ++index) {
            if (!problems[index] || problems[index]->keyPath().empty()) continue;
            const std::size_t leftOutBefore = m_result.leftOut.size();
            collectProblem(index, *problems[index]);
            if (m_result.leftOut.size() != leftOutBefore) m_result.incomplete.push_back(index);
        }
        return std::move(m_result);
    }

private:
    void collectProblem(std::size_t index, const ProblemRecord& problem) {
        const std::string& keyPath = problem.keyPath();
        const std::string where = "problem " + std::to_string(index + 1) + " (" + keyPath + ")";
        const auto [rootName, subKey] = RegistryKeyPath::Split(keyPath);

        const auto root = BackupRootFromName(rootName);
        if (!root) return leaveOut(where + ": the root " + Quoted(rootName) + " is not one a backup holds");
        const bool wholeKey = problem.kind() == kKindKey;
        if (!wholeKey && problem.kind() != kKindValue)
            return leaveOut(where + ": the kind " + Quoted(problem.kind()) + " is neither KEY nor VAL");
        // A repair never removes a root; backing one up whole would copy half the registry.
        if (wholeKey && subKey.empty()) return leaveOut(where + ": a whole root is not backed up");
        if (!wholeKey && problem.value() == nullptr) return leaveOut(where + ": no value is named");
        if (subKey.size() > kMaxBackupKeyPathBytes)
            return leaveOut(where + ": the key path is longer than " + std::to_string(kMaxBackupKeyPathBytes) +
                            " bytes");

        if (BackupKeyLevels(*root, subKey) > kMaxBackupKeyDepth)
            return leaveOut(where + ": the key lies deeper than the " + std::to_string(kMaxBackupKeyDepth) +
                            " levels the registry files hold");

        KeyHandle key(m_registry);
        const LONG status = m_registry.RegOpenKeyExA(*root, subKey.c_str(), 0, KEY_READ, key.out());
        if (status != ERROR_SUCCESS)
            return leaveOut(where + ": the key cannot be opened (status " + std::to_string(status) + ")");

        BackupRecord record;
        record.root = *root;
        record.path = StoredSpelling(m_registry, *root, subKey);
        if (wholeKey) {
            collectKeyContent(key.get(), keyPath, BackupKeyLevels(*root, subKey), record.content);
        } else {
            collectNamedValue(key.get(), keyPath, problem.value()->name, record.content);
        }
        m_result.records.push_back(std::move(record));
    }

    // The scanners name the unnamed value "(Default)"; a value may also carry that name
    // literally. A repair could mean either, so both are kept, in the key's order.
    void collectNamedValue(HKEY key, const std::string& keyPath, const std::string& name,
                           BackupKeyContent& content) {
        const ListedValues& listed = listValues(key, keyPath);
        for (const std::string& failure : listed.failures) leaveOut(failure);
        std::vector<const ListedValue*> chosen;
        const auto take = [&](const std::string& wanted) {
            const auto found = listed.byName.find(wanted);
            if (found == listed.byName.end()) return;
            for (const ListedValue& value : found->second) chosen.push_back(&value);
        };
        take(name);
        if (name == kDefaultValueName) take(std::string());
        std::sort(chosen.begin(), chosen.end(),
                  [](const ListedValue* a, const ListedValue* b) { return a->position < b->position; });
        for (const ListedValue* value : chosen) content.values.push_back(value->value);
    }

    // A repair may take a hundred thousand values from one key: the key is listed once
    // for all the problems in it that come one after another, not once for each.
    struct ListedValue {
        std::size_t position;
        BackupValue value;
    };
    struct ListedValues {
        std::string keyPath;
        std::unordered_map<std::string, std::vector<ListedValue>> byName;
        std::vector<std::string> failures;
    };

    const ListedValues& listValues(HKEY key, const std::string& keyPath) {
        if (m_listed && m_listed->keyPath == keyPath) return *m_listed;
        m_listed.emplace();
        m_listed->keyPath = keyPath;
        const std::size_t leftOutBefore = m_result.leftOut.size();
        std::size_t position = 0;
        forEachValue(key, keyPath, [&](BackupValue&& value) {
            auto& sameName = m_listed->byName[value.name];
            sameName.push_back({position++, std::move(value)});
        });
        // Kept aside and given to every problem of this key, as a listing per problem would.
        m_listed->failures.assign(std::make_move_iterator(m_result.leftOut.begin() + leftOutBefore),
                                  std::make_move_iterator(m_result.leftOut.end()));
        m_result.leftOut.resize(leftOutBefore);
        return *m_listed;
    }

    // depth: how deep the key lies in its registry file (BackupKeyLevels).
    void collectKeyContent(HKEY key, const std::string& keyPath, std::size_t depth, BackupKeyContent& content) {
        forEachValue(key, keyPath, [&](BackupValue&& value) { content.values.push_back(std::move(value)); });

        std::array<char, kMaxBackupSubKeyNameBytes + 1> name{};
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            const LONG status =
                m_registry.RegEnumKeyExA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status == ERROR_MORE_DATA) {
                leaveOut(keyPath + ": sub-key " + std::to_string(index) + " has a name longer than " +
                         std::to_string(kMaxBackupSubKeyNameBytes) + " bytes");
                continue;
            }
            if (status != ERROR_SUCCESS) {
                leaveOut(keyPath + ": listing its sub-keys stopped at " + std::to_string(index) + " (status " +
                         std::to_string(status) + ")");
                break;
            }
            BackupSubKey subKey;
            subKey.name.assign(name.data(), nameLength);
            const std::string subKeyPath = keyPath + "\\" + subKey.name;
            if (depth >= kMaxBackupKeyDepth) {
                leaveOut(subKeyPath + ": nested deeper than the " + std::to_string(kMaxBackupKeyDepth) +
                         " levels the registry files hold");
                continue;
            }
            KeyHandle child(m_registry);
            const LONG openStatus = m_registry.RegOpenKeyExA(key, subKey.name.c_str(), 0, KEY_READ, child.out());
            if (openStatus != ERROR_SUCCESS) {
                leaveOut(subKeyPath + ": cannot be opened (status " + std::to_string(openStatus) + ")");
                continue;
            }
            collectKeyContent(child.get(), subKeyPath, depth + 1, subKey.content);
            content.subKeys.push_back(std::move(subKey));
        }
    }

    template <typename Visit>
    void forEachValue(HKEY key, const std::string& keyPath, Visit&& visit) {
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = static_cast<DWORD>(m_name.size());
            DWORD dataLength = static_cast<DWORD>(m_data.size());
            DWORD type = REG_NONE;
            const LONG status = m_registry.RegEnumValueA(key, index, m_name.data(), &nameLength, nullptr, &type,
                                                         m_data.data(), &dataLength);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status == ERROR_MORE_DATA) {
                leaveOut(keyPath + ": value " + std::to_string(index) + " has a name longer than " +
                         std::to_string(kMaxBackupValueNameBytes) + " bytes or data longer than " +
                         std::to_string(kMaxBackupValueDataBytes) + " bytes");
                continue;
            }
            if (status != ERROR_SUCCESS) {
                leaveOut(keyPath + ": listing its values stopped at " + std::to_string(index) + " (status " +
                         std::to_string(status) + ")");
                break;
            }
            BackupValue value;
            value.name.assign(m_name.data(), nameLength);
            value.type = type;
            value.data.assign(reinterpret_cast<const char*>(m_data.data()), dataLength);
            visit(std::move(value));
        }
    }

    void leaveOut(std::string message) { m_result.leftOut.push_back(std::move(message)); }

    Registry& m_registry;
    CollectedBackup m_result;
    std::optional<ListedValues> m_listed;
    std::vector<char> m_name = std::vector<char>(kMaxBackupValueNameBytes + 1);
    std::vector<BYTE> m_data = std::vector<BYTE>(kMaxBackupValueDataBytes);
};

}  // namespace

bool NeedsBackup(const std::vector<std::unique_ptr<ProblemRecord>>& problems) {
    for (const auto& problem : problems) {
        if (problem && !problem->keyPath().empty()) return true;
    }
    return false;
}

CollectedBackup CollectBackup(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems) {
    return BackupCollector(registry).collect(problems);
}

}  // namespace brindle
