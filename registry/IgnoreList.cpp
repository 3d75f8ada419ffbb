// The ignore list: "ignore.lst" in the current directory, one file path per line.
#include <cstdio>

#include "platform/AtomicFile.h"
#include "registry/RegistryLib.h"

namespace brindle {

namespace {

// The file is read the way the C runtime's text mode and a 1000-byte fgets buffer read
// it: CR LF becomes LF, and a line longer than 999 characters arrives in pieces.
constexpr std::size_t kLineCapacity = 999;

// A file that cannot be opened or read (a folder of that name, say) is no list at all.
std::string ReadTextMode(const char* fileName, bool& opened) {
    opened = false;
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) return {};
    std::string raw;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) raw.append(buffer, count);
    opened = std::ferror(file) == 0;
    std::fclose(file);
    if (!opened) return {};
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text.push_back(raw[i]);
    }
    return text;
}

}  // namespace

void CRegistryLib::LoadIgnoreList() {
    m_ignoreList.clear();
    bool opened = false;
    const std::string text = ReadTextMode(kIgnoreListFile, opened);
    if (!opened) return;

    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t end = position;
        while (end < text.size() && end - position < kLineCapacity) {
            if (text[end++] == '\n') break;
        }
        std::string line = text.substr(position, end - position);
        position = end;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        auto entry = std::make_unique<ProblemRecord>();
        entry->setFilePath(std::move(line));
        m_ignoreList.push_back(std::move(entry));
    }
}

int CRegistryLib::SaveIgnoreList() {
    std::string content;
    for (const auto& entry : m_ignoreList) {
        if (!entry) continue;
        content += entry->filePath();
        content += "\r\n";
    }
    return WriteFileAtomically(kIgnoreListFile, content).empty() ? 0 : 1;
}

bool CRegistryLib::IsIgnored(std::string_view path) const {
    for (const auto& entry : m_ignoreList) {
        if (entry && entry->filePath() == path) return true;
    }
    return false;
}

}  // namespace brindle
