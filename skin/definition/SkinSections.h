// Reading whole sections of a skin definition file: the numbered walk over a section's
// keys, each value taken apart by its line kind. Every screen loader builds its elements
// from these; the index is the entry's position in the walk (0 for key "1").
#pragma once

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

}  // namespace brindle::skin
