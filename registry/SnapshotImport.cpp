// Import half of the snapshot file: walks the tokens of a snapshot and writes its keys
// and values back. Each "k" element's key is opened (or created) when its "name"
// attribute is read and held open until its end tag, so that the "v" elements inside it
// are set on the innermost open key.
#include "registry/RegistrySnapshot.h"

#include <cstdint>
#include <limits>

#include "platform/AsciiText.h"
#include "platform/Unicode.h"
#include "registry/SnapshotCheck.h"

namespace brindle {

using namespace win;

namespace {

constexpr std::string_view kParseErrorPrefix = "Parse error in line ";

// Replaces every occurrence of entity, scanning left to right and going on after each
// replacement, so that what one replacement produced is not scanned again.
// Built by appending rather than with replace(): GCC 12's -Wrestrict misreads libstdc++'s
// replace() at -O3.
void ReplaceAll(std::string& text, std::string_view entity, std::string_view replacement) {
    std::size_t position = text.find(entity);
    if (position == std::string::npos) return;
    std::string result;
    std::size_t from = 0;
    for (; position != std::string::npos; position = text.find(entity, from)) {
        result.append(text, from, position - from).append(replacement);
        from = position + entity.size();
    }
    result.append(text, from);
    text = std::move(result);
}

// The open keys of the nest, released however the import ends.
class KeyStack {
public:
    explicit KeyStack(Registry& registry) : m_registry(registry) {}
    ~KeyStack() {
        while (!entries.empty()) pop();
    }
    KeyStack(const KeyStack&) = delete;
    KeyStack& operator=(const KeyStack&) = delete;

    void pop() {
        if (entries.back().handle != 0) m_registry.RegCloseKey(entries.back().handle);
        entries.pop_back();
    }

