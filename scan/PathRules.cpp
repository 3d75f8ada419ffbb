#include "scan/PathRules.h"

#include <algorithm>
#include <vector>

#include "platform/AsciiText.h"

namespace brindle {

namespace {

// The size of the buffers the scanners hand to ExpandEnvironmentStringsA.
constexpr win::DWORD kExpansionCapacity = 256;

void CutBefore(std::string& text, std::string_view marker) {
    const auto at = text.find(marker);
    if (at != std::string::npos && at >= 1) text.erase(at);
}

void ReplaceAll(std::string& text, std::string_view token, std::string_view replacement) {
    std::string result;
    std::size_t from = 0;
    for (auto at = text.find(token); at != std::string::npos; at = text.find(token, from)) {
        result.append(text, from, at - from);
        result.append(replacement);
        from = at + token.size();
    }
    result.append(text, from, std::string::npos);
    text = std::move(result);
}

// Asks with a MAX_PATH buffer on the stack first, since directories nearly always fit.
template <typename Call>
std::string GrowingBufferText(Call call) {
    char first[260];
    unsigned length = call(first, sizeof first);
    if (length < sizeof first) return std::string(first, length);
    std::vector<char> buffer;
    do {
        buffer.resize(length + 1);
        length = call(buffer.data(), static_cast<unsigned>(buffer.size()));
    } while (length >= buffer.size());
    return std::string(buffer.data(), length);
}

}  // namespace

void RemoveAllQuotes(std::string& text) { text.erase(std::remove(text.begin(), text.end(), '"'), text.end()); }

void CutAtSwitches(std::string& text) {
    CutBefore(text, "/");
    CutBefore(text, " -");
}

bool ExpandFirstVariable(std::string& text, Machine& machine) {
    const auto first = text.find('%');
    if (first == std::string::npos) return false;
    const auto second = text.find('%', first + 1);
    if (second == std::string::npos) return true;

    const std::string token = text.substr(first, second - first + 1);
    char expanded[kExpansionCapacity];
    const win::DWORD needed = machine.ExpandEnvironmentStringsA(token.c_str(), expanded, kExpansionCapacity);
    // An expansion that does not fit the buffer is treated as no expansion at all.
    if (needed == 0 || needed > kExpansionCapacity) return true;
    ReplaceAll(text, token, std::string_view(expanded, std::find(expanded, expanded + needed, '\0') - expanded));
    return true;
}

std::string CommandCleanup(std::string_view data, Machine& machine, DefaultFolder folder, std::string* bareName) {
    if (bareName != nullptr) bareName->clear();
    std::string text(data);
    RemoveAllQuotes(text);
    CutAtSwitches(text);
    if (ExpandFirstVariable(text, machine)) return text;
    if (Contains(text, "\\")) return text;
    std::string path;
    switch (folder) {
    case DefaultFolder::System:
        path = SystemDirectory(machine) + "\\" + text;
        break;
    case DefaultFolder::Fonts:
        path = WindowsDirectory(machine) + "\\fonts\\" + text;
        break;
    case DefaultFolder::None:
        return text;
    }
    if (bareName != nullptr) *bareName = std::move(text);
    return path;
}

void ProgramNameCut(std::string& text) {
    const std::string lower = ToLowerAscii(text);
    const auto at = lower.find(".exe");
    if (at != std::string::npos) text.erase(at + 4);
}

std::string JoinFolderAndName(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    return path;
}

std::string HelpFilePath(std::string_view data, std::string_view valueName, Machine& machine) {
    std::string folder(data);
    RemoveAllQuotes(folder);
    CutAtSwitches(folder);
    if (!ExpandFirstVariable(folder, machine) && !Contains(folder, "\\")) {
        folder = JoinFolderAndName(SystemDirectory(machine), folder);
    }
    return JoinFolderAndName(folder, valueName);
}

std::string DriverPath(std::string_view data) {
    const bool hasDrive = data.size() >= 2 && data[1] == ':';
    const bool fromRoot = !data.empty() && (data[0] == '\\' || data[0] == '/');
    if (hasDrive || fromRoot) return std::string(data);
    return kFixedDriverFolder + std::string(data);
}

void QuoteTrim(std::string& text) {
    const auto start = text.find_first_not_of('"');
    if (start == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(0, start);
    text.erase(text.find_last_not_of('"') + 1);
}

bool NamesRunDll(std::string_view text) { return Contains(text, "rundll32") || Contains(text, "RunDll32"); }

bool PassesAbsolutePathFilter(std::string_view text, SystemToolRule rule) {
    if (!Contains(text, ":")) return false;
    if (!text.empty() && text.back() == '\\') return false;
    if (Contains(text, ";")) return false;
    if (rule == SystemToolRule::Exclude && (NamesRunDll(text) || Contains(text, "\\regsvr32"))) return false;
    return text.size() > 3;
}

std::string SystemDirectory(Machine& machine) {
    return GrowingBufferText([&](char* buffer, unsigned size) { return machine.GetSystemDirectoryA(buffer, size); });
}

std::string WindowsDirectory(Machine& machine) {
    return GrowingBufferText([&](char* buffer, unsigned size) { return machine.GetWindowsDirectoryA(buffer, size); });
}

}  // namespace brindle
