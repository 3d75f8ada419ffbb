// Which registry keys the programs of a view reach. A 32-bit program of a 64-bit Wine
// prefix that opens a path is led, below every key that has a "Wow6432Node" sub-key, into
// that sub-key: HKLM\Software\Foo is HKLM\Software\Wow6432Node\Foo for it, and
// HKEY_CLASSES_ROOT\CLSID is HKEY_CLASSES_ROOT\Wow6432Node\CLSID. The keys both kinds of
// program share are symbolic links in the registry itself (Wow6432Node\...\App Paths leads
// to the 64-bit App Paths), so which keys are shared is the prefix's own answer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ProgramView.h"
#include "platform/Registry.h"

namespace brindle {

// Where a key opened in a view lies.
struct ViewKey {
    // The path below the root that reaches the key without redirection: the path asked
    // for, with "Wow6432Node" put in where the view descended into one.
    std::string subKey;
    // The key's full name in the registry's tree (Registry::QueryKeyPath).
    std::string realPath;
    // Whether a symbolic link lay on the way, so that subKey reaches the key only through
    // it; the key's own name is then realPath.
    bool throughLink = false;
};

// Opens subKey below root (a predefined root or an open key) as a program of the view
// would, with Win32's status codes. On success *where, when given, says where the key is.
win::LONG OpenKeyInView(Registry& registry, ProgramView view, win::HKEY root, std::string_view subKey,
                        win::HKEY* result, ViewKey* where = nullptr);

// A full registry name as the roots spell it: "\Registry\Machine\X" is
// "HKEY_LOCAL_MACHINE\X" and "\Registry\User\X" is "HKEY_USERS\X"; nothing for others.
std::optional<std::string> RootedKeyPath(std::string_view realPath);

}  // namespace brindle
