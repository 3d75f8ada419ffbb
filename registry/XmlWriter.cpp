#include "registry/XmlWriter.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/ExclusiveFile.h"
#include "registry/XmlElement.h"

namespace brindle {

XmlWriter::~XmlWriter() {
    if (m_file != nullptr) std::fclose(m_file);
}

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
        // fclose flushes what is still buffered, so a full disk often shows only here.
        if (std::fclose(m_file) != 0 && complete) {
            complete = fail("Cannot finish writing \"" + m_fileName + "\": " + std::strerror(errno));
        }
        m_file = nullptr;
    }
    m_declarationWritten = false;
    m_indent = 0;
    m_failed = false;
    return complete;
}

bool XmlWriter::openFile() {
    m_error.clear();
    // The name is predictable: whatever already has it (an earlier file, or a link planted
    // to make us write somewhere else) is neither replaced nor followed.
    ExclusiveStream created = CreateFileStreamExclusively(m_fileName);
    if (created.status != ExclusiveCreateResult::Status::Created) {
        return fail("Cannot open \"" + m_fileName + "\" for writing: " +
                    (created.status == ExclusiveCreateResult::Status::NameTaken
                         ? std::string("the name is taken, and nothing is replaced")
                         : created.reason));
    }
    m_file = created.stream;
    return true;
}

bool XmlWriter::writeBytes(std::string_view bytes) {
    if (bytes.empty()) return true;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        return fail("Cannot write to \"" + m_fileName + "\": " + std::strerror(errno));
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
