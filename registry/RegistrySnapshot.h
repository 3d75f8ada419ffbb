// The snapshot file: the XML record of what a repair deletes, written key by key before
// each deletion, and its import, which writes the keys and values back.
//
//   <registry>
//    <k name="HKEY_LOCAL_MACHINE"><k name="Software"> ...
//      <v name="Foo" value="0x0000000a (10)" type="REG_DWORD"/>
//
// A part of CRegistryLib (scan/RegistryLib.h), over the registry access it reads and
// writes through.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "registry/RegistryAccess.h"
#include "registry/XmlReader.h"
#include "registry/XmlWriter.h"

namespace brindle {

class RegistrySnapshot : public RegistryAccess {
public:
    explicit RegistrySnapshot(Machine& machine);
    ~RegistrySnapshot() override;

    // One open level of the key nest an import is inside.
    struct SnapshotKeyEntry {
        std::string name;
        win::HKEY handle = 0;  // 0 when the key could not be opened
    };

    // The writer the repair appends its snapshot to.
    XmlWriter& snapshotWriter() { return m_snapshotWriter; }
    // Writes the nest of "k" elements of keyPath and, inside it, the key's content: only
    // `value` (and the sub-keys) when it is given, else every value. False, with nothing
    // written, when the path is empty or the key cannot be opened.
    bool SaveKeyToXml(XmlWriter& writer, const std::string& keyPath, const RegistryValue* value);
    // The content of an open key, enclosed in its own "k" element when name is not empty.
    bool SaveKeyContent(XmlWriter& writer, const std::string& name, win::HKEY key, const RegistryValue* value);
    // Writes the keys and values of a snapshot file back into the registry. False when a
    // key could not be created or the file could not be read.
    bool LoadAsXml(XmlReader& reader, const std::string& fileName);
    win::HKEY LoadAsXml_OpenKey(std::vector<SnapshotKeyEntry>& stack);
    // False, with the message shown, when the value could not be set.
    bool LoadAsXml_SetValue(win::HKEY key, const std::string& name, const std::string& text,
                            const std::string& typeName);
    static std::vector<win::BYTE> ParseValueData(std::string_view text, win::DWORD type);
    // Entities for &, ", <, ' and > (the reader would end a value at the last two), then
    // ANSI to UTF-8 (and back) through the machine's code page.
    std::string EscapeXmlText(std::string_view text) const;
    std::string UnescapeXmlText(std::string_view text) const;

private:
    XmlWriter m_snapshotWriter;
};

}  // namespace brindle
