// The lines of a skin definition file, taken apart into their fields. Each element of a
// skinned screen (button, text label, edit box, list, the screen's own images) is built
// from one such line; the readers here know the field order of each kind and nothing of
// the widgets that are built from them.
#pragma once

#include <string>
#include <vector>

namespace brindle::skin {

// left, top, right, bottom, as ParseRect yields them from x, y, w, h.
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

// NAME, normal, over, down, disabled image, x, y, w, h.
struct ScreenImageLine {
    std::string name;
    std::string normal, over, down, disabled;  // file names as written, trailing spaces kept
    SkinRect rect;
};

// NAME, x, y, w, h, CHECKBOX.
struct ButtonLine {
    std::string name;
    SkinRect rect;
    bool checkBox = false;
};

// Text and edit lines: NAME, font face, BOLD, ITALIC, height, colour, x, y, w, h, initial text.
// Which way ITALIC reads depends on the section the line comes from.
enum class ItalicRule {
    OnWhenTrue,   // edit lines and the summary screens' texts: "T..." is italic
    OnWhenFalse,  // [TEXTINFO] and [<PANEL>_TEXTINFO]: "F..." is italic
};
struct TextLine {
    std::string name;
    std::string fontFace;
    bool bold = false;
    bool italic = false;
    int height = 0;            // logical units, negative = character height
    unsigned long colour = 0;  // 0x00BBGGRR
    SkinRect rect;
    std::string initialText;
};

struct ListColumn {
    std::string title;
    int width = 0;
};
// x, y, w, h, column count, then title and width of each column.
struct ListLine {
    SkinRect rect;
    std::vector<ListColumn> columns;
};

}  // namespace brindle::skin
