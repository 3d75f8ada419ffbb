// The text forms of value data and of value type codes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/WinTypes.h"

namespace brindle {

// Data rendered as text by type, with lowercase hexadecimal digits. Numbers shorter than
// their type's 4 or 8 bytes are read with the missing bytes as zero; nothing beyond
// `length` is read. REG_LINK data is UTF-16 and is converted through `codePage`.
std::string FormatValueData(win::DWORD type, const win::BYTE* data, std::size_t length, const CodePage& codePage);

// "REG_SZ" and so on; the empty text for codes without a name (9, above 11).
std::string GetTypeName(win::DWORD type);
// The inverse, case-insensitive; any unknown name (the empty one too) gives REG_SZ.
win::DWORD GetTypeFromName(std::string_view name);

}  // namespace brindle
