// The definition the program carries, read from the source tree: every section a screen
// reads has the entries, places and columns the screens are drawn for.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "skin/definition/SkinSections.h"
#include "skin/definition/SkinTestText.h"
#include "support/TemporaryFolder.h"

namespace brindle::skin {
namespace {

class SkinShippedTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_ini = new CSkinIni(CSkinIni(BRINDLE_SKIN_INI_PATH).Snapshot()); }
    static void TearDownTestSuite() {
        delete s_ini;
        s_ini = nullptr;
    }
    void SetUp() override { ASSERT_EQ(s_ini->ReadStatus().message(), ""); }

    static const CSkinIni& ini() { return *s_ini; }

    static std::vector<std::string> ButtonNames(std::string_view section) {
        std::vector<std::string> names;
        for (const auto& button : ReadButtonSection(ini(), section)) names.push_back(button.line.name);
        return names;
    }

private:
    static inline CSkinIni* s_ini = nullptr;
};

struct SectionCount {
    const char* section;
    std::size_t entries;
};

TEST_F(SkinShippedTest, EverySectionHasItsEntries) {
    const SectionCount buttons[] = {
        {"MAINSCREENBUTTONINFO", 11},          {"SUBMAIN_MAIN_BUTTONINFO", 11},     {"SUBMAIN_SCHEDULE_BUTTONINFO", 6},
        {"SUBMAIN_SCHEDULE_DISABLED_BUTTONINFO", 6}, {"SUBMAIN_ADVANCED_BUTTONINFO", 3}, {"SUBMAIN_ABOUT_BUTTONINFO", 1},
        {"SUBMAIN_IGNORED_BUTTONINFO", 2},    {"SUBMAIN_RESULT_BUTTONINFO", 0},    {"SCREENERRORSCAN_BUTTONINFO", 1},
        {"SCREENSCANCOMPLETE_BUTTONINFO", 2}, {"SCREENERRORFIXING_BUTTONINFO", 0}, {"SCREENFIXCOMPLETE_BUTTONINFO", 1},
    };
    for (const SectionCount& c : buttons) EXPECT_EQ(ReadButtonSection(ini(), c.section).size(), c.entries) << c.section;

    const SectionCount texts[] = {
        {"TEXTINFO", 0},
        // Keys 1-13 and 15-25: N is 24, so key 25 is never read.
        {"SUBMAIN_MAIN_TEXTINFO", 23},
        {"SUBMAIN_ADVANCED_TEXTINFO", 1},
        {"SUBMAIN_SCHEDULE_EDITBOXINFO", 1},
        {"SUBMAIN_ADVANCED_EDITBOXINFO", 1},
        {"SCREENERRORSCAN_TEXTINFO", 1},
        {"SCREENSCANCOMPLETE_TEXTINFO", 4},
        {"SCREENERRORFIXING_TEXTINFO", 5},
        {"SCREENFIXCOMPLETE_TEXTINFO", 4},
    };
    for (const SectionCount& c : texts) {
        EXPECT_EQ(ReadTextSection(ini(), c.section, ItalicRule::OnWhenTrue).size(), c.entries) << c.section;
    }

    const SectionCount screens[] = {
        {"SUBMAINSCREENINFO", 7},      {"SCREENERRORSCANINFO", 1},   {"SCREENSCANCOMPLETEINFO", 1},
        {"SCREENERRORFIXINGINFO", 1}, {"SCREENFIXCOMPLETEINFO", 1},
    };
    for (const SectionCount& c : screens) EXPECT_EQ(ReadScreenImageSection(ini(), c.section).size(), c.entries) << c.section;
}

TEST_F(SkinShippedTest, MainWindow) {
    const MainImages images = ReadMainImages(ini());
    EXPECT_EQ(images.mask, "Mask.bmp");
    EXPECT_EQ(images.main, "home_on.gif");
    EXPECT_EQ(images.over, "home_hover.gif");
    EXPECT_EQ(images.down, "home_click.gif") << "the commented Down line is no key";
    EXPECT_EQ(images.disabled, "home_off.gif");

    EXPECT_EQ(ButtonNames("MAINSCREENBUTTONINFO"),
              (std::vector<std::string>{"BUTTON_EXIT", "BUTTON_MINIMIZE", "BUTTON_MAIN", "BUTTON_AUTOSCAN", "BUTTON_ABOUT",
                                        "BUTTON_SUPPORT", "BUTTON_SCAN", "BUTTON_REMOVE", "BUTTON_IGNORED",
                                        "BUTTON_ADVSETTINGS", "BUTTON_RESTORE"}));
    const auto buttons = ReadButtonSection(ini(), "MAINSCREENBUTTONINFO");
    for (const auto& button : buttons) EXPECT_FALSE(button.line.checkBox) << button.line.name;
    EXPECT_EQ(buttons[6].index, 6);
    EXPECT_EQ(buttons[6].line.rect, (SkinRect{566, 355, 736, 525}));
    EXPECT_EQ(buttons[10].line.rect, (SkinRect{83, 269, 213, 299}));

    const SkinRect animation{107, 81, 224, 250};
    EXPECT_EQ(ReadDimension(ini(), "MAINSCREENANIMATION"), animation);
    EXPECT_EQ(ReadDimension(ini(), "SCANSCREENANIMATION"), animation);
}

