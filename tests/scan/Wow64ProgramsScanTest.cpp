// A real 64-bit Wine prefix with made-up 32-bit programs installed by their own 32-bit
// installers and then broken (tests/data/wine/wow64-programs): every entry Wine's own cmd
// finds nothing for, in the view of the program that wrote it, is reported, and nothing
// it finds. wine-verdicts.tsv holds cmd's answers for both views.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app/workflow/ScanSession.h"
#include "platform/AsciiText.h"
#include "support/FreshWinePrefix.h"
#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

// A file as one view's programs name it, lower-cased as Windows compares names.
using ViewedFile = std::pair<int, std::string>;

std::string Expand(Machine& machine, const std::string& text) {
    std::vector<char> expanded(1024);
    const auto needed = machine.ExpandEnvironmentStringsA(text.c_str(), expanded.data(),
                                                          static_cast<win::DWORD>(expanded.size()));
    return needed == 0 || needed > expanded.size() ? text : std::string(expanded.data());
}

// The verdicts of cmd, with each view's variables expanded as that view's cmd did.
std::map<ViewedFile, bool> ReadVerdicts(Machine& machine) {
    std::ifstream file(std::string(BRINDLE_TEST_DATA_DIR) + "/wine/wow64-programs/wine-verdicts.tsv");
    EXPECT_TRUE(file) << "cannot read wine-verdicts.tsv";
    std::map<ViewedFile, bool> verdicts;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string view, path, verdict;
        std::getline(fields, view, '\t');
        std::getline(fields, path, '\t');
        std::getline(fields, verdict, '\t');
        const int bits = std::stoi(view);
        Machine& viewMachine = machine.inView(bits == 32 ? ProgramView::Wow64 : ProgramView::Native64);
        verdicts[{bits, ToLowerAscii(Expand(viewMachine, path))}] = verdict == "MISSING";
    }
    return verdicts;
}

// The file cmd was asked about for a problem: a startup program named without a folder is
// reported in the Windows folder, where it was looked for first; cmd was asked about it in
// the system folder. Both are missing for it to be reported.
std::string VerdictPath(const ProblemRecord& problem) {
    std::string path = ToLowerAscii(problem.filePath());
    const std::string windows = "c:\\windows\\";
    if (problem.tag() == "Startup" && path.starts_with(windows) && path.find('\\', windows.size()) == std::string::npos) {
        path = windows + "system32\\" + path.substr(windows.size());
    }
    return path;
}

TEST(Wow64ProgramsScanTest, ReportsExactlyWhatEachViewsCmdFindsNothingFor) {
    test::FreshWinePrefix fixture("wow64-programs");
    const test::TemporaryFolder work;
    const test::CurrentDirectoryScope inWork(work.path());
    auto machine = fixture.open(/*withWineFonts=*/true);
    ASSERT_TRUE(machine->is64Bit());

    ScanSession session(*machine, work.path());
    session.selectAllCategories();
    ASSERT_EQ(session.RunScan().end, ScanEnd::Completed);

    const auto verdicts = ReadVerdicts(*machine);
    std::set<std::string> reported;
    for (const auto& problem : session.engine().problems()) {
        const ViewedFile file{ViewBits(problem->view()), VerdictPath(*problem)};
        const auto verdict = verdicts.find(file);
        if (verdict == verdicts.end()) {
            // cmd was asked about the programs App Paths name, not the folders their "Path"
            // values name: such a folder must be gone from the prefix.
            EXPECT_EQ(problem->value()->name, "Path") << "cmd was not asked about " << problem->filePath();
            const auto folder = fixture.prefix() / "drive_c" / problem->filePath().substr(3);
            EXPECT_FALSE(std::filesystem::exists(folder)) << folder;
            continue;
        }
        EXPECT_TRUE(verdict->second) << problem->filePath() << " is reported in the " << file.first
                                     << "-bit view, where Wine finds it";
        reported.insert(file.second);
    }
    // Wine serves three of its four bitmap fonts from its installation, where cmd does not look.
    const std::set<std::string> servedByWine = {"c:\\windows\\fonts\\coure.fon", "c:\\windows\\fonts\\smalle.fon",
                                                "c:\\windows\\fonts\\sserife.fon"};
    std::set<std::string> missing;
    for (const auto& [file, isMissing] : verdicts) {
        if (isMissing && !servedByWine.contains(file.second)) missing.insert(file.second);
    }
    EXPECT_EQ(reported, missing);
    EXPECT_EQ(missing.size(), 15u);
    EXPECT_EQ(session.engine().problems().size(), 18u);

    // The stale entries of the 32-bit view are reported as its own; those of the keys both
    // views share (App Paths, Fonts) once, in the 64-bit view.
    std::size_t of32BitView = 0;
    for (const auto& problem : session.engine().problems()) of32BitView += problem->view() == ProgramView::Wow64;
    EXPECT_EQ(of32BitView, 12u);
}

}  // namespace
}  // namespace brindle
