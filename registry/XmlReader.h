// XmlReader: a line-oriented pull reader for the snapshot file. Each Read hands back one
// token; names, values and text come back exactly as the file holds them (no entity is
// decoded, no byte converted), since decoding belongs to whoever wrote them.
//
// What it accepts is looser than XML and shaped by how the snapshot is written: an
// attribute value ends at the first double or single quote, CR, LF or ">"; a value that
// runs over a line end gets CR LF for each line break; blanks at the start of a line
// after a ">" come back as a text token. A syntax error stops reading with
// "Parse error in line N : (reason)".
//
// Not locked: one object is used by one thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

namespace brindle {

// Kinds of token, numbered as the file format's users know them.
enum class XmlToken {
    Nothing = 0,  // whitespace, punctuation, the end of a line
    StartOfElement = 1,
    EndOfElement = 2,  // also after "/>", with the element's own name
    Attribute = 3,
    Text = 4,
    Declaration = 5,  // declarations and processing instructions: "<?xml ...?>", "<!DOCTYPE ...>"
    Comment = 6,      // once for "<!--", then once for each line part inside it
    CData = 7,        // likewise for "<![CDATA["
};

struct XmlAttribute {
    std::string name;
    std::string value;
};

class XmlReader {
public:
    // Shows a parse error to the user; the windowed program installs a message box.
    using ErrorDisplay = std::function<void(const std::string& message)>;

    XmlReader() = default;
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Ignored while the file is open.
    void SetFileName(std::string name);
    // Whether a parse error is also handed to the error display.
    void SetShowErrors(bool show) { m_showErrors = show; }
    void setErrorDisplay(ErrorDisplay display) { m_errorDisplay = std::move(display); }

    // Advances by one token, opening the file on the first call. False at the end of
    // the input, when the file cannot be opened or read, and on a parse error; error()
    // is empty only in the first case. Once it returned false it keeps returning false
    // until Close.
    bool Read();
    // Closes the file and turns showing errors off; error() stays as it was.
    void Close();

    XmlToken GetTokenKind() const { return m_tokenKind; }
    // The current element; empty inside a declaration.
    const std::string& GetElementName() const { return m_elementName; }
    // The last attribute; its value without the opening and closing quote.
    const XmlAttribute& GetAttribute() const { return m_attribute; }
    // Name of the last declaration or processing instruction, with its "?" or "!".
    const std::string& declarationName() const { return m_declarationName; }
    // Content of the last text token.
    const std::string& text() const { return m_text; }
    // "Parse error in line N : (reason)", or why the file could not be opened or read.
    const std::string& error() const { return m_error; }
    // Lines read so far; the first line is 1.
    std::int64_t lineNumber() const { return m_lineNumber; }
    const std::string& fileName() const { return m_fileName; }
    bool isOpen() const { return m_file != nullptr; }

private:
    enum class LineResult { Line, End, Failure };

    bool openFile();
    LineResult readLine();
    bool stop(std::string error);
    bool parseError(const std::string& reason);
    // One step within the current line; false with a reason on a syntax error.
    bool scanToken(std::string& failure);
    void scanUntilClose(const char* terminator, XmlToken kind);
    void scanAttributeValue();
    void scanText();
    bool scanMarkup(std::string& failure);
    bool scanTagOpen(std::string& failure);
    std::size_t skipBlanks(std::size_t position) const;
    void clearScannerFlags();
    const char* unterminatedConstruct() const;

    std::FILE* m_file = nullptr;
    std::string m_fileName;
    bool m_showErrors = false;
    ErrorDisplay m_errorDisplay;
    bool m_stopped = false;
    std::string m_error;

    // Bytes read from the file but not yet handed out as lines.
    std::string m_pending;
    std::size_t m_pendingPosition = 0;
    bool m_fileEnded = false;

    std::string m_line;  // without its line break
    std::size_t m_position = 0;
    bool m_needLine = true;
    std::int64_t m_lineNumber = 0;

    XmlToken m_tokenKind = XmlToken::Nothing;
    std::string m_elementName;
    std::string m_text;
    XmlAttribute m_attribute;
    std::string m_declarationName;

    bool m_inTag = false;
    bool m_afterEquals = false;
    bool m_inText = false;
    bool m_inComment = false;
    bool m_inCdata = false;
    // Whether an attribute name was read since the tag name or the last value, so that
    // an "=" without one is refused rather than reusing a stale name.
    bool m_haveAttributeName = false;
};

}  // namespace brindle
