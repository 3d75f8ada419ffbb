// Reading whole sections of a skin definition file: the numbered walk over a section's
// keys, each value taken apart by its line kind. Every screen loader builds its elements
// from these; the index is the entry's position in the walk (0 for key "1").
//
// Each reader takes one snapshot of the definition (CSkinIni::Snapshot), so a file is
// read once per section and the key count and the values come from the same text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/definition/SkinIni.h"
#include "skin/definition/SkinLines.h"

namespace brindle::skin {

template <class Line>
struct Numbered {
    int index = 0;
    Line line;
};

// A list line names its column count; no value of kMaxSkinValueLength characters can
// describe more columns than this (each takes at least two commas), so a larger
// count is cut to it rather than building columns without end. A negative count is none.
inline constexpr int kMaxListColumns = 128;

// The numbered walk: all key names of the section are counted (N, apostrophe keys and
// every other key included), then keys "1" to "N" are read in that order; an empty or
// missing value is passed over. So a gap in the numbering leaves the highest keys unread.
std::vector<Numbered<std::string>> ReadNumberedValues(const CSkinIni& ini, std::string_view section);

std::vector<Numbered<ScreenImageLine>> ReadScreenImageSection(const CSkinIni& ini, std::string_view section);
std::vector<Numbered<ButtonLine>> ReadButtonSection(const CSkinIni& ini, std::string_view section);
std::vector<Numbered<TextLine>> ReadTextSection(const CSkinIni& ini, std::string_view section, ItalicRule italic);
// A list section is read at key "1" only; nothing when that key is empty or missing.
std::optional<ListLine> ReadListSection(const CSkinIni& ini, std::string_view section);
// DIMENSION = x, y, w, h; nothing when the key is empty or missing.
std::optional<SkinRect> ReadDimension(const CSkinIni& ini, std::string_view section);

// [MAINSCREENINFO]: the main window's four images and its mask, empty when not given.
struct MainImages {
    std::string mask, main, over, down, disabled;
};
MainImages ReadMainImages(const CSkinIni& ini);

// One value taken apart by its line kind (what the section readers do with each entry).
ScreenImageLine ParseScreenImageLine(std::string value);
ButtonLine ParseButtonLine(std::string value);
TextLine ParseTextLine(std::string value, ItalicRule italic);
ListLine ParseListLine(std::string value);

}  // namespace brindle::skin
