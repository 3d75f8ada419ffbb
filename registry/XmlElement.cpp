#include "registry/XmlElement.h"

#include <algorithm>

#include "registry/XmlWriter.h"

namespace brindle {

XmlElement::XmlElement(std::string name) : m_name(std::move(name)) {}

void XmlElement::SetName(std::string name) { m_name = std::move(name); }

void XmlElement::SetAttribute(std::string_view name, std::string_view value) {
    const auto existing = std::find_if(m_attributes.begin(), m_attributes.end(),
                                       [name](const auto& attribute) { return attribute.first == name; });
    if (existing != m_attributes.end()) {
        existing->second = value;
        return;
    }
    m_attributes.emplace_back(name, value);
}

bool XmlElement::WriteStart(XmlWriter& writer, int depthChange, XmlIndent indent, XmlLineBreak lineBreak) const {
    writer.changeIndent(depthChange);
    return writer.Write(formatTag(writer, "<", true, ">", indent, lineBreak));
}

bool XmlElement::WriteEmpty(XmlWriter& writer, int depthChange, XmlIndent indent, XmlLineBreak lineBreak) const {
    writer.changeIndent(depthChange);
    const bool written = writer.Write(formatTag(writer, "<", true, "/>", indent, lineBreak));
    writer.changeIndent(-depthChange);
    return written;
}

bool XmlElement::WriteEnd(XmlWriter& writer, int depthChange, XmlIndent indent, XmlLineBreak lineBreak) const {
    const bool written = writer.Write(formatTag(writer, "</", false, ">", indent, lineBreak));
    writer.changeIndent(depthChange);
    return written;
}

bool XmlElement::WriteDeclaration(XmlWriter& writer, int depthChange) const {
    writer.changeIndent(depthChange);
    return writer.Write(formatTag(writer, "<?", true, "?>", XmlIndent::Yes, XmlLineBreak::Yes));
}

std::string XmlElement::formatTag(const XmlWriter& writer, std::string_view open, bool withAttributes,
                                  std::string_view close, XmlIndent indent, XmlLineBreak lineBreak) const {
    std::string tag;
    // Callers that unbalance their depth changes get a tag at column 0, not a wild blank count.
    if (indent == XmlIndent::Yes) tag.append(static_cast<std::size_t>(std::max(writer.indent(), 0)), ' ');
    tag += open;
    tag += m_name;
    if (withAttributes) {
        for (const auto& [name, value] : m_attributes) {
            tag += ' ';
            tag += name;
            tag += "=\"";
            tag += value;
            tag += '"';
        }
    }
    tag += close;
    if (lineBreak == XmlLineBreak::Yes) tag += "\r\n";
    return tag;
}

}  // namespace brindle
