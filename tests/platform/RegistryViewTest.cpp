// Which key a program of each view reaches for a path, on the layout Wine gives a 64-bit
// prefix (support/TestMachine's makeWow64), and where that key really lies.
#include "platform/RegistryView.h"

#include <gtest/gtest.h>

#include "support/TestMachine.h"

namespace brindle {
namespace {

using namespace win;

constexpr LONG kFileNotFound = 2;

struct Reached {
    LONG status = 0;
    ViewKey where;
};

class RegistryViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine.makeWow64();
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Tool", "Path", "C:\\64");
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Vendor\\Tool", "Path", "C:\\32");
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Only64", "Path", "C:\\64");
        machine.setString("HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node\\CLSID\\{1}", "", "x");
    }

    Reached open(ProgramView view, HKEY root, const char* subKey) {
        Reached reached;
        HKEY key = 0;
        reached.status = OpenKeyInView(machine.registry(), view, root, subKey, &key, &reached.where);
        if (reached.status == ERROR_SUCCESS) machine.registry().RegCloseKey(key);
        return reached;
    }

    test::TestMachine machine;
};

TEST_F(RegistryViewTest, EachViewReachesItsOwnKey) {
    struct Row {
        ProgramView view;
        HKEY root;
        const char* subKey;
        const char* expectedSubKey;
        const char* expectedRealPath;
        bool throughLink;
    };
    const Row rows[] = {
        {ProgramView::Native64, HKEY_LOCAL_MACHINE, "Software\\Vendor\\Tool", "Software\\Vendor\\Tool",
         "\\Registry\\Machine\\Software\\Vendor\\Tool", false},
        {ProgramView::Wow64, HKEY_LOCAL_MACHINE, "Software\\Vendor\\Tool", "Software\\Wow6432Node\\Vendor\\Tool",
         "\\Registry\\Machine\\Software\\Wow6432Node\\Vendor\\Tool", false},
        // A path that names the node itself is not led into it twice.
        {ProgramView::Wow64, HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Vendor\\Tool",
         "Software\\Wow6432Node\\Vendor\\Tool", "\\Registry\\Machine\\Software\\Wow6432Node\\Vendor\\Tool", false},
        {ProgramView::Wow64, HKEY_CLASSES_ROOT, "CLSID\\{1}", "Wow6432Node\\CLSID\\{1}",
         "\\Registry\\Machine\\Software\\Classes\\Wow6432Node\\CLSID\\{1}", false},
        // HKLM\Software\Wow6432Node\Classes is a link to the classes' own node.
        {ProgramView::Wow64, HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID", "Software\\Wow6432Node\\Classes\\CLSID",
         "\\Registry\\Machine\\Software\\Classes\\Wow6432Node\\CLSID", true},
        // Keys both views share are links to the 64-bit key.
        {ProgramView::Wow64, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
         "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths",
         "\\Registry\\Machine\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
        {ProgramView::Native64, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
         "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
         "\\Registry\\Machine\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", false},
        {ProgramView::Wow64, HKEY_LOCAL_MACHINE, "", "", "\\Registry\\Machine", false},
    };
    for (const auto& row : rows) {
        const Reached reached = open(row.view, row.root, row.subKey);
        ASSERT_EQ(reached.status, ERROR_SUCCESS) << row.subKey;
        EXPECT_EQ(reached.where.subKey, row.expectedSubKey);
        EXPECT_EQ(reached.where.realPath, row.expectedRealPath);
        EXPECT_EQ(reached.where.throughLink, row.throughLink) << row.subKey;
    }
}

TEST_F(RegistryViewTest, A32BitProgramDoesNotFallBackToThe64BitKey) {
    EXPECT_EQ(open(ProgramView::Wow64, HKEY_LOCAL_MACHINE, "Software\\Only64").status, kFileNotFound);
    EXPECT_EQ(open(ProgramView::Native64, HKEY_LOCAL_MACHINE, "Software\\Only64").status, ERROR_SUCCESS);
}

TEST(RegistryViewPlainMachineTest, WithoutWow6432NodeKeysEveryViewReachesTheSameKey) {
    test::TestMachine machine;
    machine.setString("HKEY_LOCAL_MACHINE\\Software\\Vendor", "Path", "C:\\x");
    HKEY key = 0;
    ViewKey where;
    ASSERT_EQ(OpenKeyInView(machine.registry(), ProgramView::Wow64, HKEY_LOCAL_MACHINE, "Software\\Vendor", &key, &where),
              ERROR_SUCCESS);
    machine.registry().RegCloseKey(key);
    EXPECT_EQ(where.subKey, "Software\\Vendor");
    EXPECT_FALSE(where.throughLink);
}

TEST(RootedKeyPathTest, NamesTheRootOfEachTree) {
    EXPECT_EQ(RootedKeyPath("\\Registry\\Machine\\Software\\X"), "HKEY_LOCAL_MACHINE\\Software\\X");
    EXPECT_EQ(RootedKeyPath("\\REGISTRY\\MACHINE"), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RootedKeyPath("\\Registry\\User\\S-1-5-21-0-0-0-1000\\Software"),
              "HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software");
    EXPECT_EQ(RootedKeyPath("\\Registry\\MachineX\\Software"), std::nullopt);
    EXPECT_EQ(RootedKeyPath("Software\\X"), std::nullopt);
}

}  // namespace
}  // namespace brindle
