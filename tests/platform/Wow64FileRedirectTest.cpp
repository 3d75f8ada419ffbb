// Which paths Wine leads a 32-bit program of a 64-bit prefix elsewhere. The rows were
// checked against a 32-bit cmd's "if exist" on a real Wine 8 prefix.
#include "platform/Wow64FileRedirect.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

struct RedirectCase {
    const char* path;
    const char* expected;  // nullptr: not redirected
};

void CheckRows(const std::vector<RedirectCase>& rows, const char* windows = "C:\\windows",
               const char* current = "C:\\users\\me") {
    for (const auto& row : rows) {
        const auto redirected = Wow64RedirectedPath(row.path, windows, current);
        EXPECT_EQ(redirected.value_or("(not redirected)"), row.expected ? row.expected : "(not redirected)")
            << "path \"" << row.path << "\" with the Windows folder " << windows;
    }
}

TEST(Wow64FileRedirectTest, System32IsSyswow64AndSysnativeIsSystem32) {
    CheckRows({
        {"C:\\windows\\system32\\tool.dll", "C:\\windows\\syswow64\\tool.dll"},
        {"c:\\WINDOWS\\SYSTEM32\\Tool.DLL", "C:\\WINDOWS\\syswow64\\Tool.DLL"},
        {"C:/windows/system32/drivers/tool.sys", "C:\\windows\\syswow64\\drivers\\tool.sys"},
        {"C:\\windows\\system32", "C:\\windows\\syswow64"},
        {"C:\\windows\\system32\\", "C:\\windows\\syswow64\\"},
        {"C:\\windows\\sysnative\\tool.dll", "C:\\windows\\system32\\tool.dll"},
        {"C:\\windows\\sysnative\\spool\\x.dll", "C:\\windows\\system32\\spool\\x.dll"},
        // Read as Win32 reads it before the redirection: from the root of C:, dots resolved.
        {"\\windows\\system32\\tool.dll", "C:\\windows\\syswow64\\tool.dll"},
        {"C:\\windows\\fonts\\..\\system32\\tool.dll", "C:\\windows\\syswow64\\tool.dll"},
        {"C:\\windows\\system32\\..\\system32\\tool.dll", "C:\\windows\\syswow64\\tool.dll"},
    });
}

TEST(Wow64FileRedirectTest, SharedFoldersAndOtherPlacesAreNotRedirected) {
    CheckRows({
        {"C:\\windows\\system32\\spool", nullptr},
        {"C:\\windows\\system32\\spool\\drivers\\x.dll", nullptr},
        {"C:\\windows\\system32\\Catroot\\x.cat", nullptr},
        {"C:\\windows\\system32\\catroot2\\x", nullptr},
        {"C:\\windows\\system32\\drivers\\etc\\hosts", nullptr},
        {"C:\\windows\\system32\\logfiles\\x.log", nullptr},
        {"C:\\windows\\system32\\driversstore\\x.inf", nullptr},
        // Wine's list spells it "driversstore": the Windows spelling is redirected.
        {"C:\\windows\\system32\\driverstore\\x.inf", "C:\\windows\\syswow64\\driverstore\\x.inf"},
        {"C:\\windows\\system32\\drivers\\etcetera", "C:\\windows\\syswow64\\drivers\\etcetera"},
        {"C:\\windows\\system32\\spooler.dll", "C:\\windows\\syswow64\\spooler.dll"},
        {"C:\\windows\\system32x\\tool.dll", nullptr},
        {"C:\\windows\\syswow64\\tool.dll", nullptr},
        // Below sysnative is the real system32, but the name itself leads nowhere.
        {"C:\\windows\\sysnative", nullptr},
        {"C:\\system32\\tool.dll", nullptr},
        {"C:\\Program Files\\App\\system32\\tool.dll", nullptr},
        {"D:\\windows\\system32\\tool.dll", nullptr},
        {"C:\\windows", nullptr},
        {"\\\\server\\share\\windows\\system32\\x.dll", nullptr},
        {"", nullptr},
    });
}

TEST(Wow64FileRedirectTest, FollowsTheMachinesWindowsFolderAndCurrentFolder) {
    CheckRows({{"C:\\winnt\\system32\\x.dll", "C:\\winnt\\syswow64\\x.dll"},
               {"C:\\windows\\system32\\x.dll", nullptr}},
              "C:\\winnt");
    CheckRows({{"system32\\x.dll", "C:\\windows\\syswow64\\x.dll"}, {"x.dll", nullptr}}, "C:\\windows",
              "C:\\windows");
}

}  // namespace
}  // namespace brindle
