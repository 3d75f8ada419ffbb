#include "registry/XmlWriter.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/FileEntry.h"
#include "registry/XmlElement.h"

namespace brindle {

// An unfinished file is dropped with its writer: its temporary file goes.
XmlWriter::~XmlWriter() = default;

void XmlWriter::SetFileName(std::string name) {
    if (!isOpen()) m_fileName = std::move(name);
}

void XmlWriter::changeIndent(int change) {
    // Saturate rather than overflow: a runaway caller gets a wrong indent, not undefined behaviour.
    const long long sum = static_cast<long long>(m_indent) + change;
    m_indent = static_cast<int>(sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : sum);
}

bool XmlWriter::Write(std::string_view text) {
    if (m_failed) return false;
    if (!isOpen() && !openFile()) return false;
    if (!m_declarationWritten) {
        // Set first: the declaration itself goes through Write.
        m_declarationWritten = true;
        const int savedIndent = m_indent;
        m_indent = 0;
        XmlElement declaration("xml");
        declaration.SetAttribute("version", "1.0");
        declaration.SetAttribute("encoding", "UTF-8");
        const bool written = declaration.WriteDeclaration(*this, 0);
        m_indent = savedIndent;
        if (!written) return false;
    }
    return writeBytes(text);
}

bool XmlWriter::Close() {
    bool complete = !m_failed;
    if (m_file != nullptr) {
        // A file with a gap in it is never given the name: its temporary file goes.
        if (complete) {
            const FileCommit committed = m_file->commit();
            if (committed.status == FileCommit::Status::NameTaken) {
                complete = fail("Cannot open \"" + m_fileName +
                                "\" for writing: the name is taken, and nothing is replaced");
            } else if (!committed.ok()) {
                complete = fail("Cannot finish writing \"" + m_fileName + "\": " + committed.error);
            }
        }
        m_file.reset();
    }
    m_declarationWritten = false;
    m_indent = 0;
    m_failed = false;
    return complete;
}

bool XmlWriter::openFile() {
    m_error.clear();
    const std::string cannotOpen = "Cannot open \"" + m_fileName + "\" for writing: ";
    if (m_fileName.empty()) return fail(cannotOpen + "no file name was given");
    // The name is predictable: whatever already has it (an earlier file, or a link planted
    // to make us write somewhere else) is neither replaced nor followed. Asked here so the
    // first write says so; the commit asks again, for what comes meanwhile.
    if (!NameIsFree(m_fileName)) return fail(cannotOpen + "the name is taken, and nothing is replaced");
    auto file = std::make_unique<AtomicFileWriter>(m_fileName, AtomicTarget::NewName);
    if (Status opened = file->open(); !opened) return fail(cannotOpen + opened.error().message());
    m_file = std::move(file);
    return true;
}

bool XmlWriter::writeBytes(std::string_view bytes) {
    if (bytes.empty()) return true;
    if (Status appended = m_file->append(bytes); !appended) {
        return fail("Cannot write to \"" + m_fileName + "\": " + appended.error().message());
    }
    if (m_mirror != nullptr) m_mirror->append(bytes);
    return true;
}

bool XmlWriter::fail(std::string message) {
    m_failed = true;
    m_error = std::move(message);
    return false;
}

}  // namespace brindle