TEST_F(SkinShippedTest, PanelsKeepTheBlanksInTheirImageNames) {
    const auto panels = ReadScreenImageSection(ini(), "SUBMAINSCREENINFO");
    ASSERT_EQ(panels.size(), 7u);
    std::vector<std::string> names;
    for (const auto& panel : panels) {
        names.push_back(panel.line.name);
        EXPECT_EQ(panel.line.rect, (SkinRect{223, 137, 572, 356})) << panel.line.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"SUBMAIN_MAIN", "SUBMAIN_SCHEDULE", "SUBMAIN_IGNORED", "SUBMAIN_ADVANCED",
                                               "SUBMAIN_RESULT", "SUBMAIN_SCHEDULE_DISABLED", "SUBMAIN_ABOUT"}));
    EXPECT_EQ(panels[2].line.disabled, "IGNORRED-ERRORS_main.gif");
    EXPECT_EQ(panels[3].line.over, "ADVANCED-SETTINGS_chk.gif ");
    EXPECT_EQ(panels[3].line.down, "ADVANCED-SETTINGS_chk.gif");
    EXPECT_EQ(panels[4].line.over, "result.gif ");
    EXPECT_EQ(panels[5].line.down, "Autoscan_disabled_chked.gif ");
    EXPECT_EQ(panels[5].line.over, "Autoscan_disabled_chked.gif");
}

TEST_F(SkinShippedTest, PanelButtonsAndTexts) {
    EXPECT_EQ(ButtonNames("SUBMAIN_MAIN_BUTTONINFO"),
              (std::vector<std::string>{"BUTTON_ALL", "BUTTON_COM", "BUTTON_COM_SUBS", "BUTTON_DRV", "BUTTON_HELP",
                                        "BUTTON_APPPATH", "BUTTON_SHARED_TOOLS", "BUTTON_FONTS", "BUTTON_STARTUP",
                                        "BUTTON_UNINSTALL", "BUTTON_SHORTCUTS"}));
    for (const auto& box : ReadButtonSection(ini(), "SUBMAIN_MAIN_BUTTONINFO")) {
        EXPECT_TRUE(box.line.checkBox) << box.line.name;
        EXPECT_EQ(box.line.rect.width(), 9) << box.line.name;
    }
    EXPECT_EQ(ButtonNames("SUBMAIN_SCHEDULE_BUTTONINFO"), ButtonNames("SUBMAIN_SCHEDULE_DISABLED_BUTTONINFO"));
    const auto schedule = ReadButtonSection(ini(), "SUBMAIN_SCHEDULE_BUTTONINFO");
    EXPECT_EQ(schedule[5].line.name, "BUTTON_AUTOSCAN_ENABLE");
    EXPECT_FALSE(schedule[5].line.checkBox);
    EXPECT_EQ(schedule[5].line.rect, (SkinRect{82, 45, 112, 70}));
    EXPECT_EQ(ButtonNames("SUBMAIN_IGNORED_BUTTONINFO"),
              (std::vector<std::string>{"BUTTON_IGNORED_DELETE", "BUTTON_IGNORED_SEL_ALL"}));

    // The progress labels: the gap at key 14 shifts nothing below it, and the counts keep
    // their own indices.
    const auto progress = ReadTextSection(ini(), "SUBMAIN_MAIN_TEXTINFO", ItalicRule::OnWhenFalse);
    ASSERT_EQ(progress.size(), 23u);
    EXPECT_EQ(progress[0].line.name, "PROGRESS_TEXT_REGISTRY");
    EXPECT_EQ(progress[11].line.name, "TEXT_ERRORSCAN_CURRENTITEM");
    EXPECT_EQ(progress[12].line.name, "PROGRESS_TEXT_MSDOS");
    EXPECT_EQ(progress[12].index, 12);
    EXPECT_EQ(progress[13].line.name, "PROGRESS_COUNT_COM");
    EXPECT_EQ(progress[13].index, 14);
    EXPECT_EQ(progress[22].line.name, "PROGRESS_COUNT_SHORTCUTS");
    EXPECT_EQ(progress[22].line.rect, (SkinRect{290, 172, 380, 192}));
    for (const auto& label : progress) {
        EXPECT_NE(label.line.name, "TEXT_ERRORSCAN_ERRORFOUND");
        EXPECT_EQ(label.line.fontFace, "Arial");
        EXPECT_TRUE(label.line.bold);
        EXPECT_TRUE(label.line.italic) << "FALSE reads as italic on the main window's panels";
        EXPECT_EQ(label.line.height, -10);
        EXPECT_EQ(label.line.colour, 0UL);
        EXPECT_EQ(label.line.initialText, "") << label.line.name;
    }

    const auto period = ReadTextSection(ini(), "SUBMAIN_SCHEDULE_EDITBOXINFO", ItalicRule::OnWhenTrue);
    ASSERT_EQ(period.size(), 1u);
    EXPECT_EQ(period[0].line.name, "EDIT_SCAN_PERIOD");
    EXPECT_FALSE(period[0].line.italic);
    EXPECT_EQ(period[0].line.height, -12);
    EXPECT_EQ(period[0].line.rect, (SkinRect{110, 102, 126, 117}));
    EXPECT_EQ(period[0].line.initialText, "8");
}

