// Export half of the snapshot file: the nest of "k" elements naming a key, the key's
// values as empty "v" elements and its sub-keys below them. The file layout is
//
//   <?xml version="1.0" encoding="UTF-8"?>            column 0, written by the writer
//    <registry>                                        indent 1, written by the repair
//     <k name="HKEY_LOCAL_MACHINE">                    indent 2, one per path component
//      <k name="Software">
//       <k name="X">
//        <v name="Foo" value="0x0000000a (10)" type="REG_DWORD"/>
//        <k name="Empty"/>                             a sub-key with no content
//       </k>
//      </k>
//     </k>
//    </registry>
//
// with CR LF after every tag. Every name and value passes through EscapeXmlText.
#include "registry/RegistrySnapshot.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/Unicode.h"
#include "registry/KeyHandle.h"
#include "registry/RegistryKeyPath.h"
#include "registry/ValueFormat.h"
#include "registry/XmlElement.h"

namespace brindle {

using namespace win;

namespace {

constexpr const char* kKeyElement = "k";
constexpr const char* kValueElement = "v";

bool IsUnsetDefault(const RegistryValue& value) {
    return value.name == kDefaultValueName && value.data == kValueNotSet;
}

// The value listing renders the unnamed value as text whatever its type, which is right
// for showing it but would write a number or bytes back as garbage; the snapshot takes
// its data afresh and renders it by its own type, as for any named value.
std::string UnnamedValueText(Registry& registry, const CodePage& codePage, HKEY key, const RegistryValue& record) {
    DWORD type = REG_NONE;
    DWORD length = 0;
    if (registry.RegQueryValueExA(key, "", nullptr, &type, nullptr, &length) != ERROR_SUCCESS ||
        type != record.type) {
        return record.data;
    }
    std::vector<BYTE> data;
    try {
        data.resize(static_cast<std::size_t>(length) + 1);
    } catch (const std::bad_alloc&) {
        return record.data;
    }
    length = static_cast<DWORD>(data.size());
    if (registry.RegQueryValueExA(key, "", nullptr, &type, data.data(), &length) != ERROR_SUCCESS ||
        type != record.type) {
        return record.data;
    }
    return FormatValueData(type, data.data(), std::min<std::size_t>(length, data.size()), codePage);
}


}  // namespace

RegistrySnapshot::RegistrySnapshot(Machine& machine) : RegistryAccess(machine) {}

RegistrySnapshot::~RegistrySnapshot() = default;

std::string RegistrySnapshot::EscapeXmlText(std::string_view text) const {
    if (text.empty()) return {};
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            // The reader ends an attribute value at either, so a value holding one
            // would come back cut short.
            case '\'':
                escaped += "&apos;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped.push_back(c);
        }
    }
    return Utf16ToUtf8(m_machine.codePage().toUtf16(escaped));
}

bool RegistrySnapshot::SaveKeyToXml(XmlWriter& writer, const std::string& keyPath, const RegistryValue* value) {
    if (keyPath.empty()) return false;
    std::string subKey = keyPath;
    const std::string rootName = SeperateMainKey(subKey);
    KeyHandle key(m_registry);
    if (OpenKey(rootName, subKey, key.out()) != ERROR_SUCCESS) return false;

    // "A\\B\\" names the same key as "A\\B"; an empty "k" name would make the import look
    // for a key with an empty name and fail.
    const std::vector<std::string> components = RegistryKeyPath::Names(keyPath);
    for (const std::string& component : components) {
        XmlElement element(kKeyElement);
        element.SetAttribute("name", EscapeXmlText(component));
        element.WriteStart(writer, 1);
    }
    const bool saved = SaveKeyContent(writer, {}, key.get(), value);
    const XmlElement end(kKeyElement);
    for (std::size_t i = 0; i < components.size(); ++i) end.WriteEnd(writer, -1);
    // A write that failed is sticky in the writer; a snapshot the file did not take is
    // no snapshot.
    return saved && writer.allWritten();
}

bool RegistrySnapshot::SaveKeyContent(XmlWriter& writer, const std::string& name, HKEY key, const RegistryValue* value) {
    DWORD subKeyCount = 0;
    DWORD longestSubKey = 0;
    DWORD valueCount = 0;
    if (m_registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeyCount, &longestSubKey, nullptr,
                                    &valueCount, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<char> subKeyName;
    try {
        subKeyName.resize(static_cast<std::size_t>(longestSubKey) + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }

    const bool hasContent = subKeyCount != 0 || valueCount != 0;
    XmlElement keyElement(kKeyElement);
    if (!name.empty()) {
        keyElement.SetAttribute("name", EscapeXmlText(name));
        if (hasContent) {
            keyElement.WriteStart(writer, 1);
        } else {
            keyElement.WriteEmpty(writer, 1);
        }
    }

    std::vector<RegistryValue> values;
    if (value != nullptr) {
        values.push_back(*value);
    } else {
        GetKeyValues(key, values);
    }
    for (const RegistryValue& record : values) {
        if (IsUnsetDefault(record)) continue;
        XmlElement element(kValueElement);
        element.SetAttribute("name", EscapeXmlText(record.name));
        const bool unnamed = record.name == kDefaultValueName;
        element.SetAttribute("value", EscapeXmlText(unnamed ? UnnamedValueText(m_registry, m_machine.codePage(), key,
                                                                               record)
                                                            : record.data));
        if (record.type != REG_NONE && record.type != REG_SZ) element.SetAttribute("type", GetTypeName(record.type));
        element.WriteEmpty(writer, 1);
    }

    // A sub-key that cannot be read is left out, but the enumeration goes on and every
    // element opened here is closed, so that the file stays balanced for the problems
    // written after this one; the false result tells the caller the copy is incomplete.
    bool complete = true;
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(subKeyName.size());
        const LONG status =
            m_registry.RegEnumKeyExA(key, index, subKeyName.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            if (status != ERROR_NO_MORE_ITEMS) complete = false;
            break;
        }
        if (length == 0) continue;
        const std::string childName(subKeyName.data(), std::min<std::size_t>(length, subKeyName.size()));
        KeyHandle child(m_registry);
        if (m_registry.RegOpenKeyA(key, childName.c_str(), child.out()) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        if (!SaveKeyContent(writer, childName, child.get(), nullptr)) complete = false;
    }

    if (!name.empty() && hasContent) keyElement.WriteEnd(writer, -1);
    return complete;
}

}  // namespace brindle
