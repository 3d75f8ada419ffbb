// Every short name below was printed by real Wine: Wine 8.0 (Debian 12, package
// 8.0~repack-4), `wine cmd /u /c dir /x /a FOLDER` in a fresh prefix, on 2026-12-09.
// The resolution cases were checked in the same prefix with
// `wine cmd /c if exist C:\res\SEGMENT echo yes`. The case-folding rows come from one
// listing of a folder holding "x" + c + "long name" for every BMP character c, all of
// which this implementation reproduces.
#include "platform/WineShortName.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <string>
#include <vector>

#include "platform/Unicode.h"

namespace brindle {
namespace {

struct NamePair {
    std::u16string_view longName;
    std::u16string_view shortName;
};

std::string Show(std::u16string_view text) { return "\"" + Utf16ToUtf8(text) + "\""; }

std::u16string LowerAscii(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
    }
    return result;
}

const std::vector<NamePair> kObservedShortNames = {
    // folders of a new prefix
    {u"Program Files", u"PROG~FBU"},
    {u"Program Files (x86)", u"PROG~5P2"},
    {u"ProgramData", u"PROG~BDQ"},
    {u"Common Files", u"COMM~CP1"},
    {u"Internet Explorer", u"INTE~H1A"},
    {u"Windows NT", u"WIND~QP2"},
    {u"Windows Media Player", u"WIND~ATD"},
    {u"Microsoft Shared", u"MICR~NEI"},
    // several dots
    {u"my.archive.backup.tar.gz", u"MY_A~QJV.GZ"},
    {u"setup-x64-v1.2.3.exe", u"SETU~GHE.EXE"},
    {u"a.b.c", u"A_B~~54C.C"},
    {u"a..b", u"A_~~~TDW.B"},
    {u"dots...many", u"DOTS~AGV.MAN"},
    {u"x.y.", u"X~~~~TXX.Y_"},
    // blanks
    {u"Read Me First.txt", u"READ~AJV.TXT"},
    {u"x y", u"X_Y~~R0B"},
    {u" leading blank", u"_LEA~SFP"},
    {u"ab.c d", u"AB~~~Y0Z.C_D"},
    // base shorter than four
    {u"a b.txt", u"A_B~~QSV.TXT"},
    {u"abc.de f", u"ABC~~GHE.DE_"},
    {u"a.bcdef", u"A~~~~KKA.BCD"},
    {u"..a", u"_~~~~ETP.A"},
    // long extensions
    {u"file.html5x", u"FILE~1SW.HTM"},
    {u"ab.longext", u"AB~~~BF2.LON"},
    {u"ABCDEFGH.IJKL", u"ABCD~AJN.IJK"},
    {u"x.abcd", u"X~~~~3YL.ABC"},
    // characters invalid in DOS names
    {u"a+b=c,d;e[f]g.txt", u"A_B_~SED.TXT"},
    {u"a[1].txt", u"A_1_~CJC.TXT"},
    {u"plus+sign", u"PLUS~VMO"},
    {u"tilde~name", u"TILD~X1U"},
    {u"~longname.x~t", u"_LON~T5T.X_T"},
    {u"x!y@z#w$q%r^s&t(u)v", u"X!Y@~FPV"},
    {u"under_score_name", u"UNDE~HBC"},
    {u"{brace}name", u"{BRA~2TH"},
    {u"quote'sname", u"QUOT~52O"},
    {u"back`tick_name", u"BACK~MDS"},
    // letter case
    {u"MixedCase Name.Doc", u"MIXE~ZWM.DOC"},
    {u"mixedcase name.doc", u"MIXE~ZWM.DOC"},
    {u"MIXEDCASE NAME.DOC", u"MIXE~ZWM.DOC"},
    {u"ABCDEFGHI", u"ABCD~GDH"},
    {u"abcdefghi", u"ABCD~GDH"},
    // leading and trailing dots
    {u".hidden_long_name", u"_HID~T52"},
    {u".htaccess", u"_HTA~DGQ"},
    {u".a", u"_A~~~GPU"},
    {u"name.", u"NAME~GGC"},
    {u"a.", u"A_~~~YNZ"},
    // digits
    {u"12345678901.txt", u"1234~V4I.TXT"},
    {u"2024 Report.pdf", u"2024~115.PDF"},
    {u"123456789", u"1234~Q4C"},
    // non-ASCII
    {u"Caf\u00E9 Programme", u"CAF_~TQO"},
    {u"CAF\u00C9 PROGRAMME", u"CAF_~TQO"},
    {u"caf\u00E9.txt", u"CAF_~CRT.TXT"},
    {u"\u00E9", u"_~~~~2TG"},
    {u"\u03A9mega File", u"_MEG~CRH"},
    {u"\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B", u"____~KK3"},
    {u"\u0414\u041E\u041A\u0423\u041C\u0415\u041D\u0422\u042B", u"____~KK3"},
    {u"\u65E5\u672C\u8A9E\u30D5\u30A1\u30A4\u30EB\u540D", u"____~EIO"},
    {u"emoji\U0001F600name", u"EMOJ~HI1"},
    {u"stra\u00DFe name", u"STRA~1ZA"},
    {u"STRASSE NAME", u"STRA~XZY"},
    {u"\u01C4 digraph", u"__DI~1K3"},
    {u"\u01C5 digraph", u"__DI~1S2"},
    {u"\u01C6 digraph", u"__DI~1K3"},
    {u"x\u212Along name", u"X_LO~ORJ"},
    {u"xklong name", u"XKLO~ITC"},
    {u"xKlong name", u"XKLO~ITC"},
    {u"\U00010400long", u"__LO~2ZW"},
    {u"\U00010428long", u"__LO~Z3A"},
};

TEST(WineShortNameTest, GeneratesTheNamesWinePrinted) {
    for (const auto& row : kObservedShortNames) {
        EXPECT_EQ(Show(row.shortName), Show(WineShortName(row.longName))) << "for " << Show(row.longName);
    }
}

TEST(WineShortNameTest, ResolvesEachPrintedNameInAnyLetterCase) {
    for (const auto& row : kObservedShortNames) {
        EXPECT_TRUE(IsWineMangledName(row.shortName)) << Show(row.shortName);
        EXPECT_TRUE(MatchesWineShortName(row.shortName, row.longName)) << Show(row.shortName);
        EXPECT_TRUE(MatchesWineShortName(LowerAscii(row.shortName), row.longName)) << Show(row.shortName);
    }
}

// dir /x left the short-name column blank for these: Wine takes them as 8.3 already.
TEST(WineShortNameTest, GeneratesNothingForNamesThatAreAlready83) {
    for (const std::u16string_view name : {u"users", u"readme.txt", u"README.TXT", u"ReadMe.txt", u"ab~1",
                                           u"a", u"abcdefgh.ijk", u"a!b.txt", u"ab.x~y", u"12345678"}) {
        EXPECT_EQ("\"\"", Show(WineShortName(name))) << Show(name);
    }
    EXPECT_EQ("\"\"", Show(WineShortName(u"")));
}

struct ResolutionCase {
    std::u16string_view segment;
    std::u16string_view longName;
    bool resolves;  // what `if exist` said
};

TEST(WineShortNameTest, MatchesExactlyTheSegmentsWineResolved) {
    const std::vector<ResolutionCase> rows = {
        {u"PROG~FBU", u"Program Files", true},
        {u"prog~fbu", u"Program Files", true},
        {u"Prog~fBu", u"Program Files", true},
        {u"A_B~~QSV.TXT", u"a b.txt", true},
        {u"a_b~~qsv.txt", u"a b.txt", true},
        {u"CAF_~TQO", u"Caf\u00E9 Programme", true},
        {u"caf_~tqo", u"Caf\u00E9 Programme", true},
        {u"inte~h1a", u"Internet Explorer", true},
        // Windows numbers its short names; Wine does not, and never resolves them.
        {u"PROGRA~1", u"Program Files", false},
        // The extension must be the generated one, no shorter, no longer.
        {u"A_B~~QSV.TX", u"a b.txt", false},
        {u"A_B~~QSV", u"a b.txt", false},
        {u"A_B~~QSV.TXTX", u"a b.txt", false},
        {u"A_B~QSV.TXT", u"a b.txt", false},
        // Dotless i upper-cases to I, but Wine compares without folding it to ASCII.
        {u"\u0131NTE~H1A", u"Internet Explorer", false},
        // The hashed forms of names that are already 8.3 do not resolve.
        {u"USER~BD3", u"users", false},
        {u"READ~5FU.TXT", u"readme.txt", false},
        {u"read~5fu.txt", u"readme.txt", false},
        {u"AB~~~GN5.X_Y", u"ab.x~y", false},
        // A sibling's short name.
        {u"PROG~FBU", u"Program Files (x86)", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.resolves, MatchesWineShortName(row.segment, row.longName))
            << Show(row.segment) << " for " << Show(row.longName);
    }
}

struct FoldingCase {
    char16_t upper;
    char16_t lower;
    std::u16string_view upperShortName;  // of "x" + upper + "long name"
    std::u16string_view lowerShortName;  // of "x" + lower + "long name"
};

// Wine lower-cases before hashing with Unicode's simple mapping, except where the
// mapping is one-way; the second group are those exceptions and near misses.
TEST(WineShortNameTest, FoldsCaseInTheHashAsWineDoes) {
    const std::vector<FoldingCase> rows = {
        {0x00C0, 0x00E0, u"X_LO~5GS", u"X_LO~5GS"},
        {0x0178, 0x00FF, u"X_LO~A0H", u"X_LO~A0H"},
        {0x01C4, 0x01C6, u"X_LO~TCD", u"X_LO~TCD"},
        {0x1F88, 0x1F80, u"X_LO~PLQ", u"X_LO~PLQ"},
        {0x0398, 0x03B8, u"X_LO~OU2", u"X_LO~OU2"},
        {0x03A9, 0x03C9, u"X_LO~J4S", u"X_LO~J4S"},
        {0x10A0, 0x2D00, u"X_LO~KOR", u"X_LO~KOR"},
        {0x13A0, 0xAB70, u"X_LO~LH1", u"X_LO~LH1"},
        {0xA7C5, 0x0282, u"X_LO~1KI", u"X_LO~1KI"},
        {0x24B6, 0x24D0, u"X_LO~4P5", u"X_LO~4P5"},
        {0xFF21, 0xFF41, u"X_LO~IYV", u"X_LO~IYV"},

        {0x01C5, 0x01C6, u"X_LO~VET", u"X_LO~TCD"},
        {0x03F4, 0x03B8, u"X_LO~SO5", u"X_LO~OU2"},
        {0x1E9E, 0x00DF, u"X_LO~SVN", u"X_LO~ASP"},
        {0x2126, 0x03C9, u"X_LO~WLI", u"X_LO~J4S"},
        {0x212B, 0x00E5, u"X_LO~MTJ", u"X_LO~VMT"},
        {0x0130, 0x0131, u"X_LO~1H2", u"X_LO~ZF2"},
        {0x03C2, 0x03C3, u"X_LO~5KC", u"X_LO~3IC"},
    };
    for (const auto& row : rows) {
        const std::u16string upperName = std::u16string(u"x") + row.upper + u"long name";
        const std::u16string lowerName = std::u16string(u"x") + row.lower + u"long name";
        EXPECT_EQ(Show(row.upperShortName), Show(WineShortName(upperName)))
            << "U+" << std::hex << unsigned{row.upper};
        EXPECT_EQ(Show(row.lowerShortName), Show(WineShortName(lowerName)))
            << "U+" << std::hex << unsigned{row.lower};
    }
}

struct ShapeCase {
    std::u16string_view segment;
    bool mangled;
};

TEST(WineShortNameTest, RecognisesTheShapeOfGeneratedNames) {
    const std::vector<ShapeCase> rows = {
        {u"PROG~FBU", true},
        {u"prog~fbu", true},
        {u"A_B~~QSV.TXT", true},
        {u"A~~~~KKA.BCD", true},
        {u"_~~~~ETP.A", true},
        {u"X!Y@~FPV", true},
        {u"{BRA~2TH", true},
        {u"ABCD~AJN.IJ", true},
        {u"____~KK3", true},

        {u"PROGRA~1", false},         // Windows' numbered form
        {u"readme.txt", false},
        {u"Program Files", false},
        {u"", false},
        {u"PROG~FB", false},          // hash too short
        {u"PROG~FBUX", false},        // base longer than eight
        {u"PROG~FBU.", false},        // empty extension
        {u"PROG~FBU.ABCD", false},    // extension longer than three
        {u"PROG~FB6", false},         // hash digits stop at 5
        {u"PROG~F_U", false},
        {u"PROGXFBU", false},         // no '~' at the fifth place
        {u"~ROG~FBU", false},         // padding needs a kept character first
        {u"A~B~~QSV", false},         // padding runs without a break
        {u"A B~~QSV", false},         // a blank is always replaced
        {u"A+B~~QSV", false},
        {u"PR.G~FBU", false},
        {u"A:B~~GIS", false},         // Wine refuses ':' before looking
        {u"\u0131NTE~H1A", false},
        {u"A_B~~QSV.T X", false},
        {u"A_B~~QSV.T~X", false},     // '~' in an extension is always replaced
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.mangled, IsWineMangledName(row.segment)) << Show(row.segment);
    }
}

