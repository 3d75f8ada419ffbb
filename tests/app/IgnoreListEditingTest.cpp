// The ignore list as the user edits it, from the window's panel or the terminal: each
// edit reaches the file or says why not, and a list that cannot be read is never shown
// as empty nor written over.
#include "app/workflow/IgnoreListEditing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

#include "support/TemporaryFolder.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using Outcome = IgnoreEdit::Outcome;

class IgnoreListEditingTest : public ::testing::Test {
protected:
    std::string file() const {
        std::ifstream in(listFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path listFile() const { return folder.path() / kIgnoreListFile; }

    test::TemporaryFolder folder;
};

TEST_F(IgnoreListEditingTest, EachEditReachesTheFileOrSaysWhyNot) {
    IgnoreListEditing list(folder.path());
    const struct {
        const char* what;
        std::function<IgnoreEdit()> edit;
        Outcome outcome;
        const char* fileAfter;
    } steps[] = {
        {"add", [&] { return list.add("C:\\a.dll"); }, Outcome::Changed, "C:\\a.dll\r\n"},
        {"add again", [&] { return list.add("C:\\a.dll"); }, Outcome::Unchanged, "C:\\a.dll\r\n"},
        {"add two lines", [&] { return list.add("C:\\b\nC:\\c"); }, Outcome::Invalid, "C:\\a.dll\r\n"},
        {"add nothing", [&] { return list.add(""); }, Outcome::Invalid, "C:\\a.dll\r\n"},
        {"add more", [&] { return list.add("C:\\b.dll"); }, Outcome::Changed, "C:\\a.dll\r\nC:\\b.dll\r\n"},
        {"add a third", [&] { return list.add("C:\\c.dll"); }, Outcome::Changed,
         "C:\\a.dll\r\nC:\\b.dll\r\nC:\\c.dll\r\n"},
        {"remove one not listed", [&] { return list.remove("C:\\x.dll"); }, Outcome::NotListed,
         "C:\\a.dll\r\nC:\\b.dll\r\nC:\\c.dll\r\n"},
        {"remove checked: none", [&] { return list.removeChecked({false, false}); }, Outcome::Unchanged,
         "C:\\a.dll\r\nC:\\b.dll\r\nC:\\c.dll\r\n"},
        {"remove checked: the first and third", [&] { return list.removeChecked({true, false, true}); },
         Outcome::Changed, "C:\\b.dll\r\n"},
        {"remove the last", [&] { return list.remove("C:\\b.dll"); }, Outcome::Changed, ""},
    };
    for (const auto& step : steps) {
        const IgnoreEdit edit = step.edit();
        EXPECT_EQ(edit.outcome, step.outcome) << step.what << ": " << edit.error;
        EXPECT_EQ(file(), step.fileAfter) << step.what;
        EXPECT_EQ(edit.error.empty(), edit.outcome == Outcome::Changed || edit.outcome == Outcome::Unchanged)
            << step.what;
    }
    EXPECT_TRUE(list.entries().empty());
}

TEST_F(IgnoreListEditingTest, AListThatCannotBeReadIsNeitherShownNorWrittenOver) {
    fs::create_directory(listFile());
    IgnoreListEditing list(folder.path());
    EXPECT_NE(list.error().find(kIgnoreListFile), std::string::npos) << list.error();
    EXPECT_TRUE(list.entries().empty());
    for (const IgnoreEdit& edit : {list.add("C:\\a.dll"), list.remove("C:\\a.dll"), list.removeChecked({true})}) {
        EXPECT_EQ(edit.outcome, Outcome::Failed);
        EXPECT_NE(edit.error.find("nothing was changed"), std::string::npos) << edit.error;
    }
    EXPECT_TRUE(fs::is_directory(listFile()));
}

}  // namespace
}  // namespace brindle
