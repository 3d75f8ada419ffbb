#include "skin/definition/SkinIni.h"

#include <unordered_map>
#include <utility>

#include "platform/RegularFile.h"
#include "skin/definition/SkinText.h"

namespace brindle::skin {

struct CSkinIni::Document {
    struct Entry {
        std::string key;  // as written, trimmed
        std::string value;
    };
    struct Section {
        std::vector<Entry> entries;                               // file order
        std::unordered_map<std::string, std::size_t> firstByKey;  // folded key -> first entry
    };
    std::unordered_map<std::string, Section> sections;  // by folded name
    std::string error;

    const Section* find(std::string_view name) const {
        const auto it = sections.find(FoldSkinName(name));
        return it == sections.end() ? nullptr : &it->second;
    }
};

namespace {

// The value as the reader hands it out: trimmed, and cut to what the field splitter takes.
std::string ValueOf(std::string_view text) {
    std::string_view value = TrimSkinBlanks(text);
    if (value.size() > kMaxSkinValueLength) value = TrimSkinBlanks(value.substr(0, kMaxSkinValueLength));
    return std::string(value);
}

}  // namespace

std::shared_ptr<const CSkinIni::Document> CSkinIni::Parse(std::string_view text) {
    auto document = std::make_shared<Document>();
    Document::Section* current = nullptr;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = TrimSkinBlanks(text.substr(start, end - start));
        start = end + 1;

        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos && close > 0) {
                current = &document->sections[FoldSkinName(TrimSkinBlanks(line.substr(1, close - 1)))];
            }
            continue;
        }
        if (current == nullptr) continue;

        const std::size_t equals = line.find('=');
        const std::string_view key = TrimSkinBlanks(line.substr(0, equals));
        if (key.empty()) continue;
        const std::string_view value = equals == std::string_view::npos ? std::string_view{} : line.substr(equals + 1);
        current->firstByKey.try_emplace(FoldSkinName(key), current->entries.size());
        current->entries.push_back({std::string(key), ValueOf(value)});
    }
    return document;
}

std::shared_ptr<const CSkinIni::Document> CSkinIni::Load(const std::filesystem::path& path) {
    const RegularFileRead read = ReadRegularFile(path, kMaxSkinIniBytes);
    if (!read.ok()) {
        auto empty = std::make_shared<Document>();
        empty->error = "the skin definition was not read: " + read.error;
        return empty;
    }
    return Parse(read.bytes);
}

CSkinIni::CSkinIni(std::filesystem::path path) : m_path(std::move(path)) {}

CSkinIni CSkinIni::FromText(std::string text) {
    CSkinIni ini{std::filesystem::path()};
    ini.m_document = Parse(text);
    return ini;
}

CSkinIni CSkinIni::Snapshot() const {
    if (m_document) return *this;
    CSkinIni snapshot(m_path);
    snapshot.m_document = Load(m_path);
    return snapshot;
}

Status CSkinIni::ReadStatus() const {
    const std::shared_ptr<const Document> document = m_document ? m_document : Load(m_path);
    if (document->error.empty()) return {};
    return Error(document->error);
}

bool CSkinIni::GetSectionKeys(std::string_view section, std::vector<std::string>& names) const {
    names.clear();
    const std::shared_ptr<const Document> document = m_document ? m_document : Load(m_path);
    if (const Document::Section* found = document->find(section)) {
        names.reserve(found->entries.size());
        for (const Document::Entry& entry : found->entries) names.push_back(entry.key);
    }
    return !names.empty();
}

std::string CSkinIni::GetValue(std::string_view section, std::string_view key, std::string_view defaultText) const {
    const std::shared_ptr<const Document> document = m_document ? m_document : Load(m_path);
    if (const Document::Section* found = document->find(section)) {
        const auto it = found->firstByKey.find(FoldSkinName(key));
        if (it != found->firstByKey.end()) return found->entries[it->second].value;
    }
    return std::string(defaultText);
}

}  // namespace brindle::skin
