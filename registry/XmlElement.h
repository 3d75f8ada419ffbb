// XmlElement: one element of the snapshot file about to be written, formatted one tag
// at a time. There is no document tree: the caller writes a start tag, whatever goes
// inside, and the end tag, and keeps the nesting through the depth changes it passes.
//
// Names and values are written exactly as given; escaping and encoding them is the
// caller's business, so that this facility knows nothing of what the file holds.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brindle {

class XmlWriter;

// Whether a tag is preceded by the writer's indent (one blank per level).
enum class XmlIndent { No, Yes };
// Whether a tag is followed by CR LF.
enum class XmlLineBreak { No, Yes };

class XmlElement {
public:
    explicit XmlElement(std::string name);

    void SetName(std::string name);
    // Replaces the value of the attribute with exactly this name (letter case counts),
    // keeping its place; a new name is appended. Attributes are written in list order.
    void SetAttribute(std::string_view name, std::string_view value);

    // Each Write operation returns whether the writer took the whole tag.

    // Adds depthChange to the writer's indent, then writes "<name attributes>".
    bool WriteStart(XmlWriter& writer, int depthChange, XmlIndent indent = XmlIndent::Yes,
                    XmlLineBreak lineBreak = XmlLineBreak::Yes) const;
    // Writes "<name attributes/>" at the indent plus depthChange; the indent is left as it was.
    bool WriteEmpty(XmlWriter& writer, int depthChange, XmlIndent indent = XmlIndent::Yes,
                    XmlLineBreak lineBreak = XmlLineBreak::Yes) const;
    // Writes "</name>", then adds depthChange to the writer's indent.
    bool WriteEnd(XmlWriter& writer, int depthChange, XmlIndent indent = XmlIndent::Yes,
                  XmlLineBreak lineBreak = XmlLineBreak::Yes) const;
    // Adds depthChange, then writes "<?name attributes?>", always indented and followed by CR LF.
    bool WriteDeclaration(XmlWriter& writer, int depthChange) const;

    const std::string& name() const { return m_name; }
    const std::vector<std::pair<std::string, std::string>>& attributes() const { return m_attributes; }

private:
    std::string formatTag(const XmlWriter& writer, std::string_view open, bool withAttributes, std::string_view close,
                          XmlIndent indent, XmlLineBreak lineBreak) const;

    std::string m_name;
    std::vector<std::pair<std::string, std::string>> m_attributes;
};

}  // namespace brindle