// Letters with a case partner, characters that are replaced or end the base, and a
// surrogate pair: enough to reach every branch of the rule.
const std::vector<char16_t> kNameCharacters = {
    u'a', u'B', u'c', u'Z', u'0', u'9', u'.', u'.', u' ', u'~', u'+', u'[', u'_', u'!',
    0x00E9, 0x00C9, 0x01C5, 0x212A, 0x0414, 0x0434, 0xD83D, 0xDE00,
};

std::u16string FlipCase(std::u16string_view name) {
    std::u16string result(name);
    for (char16_t& c : result) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        else if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        else if (c == 0x00E9 || c == 0x00C9) c ^= 0x0020;
        else if (c == 0x0414 || c == 0x0434) c ^= 0x0020;
    }
    return result;
}

RC_GTEST_PROP(WineShortNameProperty, EveryGeneratedNameResolvesToItsLongName, ()) {
    const auto characters = *rc::gen::container<std::vector<char16_t>>(rc::gen::elementOf(kNameCharacters));
    const std::u16string longName(characters.begin(), characters.end());
    const std::u16string shortName = WineShortName(longName);
    RC_PRE(!shortName.empty());
    RC_ASSERT(IsWineMangledName(shortName));
    RC_ASSERT(MatchesWineShortName(LowerAscii(shortName), longName));
    // Names that differ only in letter case share their short name.
    RC_ASSERT(WineShortName(FlipCase(longName)) == shortName);
}

}  // namespace
}  // namespace brindle
