#include "registry/SnapshotCheck.h"

#include <vector>

#include "platform/AsciiText.h"
#include "platform/WineRegistryFile.h"
#include "registry/RegistrySnapshot.h"
#include "registry/XmlReader.h"

namespace brindle {

Status CheckSnapshotFile(const RegistrySnapshot& lib, const std::string& fileName) {
    XmlReader reader;
    reader.SetFileName(fileName);
    const auto at = [&] { return "\"" + fileName + "\" line " + std::to_string(reader.lineNumber()); };

    // Only the depth of the nest and its root matter here; the names are the import's.
    std::size_t depth = 0;
    bool ended = false;
    while (reader.Read()) {
        switch (reader.GetTokenKind()) {
            case XmlToken::Attribute: {
                if (!EqualsIgnoreAsciiCase(lib.UnescapeXmlText(reader.GetElementName()), "k") ||
                    !EqualsIgnoreAsciiCase(lib.UnescapeXmlText(reader.GetAttribute().name), "name")) {
                    break;
                }
                if (depth == 0) {
                    const std::string root = lib.UnescapeXmlText(reader.GetAttribute().value);
                    if (!RegistryAccess::RootKeyFromName(root)) {
                        return Error(at() + ": \"" + root +
                                     "\" is not a registry root (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, ...)");
                    }
                }
                // The root itself is not a level of the registry files.
                if (depth > kMaxWineKeyDepth) {
                    return Error(at() + ": keys nested deeper than " + std::to_string(kMaxWineKeyDepth) +
                                 " levels, which the registry files cannot hold");
                }
                ++depth;
                break;
            }
            case XmlToken::EndOfElement: {
                const std::string element = lib.UnescapeXmlText(reader.GetElementName());
                if (EqualsIgnoreAsciiCase(element, "k") && depth > 0) --depth;
                // A repair that could not export a whole key leaves its nest open and goes
                // on; the end of "registry" is what tells a finished file.
                if (element == "registry") ended = true;
                break;
            }
            default:
                break;
        }
    }
    if (!reader.error().empty()) return Error("\"" + fileName + "\": " + reader.error());
    if (!ended) return Error(at() + ": the file ends before its \"registry\" element does; it was cut short");
    return {};
}

}  // namespace brindle
