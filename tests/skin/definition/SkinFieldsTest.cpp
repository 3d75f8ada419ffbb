#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "skin/definition/SkinIni.h"
#include "skin/definition/SkinTestText.h"

namespace brindle::skin {
namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> fields;  // what NextField yields, call by call
    const char* rest;                 // the text left after the last call
};

TEST(SkinFieldsTest, NextFieldSplitsAtCommasAndRepeatsTheLastField) {
    const SplitCase cases[] = {
        {"a,b,c", {"a", "b", "c", "c"}, "c"},
        // The field keeps its own blanks; the remainder is trimmed after each cut.
        {"name.gif ,  next ,last  ", {"name.gif ", "next ", "last", "last"}, "last"},
        {" lead,x", {" lead", "x"}, "x"},
        // Without a comma the trimmed text is the field, again and again.
        {"  only  ", {"only", "only", "only"}, "only"},
        {"", {"", ""}, ""},
        {"a,,b", {"a", "", "b"}, "b"},
        // A trailing comma leaves an empty last field: the text lines' empty initial text.
        {"9,", {"9", "", ""}, ""},
        {",", {"", ""}, ""},
    };
    for (const SplitCase& c : cases) {
        std::string text = c.text;
        std::vector<std::string> fields;
        for (std::size_t i = 0; i < c.fields.size(); ++i) fields.push_back(NextField(text));
        EXPECT_EQ(fields, c.fields) << '"' << c.text << '"';
        EXPECT_EQ(text, c.rest) << '"' << c.text << '"';
    }
}

struct NumberCase {
    const char* field;
    int expected;
};

TEST(SkinFieldsTest, NumbersReadAsAtoiReadsThemAndSaturate) {
    const NumberCase cases[] = {
        {"0l", 0},
        {"42", 42},
        {"-10", -10},
        {"+7", 7},
        {"  \t12px", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999999999", INT_MIN},
    };
    for (const NumberCase& c : cases) EXPECT_EQ(ParseInt(c.field), c.expected) << '"' << c.field << '"';
}

TEST(SkinFieldsTest, ColoursAreThe32BitsOfAPlatformLong) {
    EXPECT_EQ(ParseColour("0l"), 0UL);
    EXPECT_EQ(ParseColour("255"), 0x0000FFUL);
    EXPECT_EQ(ParseColour("16711680"), 0xFF0000UL);
    EXPECT_EQ(ParseColour("-1"), 0xFFFFFFFFUL);
    EXPECT_EQ(ParseColour("99999999999"), 0x7FFFFFFFUL);
    EXPECT_EQ(ParseColour("-99999999999"), 0x80000000UL);
}

TEST(SkinFieldsTest, AFlagIsOnOnlyForAnUpperCaseT) {
    const std::pair<const char*, bool> cases[] = {
        {"TRUE", true}, {"T", true}, {"Tosh", true}, {"t", false}, {"true", false},
        {"FALSE", false}, {"", false}, {" TRUE", false}, {"1", false},
    };
    for (const auto& [field, on] : cases) EXPECT_EQ(ParseFlag(field), on) << '"' << field << '"';
}

struct RectCase {
    const char* text;
    SkinRect expected;
};

TEST(SkinFieldsTest, ParseRectTakesXYWidthHeight) {
    const RectCase cases[] = {
        {"223,137,349,219", {223, 137, 572, 356}},
        {" 8 , 30 ,9,9,TRUE", {8, 30, 17, 39}},
        // Missing fields repeat the last one.
        {"1,2,3", {1, 2, 4, 5}},
        {"5", {5, 5, 10, 10}},
        {"", {0, 0, 0, 0}},
        {"x,y,w,h", {0, 0, 0, 0}},
        {"-10,-20,5,5", {-10, -20, -5, -15}},
        // Right and bottom stay inside the int range.
        {"2147483647,-2147483648,10,-10", {INT_MAX, INT_MIN, INT_MAX, INT_MIN}},
    };
    for (const RectCase& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(ParseRect(text), c.expected) << '"' << c.text << '"';
    }
    std::string rest = "1,2,3,4,FALSE";
    const SkinRect rect = ParseRect(rest);
    EXPECT_EQ(rect.width(), 3);
    EXPECT_EQ(rect.height(), 4);
    EXPECT_EQ(rest, "FALSE");
}

}  // namespace
}  // namespace brindle::skin
