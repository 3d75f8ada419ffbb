// The ignore list: "ignore.lst" in the current directory, one file path per line.
#include <cstdio>

#include "platform/AtomicFile.h"
#include "registry/IgnoreListText.h"
#include "registry/RegistryLib.h"

namespace brindle {

namespace {

// A file that cannot be opened or read (a folder of that name, say) is no list at all.
std::string ReadWholeFile(const char* fileName, bool& opened) {
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
    return raw;
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

void CRegistryLib::LoadIgnoreList() {
    m_ignoreList.clear();
    bool opened = false;
    const std::string bytes = ReadWholeFile(kIgnoreListFile, opened);
    if (!opened) return;

    for (std::string& line : ParseIgnoreListText(bytes)) {
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
