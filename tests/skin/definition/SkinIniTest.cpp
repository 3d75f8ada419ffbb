#include "skin/definition/SkinIni.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "skin/definition/SkinTestText.h"
#include "support/TemporaryFolder.h"

namespace brindle::skin {
namespace {

using test::IniOf;
using test::Lines;
using Names = std::vector<std::string>;

Names KeysOf(const CSkinIni& ini, std::string_view section) {
    Names names{"left over from before"};
    const bool found = ini.GetSectionKeys(section, names);
    EXPECT_EQ(found, !names.empty()) << section;
    return names;
}

struct LookupCase {
    const char* what;
    const char* section;
    const char* key;
    const char* expected;
};

// One file that holds every line form the reader has to tell apart.
const std::string kGrammar = Lines({
    "; a comment before any section",
    "orphan=before any section",
    "[Buttons]",
    "1=BUTTON_EXIT,655,100,20,20,FALSE",
    "   ;1=commented out, even when indented",
    "'2=BUTTON_OFF,1,2,3,4,FALSE",
    "  3  =   padded on both sides   ",
    "4=",
    "bare",
    "=no key",
    "5=first",
    "5=second",
    "6=a=b;c",
    "\t7\t=\ttabs\t",
    "[  Spaced  ]",
    "k=v",
    "[Broken",
    "lost=to the section before",
    "[buttons]",
    "8=reopened",
    "[\xFCnicode]",  // Latin-1 bytes, as an 8-bit file holds them
    "\xE9=latin",
});

TEST(SkinIniTest, LinesReadAsTheProfileReaderReadsThem) {
    const CSkinIni ini = CSkinIni::FromText(kGrammar);
    const LookupCase cases[] = {
        {"plain value", "Buttons", "1", "BUTTON_EXIT,655,100,20,20,FALSE"},
        {"section name in any case", "BUTTONS", "1", "BUTTON_EXIT,655,100,20,20,FALSE"},
        {"apostrophe key is its own key", "Buttons", "'2", "BUTTON_OFF,1,2,3,4,FALSE"},
        {"apostrophe key is not key 2", "Buttons", "2", "<default>"},
        {"key and value trimmed", "Buttons", "3", "padded on both sides"},
        {"tabs are blanks too", "Buttons", "7", "tabs"},
        {"present but empty", "Buttons", "4", ""},
        {"bare key has an empty value", "Buttons", "bare", ""},
        {"first of two equal keys wins", "Buttons", "5", "first"},
        {"value keeps later = and ;", "Buttons", "6", "a=b;c"},
        {"commented line is no key", "Buttons", ";1", "<default>"},
        {"section name trimmed", "spaced", "K", "v"},
        {"unclosed bracket opens nothing", "Broken", "lost", "<default>"},
        {"line after unclosed bracket stays in the open section", "Spaced", "lost", "to the section before"},
        {"section opened again goes on", "Buttons", "8", "reopened"},
        {"Latin-1 letters fold", "\xDCNICODE", "\xC9", "latin"},
        {"key before any section belongs to none", "", "orphan", "<default>"},
        {"missing section", "Nothing", "1", "<default>"},
    };
    for (const LookupCase& c : cases) {
        EXPECT_EQ(ini.GetValue(c.section, c.key, "<default>"), c.expected) << c.what;
    }
}

TEST(SkinIniTest, SectionKeysAreListedInFileOrderWithApostropheKeys) {
    const CSkinIni ini = CSkinIni::FromText(kGrammar);
    EXPECT_EQ(KeysOf(ini, "buttons"), (Names{"1", "'2", "3", "4", "bare", "5", "5", "6", "7", "8"}));
    EXPECT_EQ(KeysOf(ini, "Spaced"), (Names{"k", "lost"}));
    EXPECT_EQ(KeysOf(ini, "Nothing"), Names{});
}

TEST(SkinIniTest, LineEndsMayBeCrLfOrLf) {
    const std::initializer_list<std::string_view> lines = {"[S]", "1=a,b ", "2=c"};
    for (const std::string_view end : {"\r\n", "\n"}) {
        const CSkinIni ini = CSkinIni::FromText(Lines(lines, end));
        EXPECT_EQ(ini.GetValue("S", "1"), "a,b");
        EXPECT_EQ(ini.GetValue("S", "2"), "c");
    }
    // The last line needs no line end.
    EXPECT_EQ(CSkinIni::FromText("[S]\r\n1=last").GetValue("S", "1"), "last");
}

// The field splitter of the format takes at most 255 characters of a value; what lies
// beyond is cut off when the value is read, so no later step sees more.
TEST(SkinIniTest, ValuesAreCutAt255Characters) {
    const std::string exact(255, 'x');
    const std::string longer = std::string(254, 'y') + "  zzzz";
    const CSkinIni ini = IniOf({"[S]", "1=" + exact, "2=" + exact + "TAIL", "3=" + longer});
    EXPECT_EQ(ini.GetValue("S", "1"), exact);
    EXPECT_EQ(ini.GetValue("S", "2"), exact);
    // A cut that ends in blanks is trimmed like any other value end.
    EXPECT_EQ(ini.GetValue("S", "3"), std::string(254, 'y'));
}

TEST(SkinIniTest, DefaultTextComesBackUnchanged) {
    const CSkinIni ini = IniOf({"[S]", "1=x"});
    EXPECT_EQ(ini.GetValue("S", "9"), "");
    EXPECT_EQ(ini.GetValue("S", "9", "  as given "), "  as given ");
}

class SkinIniFileTest : public ::testing::Test {
protected:
    brindle::test::TemporaryFolder folder;
};

// The file is read at every question, as the profile reader reads it; a snapshot keeps
// the text of its one reading.
TEST_F(SkinIniFileTest, TheFileIsReadWhenAskedAndASnapshotKeepsItsReading) {
    const auto path = folder.writeFile("Skin.ini", Lines({"[S]", "1=old"}));
    const CSkinIni live(path);
    const CSkinIni snapshot = live.Snapshot();
    brindle::test::WriteFileAt(path, Lines({"[S]", "1=new", "2=added"}));
    EXPECT_EQ(live.GetValue("S", "1"), "new");
    EXPECT_EQ(snapshot.GetValue("S", "1"), "old");
    Names names;
    EXPECT_TRUE(snapshot.GetSectionKeys("S", names));
    EXPECT_EQ(names, Names{"1"});
    EXPECT_EQ(snapshot.path(), path);
    EXPECT_EQ(live.ReadStatus().message(), "");
}

struct RefusedFile {
    const char* what;
    std::filesystem::path (*make)(const brindle::test::TemporaryFolder&);
    const char* errorPart;
};

TEST_F(SkinIniFileTest, AFileThatCannotBeReadReadsAsNoSectionsAndSaysWhy) {
    const RefusedFile cases[] = {
        {"missing", [](const brindle::test::TemporaryFolder& f) { return f.path() / "Skin.ini"; }, "does not exist"},
        {"folder", [](const brindle::test::TemporaryFolder& f) { return f.makeFolder("Skin.ini"); }, "a folder"},
        {"named pipe",
         [](const brindle::test::TemporaryFolder& f) {
             const auto path = f.path() / "pipe.ini";
             EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
             return path;
         },
         "a named pipe"},
        {"larger than the limit",
         [](const brindle::test::TemporaryFolder& f) {
             std::string text = "[S]\r\n1=x\r\n";
             text.resize(static_cast<std::size_t>(kMaxSkinIniBytes) + 1, ';');
             return f.writeFile("huge.ini", text);
         },
         "larger than"},
    };
    for (const RefusedFile& c : cases) {
        const CSkinIni ini(c.make(folder));
        Names names;
        EXPECT_FALSE(ini.GetSectionKeys("S", names)) << c.what;
        EXPECT_EQ(ini.GetValue("S", "1", "<default>"), "<default>") << c.what;
        const std::string error = ini.Snapshot().ReadStatus().message();
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << c.what << ": " << error;
        EXPECT_NE(error.find(ini.path().string()), std::string::npos) << c.what << ": " << error;
    }
}

TEST_F(SkinIniFileTest, AFileAtTheLimitIsRead) {
    std::string text = "[S]\n1=x\n";
    text.resize(static_cast<std::size_t>(kMaxSkinIniBytes), ';');
    const CSkinIni ini(folder.writeFile("Skin.ini", text));
    EXPECT_EQ(ini.GetValue("S", "1"), "x");
}

}  // namespace
}  // namespace brindle::skin