    std::vector<RegistrySnapshot::SnapshotKeyEntry> entries;

private:
    Registry& m_registry;
};

std::string JoinedPath(const std::vector<RegistrySnapshot::SnapshotKeyEntry>& stack) {
    std::string path;
    for (const auto& entry : stack) {
        if (!path.empty()) path += '\\';
        path += entry.name;
    }
    return path;
}

}  // namespace

std::string RegistrySnapshot::UnescapeXmlText(std::string_view text) const {
    if (text.empty()) return {};
    std::string decoded = m_machine.codePage().toAnsi(Utf8ToUtf16(text));
    ReplaceAll(decoded, "&lt;", "<");
    ReplaceAll(decoded, "&quot;", "\"");
    // Written since single quotes and ">" are escaped; older files have neither.
    ReplaceAll(decoded, "&apos;", "'");
    ReplaceAll(decoded, "&gt;", ">");
    ReplaceAll(decoded, "&amp;", "&");
    return decoded;
}

bool RegistrySnapshot::LoadAsXml(XmlReader& reader, const std::string& fileName) {
    // A file that cannot be written back whole is not written back at all.
    if (const Status checked = CheckSnapshotFile(*this, fileName); !checked) {
        if (messageDisplay) messageDisplay(checked.error().message() + "; nothing was restored");
        return false;
    }
    reader.SetShowErrors(true);
    reader.SetFileName(fileName);
    KeyStack stack(m_registry);
    std::string valueName;
    std::string valueText;
    std::string typeName;
    bool carryOn = true;
    bool everyValueSet = true;
    // A "v" whose value holds a raw single quote or ">" (files written before those were
    // escaped) loses its end to the reader: the value ends there and the rest of the tag
    // is read as something else. It is set with what was read when the next element
    // begins or its key ends, rather than being dropped without a word.
    bool valuePending = false;
    const auto setValue = [&] {
        if (!stack.entries.empty() &&
            !LoadAsXml_SetValue(stack.entries.back().handle, valueName, valueText, typeName)) {
            everyValueSet = false;
        }
        valueName.clear();
        valueText.clear();
        typeName.clear();
        valuePending = false;
    };

    while (carryOn && reader.Read()) {
        switch (reader.GetTokenKind()) {
            case XmlToken::StartOfElement:
                if (valuePending) setValue();
                break;
            case XmlToken::EndOfElement: {
                const std::string element = UnescapeXmlText(reader.GetElementName());
                if (EqualsIgnoreAsciiCase(element, "k") && !stack.entries.empty()) {
                    if (valuePending) setValue();
                    stack.pop();
                } else if (element == "v" && !stack.entries.empty()) {
                    setValue();
                }
                break;
            }
            case XmlToken::Attribute: {
                const std::string element = UnescapeXmlText(reader.GetElementName());
                const std::string name = UnescapeXmlText(reader.GetAttribute().name);
                std::string value = UnescapeXmlText(reader.GetAttribute().value);
                if (EqualsIgnoreAsciiCase(name, "name") && EqualsIgnoreAsciiCase(element, "k")) {
                    stack.entries.push_back({std::move(value), 0});
                    stack.entries.back().handle = LoadAsXml_OpenKey(stack.entries);
                    if (stack.entries.back().handle == 0) carryOn = false;
                } else if (element == "v") {
                    if (name == "name") {
                        if (valuePending) setValue();
                        valuePending = true;
                        valueName = std::move(value);
                        valueText.clear();
                        typeName.clear();
                    } else if (name == "value") {
                        valueText = std::move(value);
                        typeName.clear();
                    } else if (name == "type") {
                        typeName = std::move(value);
                    }
                }
                break;
            }
            default:
                break;
        }
    }

    if (carryOn && valuePending && reader.error().empty()) setValue();
    // The reader shows its own parse errors; a file that could not be opened or read
    // would otherwise end the import as silently as a complete one. Either way what
    // was restored is not the whole snapshot, which the result says.
    if (carryOn && !reader.error().empty()) {
        if (reader.error().rfind(kParseErrorPrefix, 0) != 0 && messageDisplay) messageDisplay(reader.error());
        carryOn = false;
    }
    // Lines cut off at the end of a file leave keys open that were never closed. When
    // every value read was written back, nothing of what the file holds was lost.
    if (carryOn && !stack.entries.empty() && !everyValueSet) {
        if (messageDisplay) {
            messageDisplay("\"" + fileName + "\" ends inside the key " + JoinedPath(stack.entries) +
                           " after line " + std::to_string(reader.lineNumber()));
        }
        carryOn = false;
    }
    while (!stack.entries.empty()) stack.pop();
    reader.Close();
    return carryOn;
}

HKEY RegistrySnapshot::LoadAsXml_OpenKey(std::vector<SnapshotKeyEntry>& stack) {
    if (stack.empty()) return 0;
    const std::string& rootName = stack.front().name;
    std::string subKey;
    for (std::size_t i = 1; i < stack.size(); ++i) {
        if (i > 1) subKey += '\\';
        subKey += stack[i].name;
    }

    HKEY key = 0;
    if (OpenKey(rootName, subKey, &key) == ERROR_SUCCESS) return key;

    const auto root = RootKeyFromName(rootName);
    if (!root) return 0;
    key = 0;
    if (m_registry.RegCreateKeyA(*root, subKey.c_str(), &key) == ERROR_SUCCESS && key != 0) return key;
    if (messageDisplay) messageDisplay("couldn't create key " + rootName + "\\" + subKey);
    return 0;
}

bool RegistrySnapshot::LoadAsXml_SetValue(HKEY key, const std::string& name, const std::string& text,
                                      const std::string& typeName) {
    if (key == 0) return false;
    const std::string registryName = EqualsIgnoreAsciiCase(name, kDefaultValueName) ? std::string() : name;
    const DWORD type = GetTypeFromName(typeName);
    const std::vector<BYTE> data = ParseValueData(text, type);
    if (!data.empty() && data.size() <= std::numeric_limits<DWORD>::max() &&
        m_registry.RegSetValueExA(key, registryName.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())) ==
            ERROR_SUCCESS) {
        return true;
    }
    if (messageDisplay) messageDisplay("couldn't set value " + name);
    return false;
}

}  // namespace brindle
