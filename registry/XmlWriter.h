// XmlWriter: appends formatted tags (see XmlElement) to a host file, beginning the file
// with the XML declaration. The file is opened by the first Write, so a writer that is
// never written to leaves no file behind.
//
// A failure is never silent: the Write that meets it returns false, so does every later
// Write until Close, and Close returns false too; error() says which file and why.
// Nothing further reaches a file after one write to it went wrong, so a failed file
// is never mistaken for a complete one with a gap in it.
//
// Not locked: one object is used by one thread.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

namespace brindle {

class XmlWriter {
public:
    XmlWriter() = default;
    // Closes the file if it is still open; whether it was all written is then lost, so
    // callers that care call Close themselves.
    ~XmlWriter();
    XmlWriter(const XmlWriter&) = delete;
    XmlWriter& operator=(const XmlWriter&) = delete;

    // Ignored while the file is open.
    void SetFileName(std::string name);
    // Creates the file on the first call (a name that is taken, a symbolic link
    // included, is a failure: nothing is replaced or followed) and writes the
    // declaration "<?xml version="1.0" encoding="UTF-8"?>" CR LF at column 0 before
    // anything else, then appends the bytes unchanged. False when any of it failed.
    bool Write(std::string_view text);
    // Closes the file and makes the writer ready for another file. True when everything
    // written since the file was opened reached it (also when nothing was written).
    bool Close();

    const std::string& fileName() const { return m_fileName; }
    bool isOpen() const { return m_file != nullptr; }
    // False once a Write failed, until Close.
    bool allWritten() const { return !m_failed; }
    // The last failure, naming the file and the reason; kept after Close.
    const std::string& error() const { return m_error; }

    // Every byte that reaches the file is also appended to *mirror (none when null): tests
    // see through it a file that is gone again when the run that wrote it ends.
    void setMirror(std::string* mirror) { m_mirror = mirror; }

    // The nesting depth that tags are indented by, one blank per level; kept by the
    // callers through the depth changes they pass to XmlElement.
    int indent() const { return m_indent; }
    void changeIndent(int change);

private:
    bool openFile();
    bool writeBytes(std::string_view bytes);
    bool fail(std::string message);

    std::FILE* m_file = nullptr;
    std::string m_fileName;
    bool m_declarationWritten = false;
    int m_indent = 0;
    bool m_failed = false;
    std::string m_error;
    std::string* m_mirror = nullptr;
};

}  // namespace brindle
