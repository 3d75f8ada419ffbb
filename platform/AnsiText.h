// A path or name in the machine's ANSI code page as UTF-8, and back. Windows ANSI code
// pages agree with ASCII below 0x80, so such text is its own UTF-8 and is not converted.
// A path is converted as a whole before it is split: in the double-byte pages a second
// byte may be 0x5C, which is not a separator there, while UTF-8 never hides one.
#pragma once

#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace brindle {

std::string AnsiToUtf8(std::string_view ansi, const CodePage& codePage);
std::string Utf8ToAnsi(std::string_view utf8, const CodePage& codePage);

}  // namespace brindle
