// XmlWriter: appends formatted tags (see XmlElement) to a host file, beginning the file
// with the XML declaration. The file is begun by the first Write, so a writer that is
// never written to leaves no file behind. It is written as a hidden temporary file and
// given its name whole by Close, flushed to disk first, and only where nothing has the
// name: a crash or a failure leaves no half-written file under it.
//
// A failure is never silent: the Write that meets it returns false, so does every later
// Write until Close, and Close returns false too; error() says which file and why.
// Nothing further reaches a file after one write to it went wrong, so a failed file
// is never mistaken for a complete one with a gap in it.
//
// Not locked: one object is used by one thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/AtomicFile.h"

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
    // Begins the file on the first call (a name that is taken, a symbolic link
    // included, is a failure: nothing is replaced or followed) and writes the
    // declaration "<?xml version="1.0" encoding="UTF-8"?>" CR LF at column 0 before
    // anything else, then appends the bytes unchanged. False when any of it failed.
    bool Write(std::string_view text);
    // Puts the file under its name, flushed to disk, and makes the writer ready for
    // another file. True when everything written since the file was begun is there
    // (also when nothing was written); after a failure nothing is left under the name.
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

    std::unique_ptr<AtomicFileWriter> m_file;
    std::string m_fileName;
    bool m_declarationWritten = false;
    int m_indent = 0;
    bool m_failed = false;
    std::string m_error;
    std::string* m_mirror = nullptr;
};

}  // namespace brindle
