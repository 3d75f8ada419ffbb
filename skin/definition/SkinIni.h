// CSkinIni: the reader of a skin definition file (INI syntax), with the profile-string
// semantics the skin loaders rely on: section and key names compared without regard to
// case, ";" comment lines, values trimmed of spaces at both ends and cut at 255 characters.
//
// The grammar, line by line (CR LF or LF line ends; blanks are the C locale's white space):
//   - a blank line, or one whose first non-blank character is ";", says nothing;
//   - "[NAME]" opens the section NAME (the text up to the last "]", trimmed); a line that
//     begins with "[" and has no "]" after it opens nothing and is passed over;
//   - any other line is "key=value" or a bare "key" (a key with an empty value), and
//     belongs to the section opened last; before the first section it belongs to none.
//     Key and value are trimmed; a line whose key is empty is passed over, since no one
//     can ask for it. A key that begins with an apostrophe ("'1") is a key like any other.
//   - a section opened again goes on where it left off: its lines are one list.
// Of two equal keys in one section the first wins; both are listed by GetSectionKeys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"
#include "skin/definition/SkinLines.h"

namespace brindle::skin {

// The shipped definition is a few kilobytes; a file far beyond this is not a skin, and
// refusing it keeps a stray device or a huge file from being read into memory.
inline constexpr std::uint64_t kMaxSkinIniBytes = 1024 * 1024;
// The field splitter of the format works on at most this many characters of a value;
// longer values are cut to it (and trimmed again) when read.
inline constexpr std::size_t kMaxSkinValueLength = 255;

class CSkinIni {
public:
    // The reader for the file at `path`. The file is read when asked; a missing or
    // unreadable file reads as one without sections.
    explicit CSkinIni(std::filesystem::path path);
    // A reader over definition text held in memory (tests, fuzzing, the embedded copy).
    static CSkinIni FromText(std::string text);

    const std::filesystem::path& path() const { return m_path; }

    // Every key name of the section in file order (apostrophe keys included); true when
    // at least one was found. `names` is replaced, not appended to.
    bool GetSectionKeys(std::string_view section, std::vector<std::string>& names) const;
    // The value of the key, or `defaultText` when the section or key is missing.
    std::string GetValue(std::string_view section, std::string_view key, std::string_view defaultText = {}) const;

    // A reader that answers every question from one reading of the file, so that a
    // section read key by key sees a single version of it and the file is read once. A
    // reader made by FromText, or a snapshot, returns a copy of itself (sharing the text).
    CSkinIni Snapshot() const;
    // Whether the file could be read: otherwise why the definition reads as one without
    // sections (missing, not a regular file, larger than kMaxSkinIniBytes, unreadable),
    // naming the file. A reader made from text always could.
    Status ReadStatus() const;

private:
    struct Document;
    static std::shared_ptr<const Document> Parse(std::string_view text);
    static std::shared_ptr<const Document> Load(const std::filesystem::path& path);

    std::filesystem::path m_path;
    // The parsed text for a snapshot or a reader made from text; null for a reader that
    // reads its file at every question.
    std::shared_ptr<const Document> m_document;
};

// Field splitting: the text before the first comma is the field (not trimmed); it and the
// comma are removed from `text` and what is left is trimmed. Without a comma the whole
// trimmed remainder is the field and it stays in `text`.
std::string NextField(std::string& text);
// x, y, w, h through NextField, each by ParseInt; right is x + w and bottom y + h, held
// at the ends of the int range rather than overflowing.
SkinRect ParseRect(std::string& text);

// Numbers as the C library's atoi reads them: leading blanks, a sign, decimal digits up to
// the first other character ("0l" is 0, "abc" is 0). A number beyond the int range gives
// the nearest end of the range instead of undefined behaviour.
int ParseInt(std::string_view field);
// A colour as atol on the platform reads it (a 32-bit long, saturated like ParseInt),
// kept as its 32 bits: "255" is red, "-1" is 0xFFFFFFFF.
unsigned long ParseColour(std::string_view field);
// A flag field (TRUE or FALSE in the file) by its first character: on only for "T".
bool ParseFlag(std::string_view field);

}  // namespace brindle::skin
