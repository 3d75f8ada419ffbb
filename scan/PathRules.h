// The text rules that turn registry data into the path a scanner tests. They work on
// 8-bit text with case-sensitive substring search and never fail: a text without the
// markers passes unchanged.
#pragma once

#include <string>
#include <string_view>

#include "platform/Machine.h"

namespace brindle {

// Where a bare file name is looked for by the command cleanup.
enum class DefaultFolder {
    System,  // the system directory and "\"
    Fonts,   // the Windows directory and "\fonts\"
    None,    // no default folder (the startup scanner)
};

// Removes every double quote.
void RemoveAllQuotes(std::string& text);
// Cuts before the first "/" and then before the first " -", each only when found at
// index 1 or later.
void CutAtSwitches(std::string& text);
// When the text holds a "%": expands the first %-token and replaces every occurrence of
// it. Returns whether the text held a "%" at all (such a text gets no default folder).
bool ExpandFirstVariable(std::string& text, Machine& machine);
// Quotes removed, switches cut, first variable expanded and, for a text without "%"
// or "\", the default folder put in front. When it was put in front, bareName (if
// given) receives the text without it, else it is emptied.
std::string CommandCleanup(std::string_view data, Machine& machine, DefaultFolder folder,
                           std::string* bareName = nullptr);

// Keeps the text up to and including the first ".exe" in any letter case: Windows
// starts "Setup.Exe -u" as Setup.Exe, so the switches must go whatever the case.
void ProgramNameCut(std::string& text);

// A folder and a file name joined with one "\" between them: "C:\windows\Help" and
// "bar.hlp" name C:\windows\Help\bar.hlp, as does "C:\windows\Help\".
std::string JoinFolderAndName(std::string_view folder, std::string_view name);
// The path a help value names: the folder its data holds (cleaned of quotes and
// switches, its first variable expanded, or taken in the system directory when it names
// no folder) joined with the value's name.
std::string HelpFilePath(std::string_view data, std::string_view valueName, Machine& machine);
// The path a driver value names: data that is already a full path (a drive letter, or
// a leading "\") as it is, a bare name in the fixed driver folder.
std::string DriverPath(std::string_view data);
// Removes double quotes from the start, then from the end.
void QuoteTrim(std::string& text);

enum class SystemToolRule { Allow, Exclude };
// Whether a text is tested at all: it holds ":", does not end in "\", holds no ";",
// (with Exclude) names none of "rundll32", "RunDll32", "\regsvr32", and is longer
// than 3 characters.
bool PassesAbsolutePathFilter(std::string_view text, SystemToolRule rule);
bool NamesRunDll(std::string_view text);

inline constexpr const char* kFixedDriverFolder = "C:\\windows\\system32\\";

// The machine's directories as whole texts, however long.
std::string SystemDirectory(Machine& machine);
std::string WindowsDirectory(Machine& machine);

}  // namespace brindle
