// brindle-cli fix and restore on a real 64-bit Wine prefix whose 32-bit programs were
// broken (tests/data/wine/wow64-programs): the stale entries of both views go, the intact
// 32-bit program keeps every entry, the links between the views stay links, and the
// restore brings back exactly what was there.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/RegistryView.h"
#include "support/FreshWinePrefix.h"
#include "support/OpenOrError.h"
#include "support/RegistryDump.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

using namespace win;

// Where a program of the view reaches subKey, or why it cannot.
std::string Reach(Machine& machine, ProgramView view, HKEY root, const char* subKey) {
    HKEY key = 0;
    ViewKey where;
    const LONG status = OpenKeyInView(machine.registry(), view, root, subKey, &key, &where);
    if (status != ERROR_SUCCESS) return "status " + std::to_string(status);
    machine.registry().RegCloseKey(key);
    return where.realPath;
}

class Wow64ProgramsFixTest : public ::testing::Test {
protected:
    test::ProgramResult cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--prefix", fixture.prefix().string()});
        return test::RunProgram(BRINDLE_CLI_PATH, std::move(arguments), work.path());
    }

    test::FreshWinePrefix fixture{"wow64-programs"};
    test::TemporaryFolder work;
};

TEST_F(Wow64ProgramsFixTest, RemovesTheStaleEntriesOfBothViewsKeepsTheIntactProgramAndRestoresAll) {
    const std::string before = test::DumpPrefixRegistry(fixture.prefix());
    const auto scanned = cli({"scan", "--json"});
    ASSERT_EQ(scanned.exitCode, 1) << scanned.err;
    const auto listed = nlohmann::json::parse(scanned.out)["problems"];
    std::size_t of32BitView = 0;
    for (const auto& problem : listed) of32BitView += problem["view"] == "32";
    EXPECT_EQ(of32BitView, 12u) << listed;

    const auto fixed = cli({"fix", "--yes", "--json"});
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err << fixed.out;
    EXPECT_EQ(nlohmann::json::parse(fixed.out)["outcome"], "removed") << fixed.out;
    const auto after = nlohmann::json::parse(cli({"scan", "--json"}).out);
    EXPECT_EQ(after["problems"].size(), 0u) << after["problems"];

    std::string error;
    auto machine = test::OpenWinePrefix(fixture.prefix(), error);
    ASSERT_NE(machine, nullptr) << error;
    // The intact clock's entries, in the 32-bit view where its installer wrote them.
    const struct {
        HKEY root;
        const char* subKey;
        const char* value;
    } kept[] = {
        {HKEY_CLASSES_ROOT, "CLSID\\{5E1B7C42-0A8D-4C3B-9F61-2D7A4E0B9C13}\\InprocServer32", ""},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Brindle Test Clock Daemon"},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Brindle Test Clock Helper"},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32", "msacm.btclk"},
    };
    for (const auto& entry : kept) {
        HKEY key = 0;
        ASSERT_EQ(OpenKeyInView(machine->registry(), ProgramView::Wow64, entry.root, entry.subKey, &key), ERROR_SUCCESS)
            << entry.subKey;
        EXPECT_EQ(machine->registry().RegQueryValueExA(key, entry.value, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS)
            << entry.subKey << " : " << entry.value;
        machine->registry().RegCloseKey(key);
    }
    // The 32-bit App Paths is still a link to the 64-bit key the stale entries were removed from.
    EXPECT_EQ(Reach(*machine, ProgramView::Wow64, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"),
              "\\Registry\\Machine\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths");
    machine.reset();

    const auto restored = cli({"restore", "--latest"});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(test::DumpPrefixRegistry(fixture.prefix()), before);
}

}  // namespace
}  // namespace brindle
