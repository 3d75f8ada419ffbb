// The ignore list as the user edits it: the window's ignored-items panel (delete the
// checked rows, select all) and `brindle-cli ignore` both go through here, so that the
// rules are the same: one non-empty line per path, no path twice, and a list that is
// there but cannot be read is never shown as empty nor written over.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "registry/IgnoreList.h"

namespace brindle {

struct IgnoreEdit {
    enum class Outcome {
        Changed,    // the list on disk now holds the change
        Unchanged,  // nothing to do: already listed, or nothing checked
        NotListed,  // the path to remove is not on the list
        Invalid,    // the path is empty or more than one line
        Failed,     // the list cannot be read or written; error says which and where; nothing changed
    };
    Outcome outcome = Outcome::Unchanged;
    std::string error;
};

class IgnoreListEditing {
public:
    // Reads "ignore.lst" in the work folder; the programs pass the current directory.
    explicit IgnoreListEditing(const std::filesystem::path& workFolder);

    // Empty when the list was read (or is not there); otherwise why it could not be.
    const std::string& error() const { return m_list.ignoreListError(); }
    // The paths in list order, in the machine's ANSI code page as they are stored.
    std::vector<std::string> entries();

    IgnoreEdit add(const std::string& path);
    IgnoreEdit remove(const std::string& path);
    // Removes the entries whose flag is set, by their place in entries(); a list of
    // flags shorter than the list leaves the rest.
    IgnoreEdit removeChecked(const std::vector<bool>& checked);

private:
    IgnoreEdit save();
    IgnoreEdit unreadable() const;

    IgnoreList m_list;
};

}  // namespace brindle
