// CSkinIni: the reader of a skin definition file (INI syntax), with the profile-string
// semantics the skin loaders rely on: section and key names compared without regard to
// case, ";" comment lines, values trimmed of spaces at both ends and cut at 255 characters.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "skin/definition/SkinLines.h"

namespace brindle::skin {

class CSkinIni {
public:
    // The reader for the file at `path`. The file is read when asked; a missing or
    // unreadable file reads as one without sections.
    explicit CSkinIni(std::filesystem::path path);
    // A reader over definition text held in memory (tests, fuzzing, the embedded copy).
    static CSkinIni FromText(std::string text);

    const std::filesystem::path& path() const { return m_path; }

    // Every key name of the section in file order (apostrophe keys included); true when
    // at least one was found.
    bool GetSectionKeys(std::string_view section, std::vector<std::string>& names) const;
    // The value of the key, or `defaultText` when the section or key is missing.
    std::string GetValue(std::string_view section, std::string_view key, std::string_view defaultText = {}) const;

private:
    std::filesystem::path m_path;
    // Implementation detail of the reader (the parsed text); the helper decides.
};

// Field splitting: the text before the first comma is the field (not trimmed); it and the
// comma are removed from `text` and what is left is trimmed. Without a comma the whole
// trimmed remainder is the field and it stays in `text`.
std::string NextField(std::string& text);
// x, y, w, h through NextField, each by atoi.
SkinRect ParseRect(std::string& text);

}  // namespace brindle::skin
