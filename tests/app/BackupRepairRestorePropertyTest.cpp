// For any registry and any list of problems in it, a repair followed by the restore of
// the newest backup gives back the registry it started from.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <map>
#include <set>

#include "app/WorkflowTestMachine.h"
#include "app/workflow/FixSelected.h"
#include "app/workflow/RestoreLatestBackup.h"
#include "support/RegistryDump.h"

namespace brindle {
namespace {

struct GeneratedValue {
    std::string name;  // "" for the unnamed value
    win::DWORD type;
    std::string data;
};

struct GeneratedKey {
    std::string path;  // below HKEY_LOCAL_MACHINE\Software\Prop
    std::vector<GeneratedValue> values;
};

struct GeneratedProblem {
    std::size_t key;     // index into the keys
    bool wholeKey;
    bool lowerCasePath;  // some scanners give key names in lower case
    std::size_t value;   // index into the key's values, for a value problem; past the end names "(Default)"
    std::size_t category;
};

rc::Gen<std::string> NameGen() {
    // Few distinct names, so that paths nest and repeat.
    return rc::gen::element<std::string>("a", "b", "Run", "x y", "&<\"", "\xe9t\xe9");
}

rc::Gen<GeneratedValue> ValueGen() {
    return rc::gen::build<GeneratedValue>(
        rc::gen::set(&GeneratedValue::name, rc::gen::oneOf(rc::gen::just(std::string()), NameGen())),
        rc::gen::set(&GeneratedValue::type,
                     rc::gen::elementOf(std::vector<win::DWORD>{win::REG_SZ, win::REG_EXPAND_SZ, win::REG_BINARY,
                                                                   win::REG_DWORD, win::REG_MULTI_SZ, win::REG_QWORD,
                                                                   win::REG_NONE})),
        rc::gen::set(&GeneratedValue::data, rc::gen::container<std::string>(rc::gen::arbitrary<char>())));
}

rc::Gen<GeneratedKey> KeyGen() {
    return rc::gen::build<GeneratedKey>(
        rc::gen::set(&GeneratedKey::path,
                     rc::gen::map(rc::gen::mapcat(rc::gen::inRange<std::size_t>(1, 4),
                                                 [](std::size_t depth) {
                                                     return rc::gen::container<std::vector<std::string>>(depth,
                                                                                                         NameGen());
                                                 }),
                                  [](const std::vector<std::string>& parts) {
                                      std::string path;
                                      for (const auto& part : parts) path += (path.empty() ? "" : "\\") + part;
                                      return path;
                                  })),
        rc::gen::set(&GeneratedKey::values, rc::gen::container<std::vector<GeneratedValue>>(ValueGen())));
}

// The registry categories that the scanners fill, with the tags they give.
const std::vector<ScanCategoryInfo>& RegistryCategories() {
    static const std::vector<ScanCategoryInfo> categories = [] {
        std::vector<ScanCategoryInfo> list;
        for (const auto& info : ScanCategories()) {
            if (!info.tag.empty()) list.push_back(info);
        }
        return list;
    }();
    return categories;
}

RC_GTEST_PROP(BackupRepairRestoreProperty, RestoringTheNewestBackupUndoesTheRepair, ()) {
    const auto keys = *rc::gen::nonEmpty(rc::gen::container<std::vector<GeneratedKey>>(KeyGen()));
    const auto problems = *rc::gen::container<std::vector<GeneratedProblem>>(rc::gen::build<GeneratedProblem>(
        rc::gen::set(&GeneratedProblem::key, rc::gen::inRange<std::size_t>(0, keys.size())),
        rc::gen::set(&GeneratedProblem::wholeKey, rc::gen::arbitrary<bool>()),
        rc::gen::set(&GeneratedProblem::lowerCasePath, rc::gen::arbitrary<bool>()),
        rc::gen::set(&GeneratedProblem::value, rc::gen::inRange<std::size_t>(0, 6)),
        rc::gen::set(&GeneratedProblem::category,
                     rc::gen::inRange<std::size_t>(0, RegistryCategories().size()))));

    test::WorkflowTestMachine machine;
    const std::string base = "HKEY_LOCAL_MACHINE\\Software\\Prop\\";
    for (const auto& key : keys) {
        machine.createKey(base + key.path);
        for (const auto& value : key.values) machine.setBytes(base + key.path, value.name, value.type, value.data);
    }
    const std::string before = test::DumpRegistry(machine.registry(), win::HKEY_LOCAL_MACHINE);

    ScanSession session(machine, machine.workFolder().path());
    std::vector<ScanSummary> rows;
    for (const auto& problem : problems) {
        const GeneratedKey& key = keys[problem.key];
        const ScanCategoryInfo& category = RegistryCategories()[problem.category];
        auto record = std::make_unique<ProblemRecord>();
        record->setTag(std::string(category.tag));
        std::string path = key.path;
        if (problem.lowerCasePath) {
            for (char& c : path) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        record->setKeyPath(base + path);
        record->setKind(problem.wholeKey ? kKindKey : kKindValue);
        std::string valueName = kDefaultValueName;
        if (problem.value < key.values.size() && !key.values[problem.value].name.empty())
            valueName = key.values[problem.value].name;
        record->setValue(RegistryValue{valueName, "", win::REG_SZ});
        record->setFilePath("C:\\missing.dll");
        session.engine().problems().push_back(std::move(record));
        rows.push_back({std::string(category.summaryTitle), 1, 1, 0});
    }
    session.summaryRows() = rows;

    const FixReport fix =
        FixSelected(session, FixSelection{}, "FixedOnProperty.xml", [] { return BackupTime{2026, 1, 2, 3, 4, 5}; });
    RC_ASSERT(fix.outcome == FixReport::Outcome::Removed);
    RC_ASSERT(fix.keptUnbackedUp.empty());

    if (problems.empty()) {
        RC_ASSERT(fix.backup.outcome == BackupResult::Outcome::NothingToBackUp);
        return;
    }
    const RestoreLatestReport restore = RestoreLatestBackup(machine, machine.workFolder().path());
    RC_ASSERT(restore.outcome == RestoreLatestReport::Outcome::Restored);
    RC_ASSERT(test::DumpRegistry(machine.registry(), win::HKEY_LOCAL_MACHINE) == before);
}

}  // namespace
}  // namespace brindle
