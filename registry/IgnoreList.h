// The ignore list: "ignore.lst" in the work folder, one file path per line. A
// problem whose file is on it is never reported; the user puts entries there by keeping
// them out of a repair.
//
// A part of CRegistryLib (scan/RegistryLib.h).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <string_view>
#include <vector>

#include "registry/ProblemRecord.h"
#include "platform/Result.h"

namespace brindle {

inline constexpr const char* kIgnoreListFile = "ignore.lst";

class IgnoreList {
public:
    // Loads the list from "ignore.lst" in workFolder; the programs pass the current
    // directory.
    explicit IgnoreList(const std::filesystem::path& workFolder);
    virtual ~IgnoreList();
    IgnoreList(const IgnoreList&) = delete;
    IgnoreList& operator=(const IgnoreList&) = delete;

    void LoadIgnoreList();
    // Empty when the last load read "ignore.lst" or found none; otherwise why a list that
    // is there could not be read (then the list is empty and must not be relied on).
    const std::string& ignoreListError() const { return m_ignoreListError; }
    // Succeeds too when the file already holds these entries (it is not written again).
    // Fails, naming the file and the reason, when it could not be written or the last
    // load could not read it; the file is then left as it was.
    Status SaveIgnoreList();
    // Looks the path up in an index of the list, made again after the list may have changed,
    // so that a scan against a long list stays linear.
    bool IsIgnored(std::string_view path) const;
    // Slots may be null after the user removed an entry; null slots are passed over. A
    // change made through it is seen by IsIgnored only if made before the next call to
    // IsIgnored, or through another call of this (as every editor does).
    std::vector<std::unique_ptr<ProblemRecord>>& ignoreList() {
        m_indexValid = false;
        return m_ignoreList;
    }
    const std::filesystem::path& ignoreListFile() const { return m_file; }

private:
    std::filesystem::path m_file;
    std::vector<std::unique_ptr<ProblemRecord>> m_ignoreList;
    std::string m_ignoreListError;
    // The file paths of the list, for IsIgnored; valid until the list may have changed.
    mutable std::unordered_set<std::string> m_index;
    mutable bool m_indexValid = false;
    mutable std::size_t m_indexedSize = 0;
};

}  // namespace brindle
