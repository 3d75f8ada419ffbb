// Whether the 8-bit name a listing gave a value or a key reaches that same value or key
// when the registry is asked for it by name. It may not: a character the ANSI code page
// lacks is listed as '?' (and asking for "?" reaches another value, or none), two names
// may list alike, and a name holding a NUL ends at it when handed over as a C string.
// A repair that deleted by such a name would delete the wrong entry, or none, and say
// it had removed it.
#pragma once

#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace brindle {

// Empty when deleting the value of this listed name (the empty name for the unnamed
// value) in the open key reaches exactly the value listed, or no value is listed by it
// any more; otherwise why it cannot be told apart.
std::string WhyValueIsNotAddressable(Registry& registry, win::HKEY key, std::string_view listedName);

// The same for a sub-key of an open key, whose name the problem may carry in another
// letter case (key names are compared without regard to case).
std::string WhySubKeyIsNotAddressable(Registry& registry, win::HKEY parent, std::string_view listedName);

}  // namespace brindle
