#include "app/workflow/IgnoreListEditing.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace brindle {

IgnoreListEditing::IgnoreListEditing(const std::filesystem::path& workFolder) : m_list(workFolder) {}

std::vector<std::string> IgnoreListEditing::entries() {
    std::vector<std::string> paths;
    for (const auto& entry : m_list.ignoreList()) {
        if (entry) paths.push_back(entry->filePath());
    }
    return paths;
}

IgnoreEdit IgnoreListEditing::unreadable() const { return {IgnoreEdit::Outcome::Failed, error() + "; nothing was changed"}; }

IgnoreEdit IgnoreListEditing::save() {
    const Status saved = m_list.SaveIgnoreList();
    if (saved) return {IgnoreEdit::Outcome::Changed, {}};
    // The entries held here are those on disk again at the next read.
    m_list.LoadIgnoreList();
    return {IgnoreEdit::Outcome::Failed, "cannot write " + m_list.ignoreListFile().string() +
                                             " (" + saved.error().message() + "); it was left as it was"};
}

IgnoreEdit IgnoreListEditing::add(const std::string& path) {
    if (!error().empty()) return unreadable();
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos)
        return {IgnoreEdit::Outcome::Invalid, "an ignored path must be one non-empty line"};
    auto& list = m_list.ignoreList();
    if (std::any_of(list.begin(), list.end(), [&](const auto& entry) { return entry && entry->filePath() == path; }))
        return {IgnoreEdit::Outcome::Unchanged, {}};
    auto entry = std::make_unique<ProblemRecord>();
    entry->setFilePath(path);
    list.push_back(std::move(entry));
    return save();
}

IgnoreEdit IgnoreListEditing::remove(const std::string& path) {
    if (!error().empty()) return unreadable();
    auto& list = m_list.ignoreList();
    const std::size_t before = list.size();
    std::erase_if(list, [&](const auto& entry) { return entry && entry->filePath() == path; });
    if (list.size() == before) return {IgnoreEdit::Outcome::NotListed, path + " is not on the ignore list"};
    return save();
}

IgnoreEdit IgnoreListEditing::removeChecked(const std::vector<bool>& checked) {
    if (!error().empty()) return unreadable();
    auto& list = m_list.ignoreList();
    std::erase(list, nullptr);  // so that places count as entries() gives them
    std::vector<std::unique_ptr<ProblemRecord>> kept;
    for (std::size_t index = 0; index < list.size(); ++index) {
        if (index >= checked.size() || !checked[index]) kept.push_back(std::move(list[index]));
    }
    const bool changed = kept.size() != list.size();
    list = std::move(kept);
    return changed ? save() : IgnoreEdit{IgnoreEdit::Outcome::Unchanged, {}};
}

}  // namespace brindle
