#include "registry/IgnoreList.h"

#include <cstdint>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "registry/IgnoreListText.h"

namespace brindle {

namespace {

// Far beyond any list a user keeps; a larger file is not one Brindle wrote.
constexpr std::uint64_t kMaxIgnoreListBytes = 64ull << 20;

struct ListFile {
    bool exists = false;
    std::string bytes;
    std::string error;  // why a list that is there could not be read
};

// A list that is not there is an empty list. One that is there but cannot be read (no
// right to, a folder or a pipe of that name) is an error: taken for empty, its entries
// would be reported and removed again, and the next save would wipe it.
ListFile ReadListFile(const std::filesystem::path& file) {
    ListFile list;
    RegularFileRead read = ReadRegularFile(file, kMaxIgnoreListBytes, FinalLink::Follow, Ownership::ThisUser);
    if (read.status == RegularFileRead::Status::Missing) return list;
    list.exists = true;
    if (!read.ok()) {
        list.error = "cannot read the ignore list: " + read.error;
        return list;
    }
    list.bytes = std::move(read.bytes);
    return list;
}

}  // namespace

std::vector<std::string> ParseIgnoreListText(std::string_view fileBytes) {
    // Text mode first: CR LF becomes LF.
    std::string text;
    text.reserve(fileBytes.size());
    for (std::size_t i = 0; i < fileBytes.size(); ++i) {
        if (fileBytes[i] == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n') continue;
        text.push_back(fileBytes[i]);
    }

    std::vector<std::string> lines;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t lineFeed = text.find('\n', position);
        if (lineFeed == std::string::npos) {
            lines.emplace_back(text, position);
            break;
        }
        lines.emplace_back(text, position, lineFeed - position);
        position = lineFeed + 1;
    }
    return lines;
}

IgnoreList::IgnoreList(const std::filesystem::path& workFolder)
    : m_file(std::filesystem::absolute(workFolder / kIgnoreListFile)) {
    LoadIgnoreList();
}

IgnoreList::~IgnoreList() = default;

void IgnoreList::LoadIgnoreList() {
    m_ignoreList.clear();
    m_indexValid = false;
    ListFile file = ReadListFile(m_file);
    m_ignoreListError = std::move(file.error);
    if (!m_ignoreListError.empty()) return;

    for (std::string& line : ParseIgnoreListText(file.bytes)) {
        auto entry = std::make_unique<ProblemRecord>();
        entry->setFilePath(std::move(line));
        m_ignoreList.push_back(std::move(entry));
    }
}

Status IgnoreList::SaveIgnoreList() {
    // A list that could not be read is never replaced by what this object holds.
    if (!m_ignoreListError.empty()) return Error(m_ignoreListError + "; it is not written over");
    std::vector<std::string> entries;
    std::string content;
    for (const auto& entry : m_ignoreList) {
        if (!entry) continue;
        entries.push_back(entry->filePath());
        content += entry->filePath();
        content += "\r\n";
    }
    // Nothing to write when the file already holds these entries: it keeps its bytes,
    // and a list that is not there stays absent when it would be empty.
    const ListFile current = ReadListFile(m_file);
    if (!current.error.empty()) return Error(current.error);
    if (current.exists ? ParseIgnoreListText(current.bytes) == entries : entries.empty()) return {};
    return WriteFileAtomically(m_file, content);
}

bool IgnoreList::IsIgnored(std::string_view path) const {
    if (!m_indexValid || m_indexedSize != m_ignoreList.size()) {
        m_index.clear();
        for (const auto& entry : m_ignoreList) {
            if (entry) m_index.insert(entry->filePath());
        }
        m_indexValid = true;
        m_indexedSize = m_ignoreList.size();
    }
    return m_index.contains(std::string(path));
}

}  // namespace brindle
