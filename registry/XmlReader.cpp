#include "registry/XmlReader.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/RegularFile.h"

namespace brindle {

namespace {

// Files are read in pieces of this size; a line may span any number of them.
constexpr std::size_t kReadChunkBytes = 64 * 1024;

constexpr std::string_view kBlankAndLineBreak = " \r\n";
constexpr std::string_view kAttributeValueEnds = "\"'\r\n>";
constexpr std::string_view kAttributeNameEnds = " \r\n=>";
constexpr std::string_view kTextEnds = "\r\n<";
// Where a tag name ends; a "/" ends it too, unless it is the name's first character.
constexpr std::string_view kTagNameEnds = " \r\n>/";
constexpr std::string_view kEndMarkEnds = " \r\n>";
constexpr std::string_view kCommentOpen = "!--";
constexpr std::string_view kCdataOpen = "![CDATA[";

}  // namespace

XmlReader::~XmlReader() {
    if (m_file != nullptr) std::fclose(m_file);
}

void XmlReader::SetFileName(std::string name) {
    if (!isOpen()) m_fileName = std::move(name);
}

void XmlReader::Close() {
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
    m_showErrors = false;
    m_stopped = false;
    m_pending.clear();
    m_pendingPosition = 0;
    m_fileEnded = false;
}

bool XmlReader::Read() {
    if (m_stopped) return false;
    if (!isOpen() && !openFile()) return false;
    if (m_needLine) {
        switch (readLine()) {
            case LineResult::Line:
                break;
            case LineResult::Failure:
                return false;
            case LineResult::End:
                // A file that stops inside a tag lost its end; saying only "the end"
                // would let the caller take a cut-off file for a whole one.
                if (const char* construct = unterminatedConstruct()) {
                    return parseError(std::string("Unexpected end of file inside ") + construct);
                }
                return stop({});
        }
        m_needLine = false;
        m_position = 0;
        ++m_lineNumber;
    }
    std::string failure;
    if (!scanToken(failure)) return parseError(failure);
    return true;
}

bool XmlReader::openFile() {
    m_needLine = true;
    m_position = 0;
    m_lineNumber = 0;
    clearScannerFlags();
    m_haveAttributeName = false;
    m_error.clear();
    m_elementName.clear();
    m_text.clear();
    m_attribute = {};
    m_declarationName.clear();
    m_tokenKind = XmlToken::Nothing;
    m_pending.clear();
    m_pendingPosition = 0;
    m_fileEnded = false;

    std::string reason;
    m_file = OpenRegularFileStream(m_fileName, reason);
    if (m_file == nullptr) return stop("Cannot open \"" + m_fileName + "\" for reading: " + reason);
    return true;
}

XmlReader::LineResult XmlReader::readLine() {
    m_line.clear();
    for (;;) {
        const std::size_t lineFeed = m_pending.find('\n', m_pendingPosition);
        if (lineFeed != std::string::npos) {
            m_line.append(m_pending, m_pendingPosition, lineFeed - m_pendingPosition);
            m_pendingPosition = lineFeed + 1;
            // CR LF and LF alike end a line; a CR anywhere else stays in it.
            if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
            return LineResult::Line;
        }
        m_line.append(m_pending, m_pendingPosition);
        m_pending.clear();
        m_pendingPosition = 0;
        if (m_fileEnded) return m_line.empty() ? LineResult::End : LineResult::Line;

        m_pending.resize(kReadChunkBytes);
        const std::size_t got = std::fread(m_pending.data(), 1, m_pending.size(), m_file);
        m_pending.resize(got);
        if (got < kReadChunkBytes) {
            if (std::ferror(m_file)) {
                stop("Cannot read \"" + m_fileName + "\" after line " + std::to_string(m_lineNumber) + ": " +
                     std::strerror(errno));
                return LineResult::Failure;
            }
            m_fileEnded = true;
        }
    }
}

bool XmlReader::stop(std::string error) {
    m_stopped = true;
    m_tokenKind = XmlToken::Nothing;
    m_error = std::move(error);
    return false;
}

bool XmlReader::parseError(const std::string& reason) {
    stop("Parse error in line " + std::to_string(m_lineNumber) + " : (" + reason + ")");
    if (m_showErrors && m_errorDisplay) m_errorDisplay(m_error);
    return false;
}

const char* XmlReader::unterminatedConstruct() const {
    if (m_inComment) return "a comment";
    if (m_inCdata) return "a CDATA section";
    if (m_afterEquals) return "an attribute value";
    if (m_inTag) return "a tag";
    return nullptr;
}

void XmlReader::clearScannerFlags() {
    m_inTag = false;
    m_afterEquals = false;
    m_inText = false;
    m_inComment = false;
    m_inCdata = false;
}

std::size_t XmlReader::skipBlanks(std::size_t position) const {
    const std::size_t next = m_line.find_first_not_of(kBlankAndLineBreak, position);
    return next == std::string::npos ? m_line.size() : next;
}

bool XmlReader::scanToken(std::string& failure) {
    m_tokenKind = XmlToken::Nothing;
    if (m_inTag && !m_afterEquals) m_position = skipBlanks(m_position);
    // A value that reaches the end of a line goes on on the next one, even when nothing
    // of it is on this line after the opening quote: the line break is part of the data.
    const bool continuingValue = m_afterEquals && !m_attribute.value.empty();
    if (m_position >= m_line.size() && !continuingValue) {
        m_needLine = true;
        return true;
    }
    if (m_inComment) {
        scanUntilClose("-->", XmlToken::Comment);
        return true;
    }
    if (m_inCdata) {
        scanUntilClose("]]>", XmlToken::CData);
        return true;
    }
    if (m_afterEquals) {
        scanAttributeValue();
        return true;
    }
    if (m_inText) {
        scanText();
        return true;
    }
    return scanMarkup(failure);
}

void XmlReader::scanUntilClose(const char* terminator, XmlToken kind) {
    const std::size_t found = m_line.find(terminator, m_position);
    if (found == std::string::npos) {
        m_position = m_line.size();
        m_tokenKind = kind;
        return;
    }
    m_position = found + std::strlen(terminator);
    m_text.clear();
    clearScannerFlags();
    m_inText = true;
}

void XmlReader::scanAttributeValue() {
    std::string& value = m_attribute.value;
    if (value.empty()) {
        m_position = skipBlanks(m_position);
        if (m_position >= m_line.size()) {
            m_needLine = true;
            return;
        }
        value += m_line[m_position++];  // the opening quote
        return;
    }
    const std::size_t end = m_line.find_first_of(kAttributeValueEnds, m_position);
    if (end == std::string::npos) {
        value.append(m_line, m_position);
        value += "\r\n";
        m_needLine = true;
        return;
    }
    value.append(m_line, m_position, end - m_position);
    value.erase(0, value.find_first_not_of("\"'"));
    m_afterEquals = false;
    m_haveAttributeName = false;
    m_tokenKind = XmlToken::Attribute;
    // A ">" still has to close the tag.
    m_position = m_line[end] == '>' ? end : end + 1;
}

void XmlReader::scanText() {
    const std::size_t end = m_line.find_first_of(kTextEnds, m_position);
    if (end == std::string::npos) {
        m_text.assign(m_line, m_position);
        m_position = m_line.size();
    } else {
        m_text.assign(m_line, m_position, end - m_position);
        if (m_line[end] == '<') {
            m_inText = false;
            m_position = end;
        } else {
            // A CR inside a line: stepped over, or the next step would stop on it again forever.
            m_position = end + 1;
        }
    }
    m_tokenKind = m_text.empty() ? XmlToken::Nothing : XmlToken::Text;
}

bool XmlReader::scanMarkup(std::string& failure) {
    switch (m_line[m_position]) {
        case '<':
            return scanTagOpen(failure);
        case '?':
            ++m_position;
            return true;
        case '/': {
            // "/>" closes the current element: its end comes under the element's own name.
            const std::size_t end = m_line.find_first_of(kEndMarkEnds, m_position);
            m_position = end == std::string::npos ? m_line.size() : end;
            m_tokenKind = XmlToken::EndOfElement;
            return true;
        }
        case '>':
            m_inTag = false;
            m_afterEquals = false;
            m_inText = true;
            m_text.clear();
            ++m_position;
            return true;
        case '=':
            if (!m_inTag) break;
            if (!m_haveAttributeName) {
                failure = "Missing attribute name before '='";
                return false;
            }
            m_afterEquals = true;
            ++m_position;
            return true;
        default:
            break;
    }
    if (!m_inTag) {
        failure = "Syntax error";
        return false;
    }
    const std::size_t end = m_line.find_first_of(kAttributeNameEnds, m_position);
    const std::size_t nameEnd = end == std::string::npos ? m_line.size() : end;
    if (nameEnd == m_position) {
        failure = "Missing attribute name before '='";
        return false;
    }
    m_attribute.name.assign(m_line, m_position, nameEnd - m_position);
    m_attribute.value.clear();
    m_haveAttributeName = true;
    m_position = nameEnd;
    return true;
}

bool XmlReader::scanTagOpen(std::string& failure) {
    if (m_inTag) {
        failure = "Bad '<' symbol";
        return false;
    }
    clearScannerFlags();
    m_inTag = true;
    m_haveAttributeName = false;
    m_position = skipBlanks(m_position + 1);
    if (m_position >= m_line.size()) {
        failure = "'<' symbol not allowed at the end of a line";
        return false;
    }
    const std::string_view rest = std::string_view(m_line).substr(m_position);
    if (rest.starts_with(kCommentOpen)) {
        m_tokenKind = XmlToken::Comment;
        m_inComment = true;
        m_position += kCommentOpen.size();
        return true;
    }
    if (rest.starts_with(kCdataOpen)) {
        m_tokenKind = XmlToken::CData;
        m_inCdata = true;
        m_position += kCdataOpen.size();
        return true;
    }
    const std::size_t nameStart = m_position;
    const std::size_t searchFrom = m_line[nameStart] == '/' ? nameStart + 1 : nameStart;
    const std::size_t end = m_line.find_first_of(kTagNameEnds, searchFrom);
    const std::size_t nameEnd = end == std::string::npos ? m_line.size() : end;
    if (nameEnd == nameStart) {
        failure = "Empty element name";
        return false;
    }
    const std::string_view name = std::string_view(m_line).substr(nameStart, nameEnd - nameStart);
    m_position = nameEnd;
    if (name.front() == '?' || name.front() == '!') {
        m_declarationName = name;
        m_elementName.clear();
        m_tokenKind = XmlToken::Declaration;
    } else if (name.front() == '/') {
        m_elementName = name.substr(1);
        m_tokenKind = XmlToken::EndOfElement;
    } else {
        m_elementName = name;
        m_tokenKind = XmlToken::StartOfElement;
    }
    return true;
}

}  // namespace brindle
