#include "skin/definition/SkinSections.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "skin/definition/SkinTestText.h"

namespace brindle::skin {
namespace {

using test::IniOf;
using test::Lines;
using Walk = std::vector<std::pair<int, std::string>>;

Walk WalkOf(const CSkinIni& ini, std::string_view section) {
    Walk walk;
    for (const auto& entry : ReadNumberedValues(ini, section)) walk.emplace_back(entry.index, entry.line);
    return walk;
}

struct WalkCase {
    const char* what;
    std::string text;
    Walk expected;
};

TEST(SkinSectionsTest, TheNumberedWalkCountsEveryKeyAndReadsOneToN) {
    const WalkCase cases[] = {
        {"keys 1, 2, 4: N is 3, key 4 is never read", Lines({"[S]", "1=a", "2=b", "4=d"}), {{0, "a"}, {1, "b"}}},
        {"a gap drops the top entry", Lines({"[S]", "1=a", "2=b", "3=c", "5=e", "6=f"}),
         {{0, "a"}, {1, "b"}, {2, "c"}, {4, "e"}}},
        {"an apostrophe key raises N and adds nothing", Lines({"[S]", "'1=off", "1=on"}), {{0, "on"}}},
        {"apostrophe keys make room for a high key", Lines({"[S]", "'1=x", "'2=y", "3=c"}), {{2, "c"}}},
        {"an empty value is passed over but keeps its number", Lines({"[S]", "1=a", "2=", "3=c"}), {{0, "a"}, {2, "c"}}},
        {"numbers, not file order", Lines({"[S]", "3=c", "1=a", "2=b"}), {{0, "a"}, {1, "b"}, {2, "c"}}},
        {"comment lines do not count", Lines({"[S]", "1=a", ";2=x", "2=b"}), {{0, "a"}, {1, "b"}}},
        {"other keys count in N", Lines({"[S]", "DIMENSION=1,2,3,4", "1=a", "2=b"}), {{0, "a"}, {1, "b"}}},
        {"the key text is the number as %d prints it", Lines({"[S]", "01=a", "+1=b"}), {}},
        {"section names in any case", Lines({"[s]", "1=a"}), {{0, "a"}}},
        {"a missing section has no entries", Lines({"[Other]", "1=a"}), {}},
    };
    for (const WalkCase& c : cases) {
        EXPECT_EQ(WalkOf(CSkinIni::FromText(c.text), "S"), c.expected) << c.what;
    }
}

TEST(SkinSectionsTest, AFiveFieldButtonRepeatsItsHeightAsTheFlagAndIsAPushButton) {
    const CSkinIni ini = IniOf({"[B]", "1=NAME,1,2,3,4", "2=LOWER,1,2,3,4,t", "3=CHECK,1,2,3,4,TRUE", "4=TRUE,1,2,3,T"});
    const auto buttons = ReadButtonSection(ini, "B");
    ASSERT_EQ(buttons.size(), 4u);
    EXPECT_EQ(buttons[0].line.name, "NAME");
    EXPECT_EQ(buttons[0].line.rect, (SkinRect{1, 2, 4, 6}));
    EXPECT_FALSE(buttons[0].line.checkBox);
    EXPECT_FALSE(buttons[1].line.checkBox) << "lower-case t is off";
    EXPECT_TRUE(buttons[2].line.checkBox);
    // A height of "T" is 0, and the flag repeats it: a check box of no height.
    EXPECT_EQ(buttons[3].line.rect, (SkinRect{1, 2, 4, 2}));
    EXPECT_TRUE(buttons[3].line.checkBox);
}

struct ItalicCase {
    const char* field;
    bool onWhenTrue;
    bool onWhenFalse;
};

// The main window's labels read ITALIC the other way round: "F..." is italic there.
TEST(SkinSectionsTest, TheItalicFieldReadsByTheSectionsRule) {
    const ItalicCase cases[] = {
        {"FALSE", false, true}, {"TRUE", true, false}, {"F", false, true}, {"T", true, false},
        {"f", false, false},    {"t", false, false},   {"", false, false},
    };
    for (const ItalicCase& c : cases) {
        const std::string line = std::string("1=LABEL,Arial,TRUE,") + c.field + ",-10,0l,1,2,3,4,";
        const CSkinIni ini = IniOf({"[T]", line});
        const auto upright = ReadTextSection(ini, "T", ItalicRule::OnWhenTrue);
        const auto reversed = ReadTextSection(ini, "T", ItalicRule::OnWhenFalse);
        ASSERT_EQ(upright.size(), 1u);
        ASSERT_EQ(reversed.size(), 1u);
        EXPECT_EQ(upright[0].line.italic, c.onWhenTrue) << '"' << c.field << '"';
        EXPECT_EQ(reversed[0].line.italic, c.onWhenFalse) << '"' << c.field << '"';
        EXPECT_TRUE(upright[0].line.bold);
    }
}

TEST(SkinSectionsTest, TextLinesTakeElevenFields) {
    const CSkinIni ini = IniOf({"[E]", "1=EDIT_SCAN_PERIOD,Arial,TRUE,FALSE,-12,0l,110,102,16,15,8",
                                "2=LABEL,Times New Roman ,FALSE,FALSE,12,255,1,2,3,4,",
                                "3=NO_TEXT_FIELD,Arial,TRUE,FALSE,-10,0l,180,24,90,9"});
    const auto lines = ReadTextSection(ini, "E", ItalicRule::OnWhenTrue);
    ASSERT_EQ(lines.size(), 3u);
    const TextLine& edit = lines[0].line;
    EXPECT_EQ(edit.name, "EDIT_SCAN_PERIOD");
    EXPECT_EQ(edit.fontFace, "Arial");
    EXPECT_TRUE(edit.bold);
    EXPECT_FALSE(edit.italic);
    EXPECT_EQ(edit.height, -12);
    EXPECT_EQ(edit.colour, 0UL);
    EXPECT_EQ(edit.rect, (SkinRect{110, 102, 126, 117}));
    EXPECT_EQ(edit.initialText, "8");
    const TextLine& label = lines[1].line;
    EXPECT_EQ(label.fontFace, "Times New Roman ");
    EXPECT_FALSE(label.bold);
    EXPECT_EQ(label.height, 12);
    EXPECT_EQ(label.colour, 255UL);
    EXPECT_EQ(label.initialText, "");
    // Without the trailing comma the initial text is the height field once more.
    EXPECT_EQ(lines[2].line.initialText, "9");
}

TEST(SkinSectionsTest, ScreenImageLinesKeepBlanksInsideTheirImageNames) {
    const CSkinIni ini = IniOf({"[P]", "1=SUBMAIN_ADVANCED,a.gif,b.gif ,c.gif, d.gif ,223,137,349,219   "});
    const auto panels = ReadScreenImageSection(ini, "P");
    ASSERT_EQ(panels.size(), 1u);
    const ScreenImageLine& panel = panels[0].line;
    EXPECT_EQ(panel.name, "SUBMAIN_ADVANCED");
    EXPECT_EQ(panel.normal, "a.gif");
    EXPECT_EQ(panel.over, "b.gif ");
    EXPECT_EQ(panel.down, "c.gif");
    EXPECT_EQ(panel.disabled, "d.gif ") << "the blank after a comma goes, the one before it stays";
    EXPECT_EQ(panel.rect, (SkinRect{223, 137, 572, 356}));
}

struct ListCase {
    const char* what;
    std::string text;
    bool present;
    std::vector<std::pair<std::string, int>> columns;
};

TEST(SkinSectionsTest, AListSectionIsReadAtKeyOneOnly) {
    const ListCase cases[] = {
        {"key 1 only", Lines({"[L]", "2=0,0,1,1,1,Second,10", "1=0,0,349,150,2,Delete,40,FileName,259"}), true,
         {{"Delete", 40}, {"FileName", 259}}},
        {"no key 1", Lines({"[L]", "2=0,0,1,1,1,Second,10"}), false, {}},
        {"an apostrophe key 1 is not key 1", Lines({"[L]", "'1=0,0,1,1,1,Off,10"}), false, {}},
        {"an empty key 1", Lines({"[L]", "1=", "2=0,0,1,1,1,Second,10"}), false, {}},
        {"no columns", Lines({"[L]", "1=1,2,3,4,0"}), true, {}},
        {"a negative count is no columns", Lines({"[L]", "1=1,2,3,4,-3,A,10"}), true, {}},
        {"more columns than given repeat the last field", Lines({"[L]", "1=1,2,3,4,3,A,10"}), true,
         {{"A", 10}, {"10", 10}, {"10", 10}}},
    };
    for (const ListCase& c : cases) {
        const std::optional<ListLine> list = ReadListSection(CSkinIni::FromText(c.text), "L");
        ASSERT_EQ(list.has_value(), c.present) << c.what;
        if (!list) continue;
        std::vector<std::pair<std::string, int>> columns;
        for (const ListColumn& column : list->columns) columns.emplace_back(column.title, column.width);
        EXPECT_EQ(columns, c.columns) << c.what;
    }
}

TEST(SkinSectionsTest, AHugeColumnCountIsCut) {
    for (const char* count : {"129", "2147483647", "99999999999999999999"}) {
        const auto list = ReadListSection(IniOf({"[L]", std::string("1=0,0,10,10,") + count + ",A,5"}), "L");
        ASSERT_TRUE(list.has_value());
        EXPECT_EQ(list->columns.size(), static_cast<std::size_t>(kMaxListColumns)) << count;
    }
}

TEST(SkinSectionsTest, DimensionAndMainImages) {
    const CSkinIni ini = IniOf({"[MainScreenInfo]", "mask=Mask.bmp", "Main=home_on.gif", ";Down=commented.gif",
                                "Down=home_click.gif", "[Anim]", "dimension=107,81,117,169", "[Empty]", "DIMENSION="});
    EXPECT_EQ(ReadDimension(ini, "ANIM"), (SkinRect{107, 81, 224, 250}));
    EXPECT_EQ(ReadDimension(ini, "Empty"), std::nullopt);
    EXPECT_EQ(ReadDimension(ini, "Missing"), std::nullopt);
    const MainImages images = ReadMainImages(ini);
    EXPECT_EQ(images.mask, "Mask.bmp");
    EXPECT_EQ(images.main, "home_on.gif");
    EXPECT_EQ(images.down, "home_click.gif");
    EXPECT_EQ(images.over, "");
    EXPECT_EQ(images.disabled, "");
}

}  // namespace
}  // namespace brindle::skin