struct ListExpectation {
    const char* section;
    SkinRect rect;
    std::vector<std::pair<std::string, int>> columns;
};

TEST_F(SkinShippedTest, ListsAndTheirColumns) {
    const ListExpectation lists[] = {
        {"SUBMAIN_RESULT_LISTINFO", {0, 0, 349, 219}, {{"Delete", 40}, {"Type", 100}, {"FileName", 209}}},
        {"SUBMAIN_IGNORED_LISTINFO", {0, 0, 349, 150}, {{"Delete", 40}, {"FileName", 259}}},
        {"SCREENSCANCOMPLETE_LISTINFO", {13, 62, 337, 173}, {{"Type", 162}, {"Scanned", 81}, {"Bug(s)", 81}}},
        {"SCREENFIXCOMPLETE_LISTINFO",
         {13, 30, 337, 141},
         {{"Type", 132}, {"Scanned", 64}, {"Bug(s)", 64}, {"Fixed", 64}}},
    };
    for (const ListExpectation& expected : lists) {
        const std::optional<ListLine> list = ReadListSection(ini(), expected.section);
        ASSERT_TRUE(list.has_value()) << expected.section;
        EXPECT_EQ(list->rect, expected.rect) << expected.section;
        std::vector<std::pair<std::string, int>> columns;
        for (const ListColumn& column : list->columns) columns.emplace_back(column.title, column.width);
        EXPECT_EQ(columns, expected.columns) << expected.section;
    }
    EXPECT_FALSE(ReadListSection(ini(), "SUBMAIN_SCHEDULE_LISTINFO").has_value());
}

TEST_F(SkinShippedTest, SummaryScreens) {
    const auto fixing = ReadScreenImageSection(ini(), "SCREENERRORFIXINGINFO");
    ASSERT_EQ(fixing.size(), 1u);
    EXPECT_EQ(fixing[0].line.name, "SCREENERRORFIXING");
    for (const std::string& image : {fixing[0].line.normal, fixing[0].line.over, fixing[0].line.down,
                                     fixing[0].line.disabled}) {
        EXPECT_EQ(image, "home_main.gif");
    }
    const auto scan = ReadScreenImageSection(ini(), "SCREENERRORSCANINFO");
    ASSERT_EQ(scan.size(), 1u);
    EXPECT_EQ(scan[0].line.down, "SubMainChecked.gif");
    EXPECT_EQ(scan[0].line.rect, (SkinRect{452, 310, 801, 446}));

    // The summary screens read ITALIC the plain way: the same "TRUE,FALSE" is upright.
    const auto texts = ReadTextSection(ini(), "SCREENFIXCOMPLETE_TEXTINFO", ItalicRule::OnWhenTrue);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[3].line.name, "TEXT_FIXCOMPLETE_FIXED");
    EXPECT_EQ(texts[3].line.rect, (SkinRect{50, 191, 169, 206}));
    EXPECT_FALSE(texts[3].line.italic);
    EXPECT_EQ(ButtonNames("SCREENSCANCOMPLETE_BUTTONINFO"), (std::vector<std::string>{"BUTTON_FIXERROR", "BUTTON_CANCEL"}));
}

// The file is written with CR LF throughout, and its comment lines are the ones placed on
// purpose; a stray edit that turns one into a key would change a section's count.
TEST_F(SkinShippedTest, CrLfLinesAndCommentsThatAreNoKeys) {
    const std::string bytes = brindle::test::ReadFileAt(BRINDLE_SKIN_INI_PATH);
    ASSERT_FALSE(bytes.empty());
    for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
        ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << "a line ending in LF alone at byte " << at;
    }
    EXPECT_NE(bytes.find("\r\n;Should be TRUE \r\n7=BUTTON_SCAN,"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n;Down=home_on.gif\r\nDown="), std::string::npos);

    std::vector<std::string> keys;
    ASSERT_TRUE(ini().GetSectionKeys("MAINSCREENINFO", keys));
    EXPECT_EQ(keys, (std::vector<std::string>{"Mask", "Main", "Down", "Over", "Disabled"}));
    ASSERT_TRUE(ini().GetSectionKeys("MAINSCREENBUTTONINFO", keys));
    EXPECT_EQ(keys.size(), 11u);
    ASSERT_TRUE(ini().GetSectionKeys("SUBMAIN_MAIN_TEXTINFO", keys));
    EXPECT_EQ(keys.size(), 24u);
}

}  // namespace
}  // namespace brindle::skin
