#include "skin/definition/SkinText.h"

#include "platform/Unicode.h"

namespace brindle::skin {

std::string FoldSkinName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            continue;
        }
        // Latin-1 letters; a fold that leaves the byte range (U+00FF to U+0178) does not apply.
        const char16_t upper = FoldCase(static_cast<char16_t>(byte));
        if (upper < 0x100) c = static_cast<char>(upper);
    }
    return folded;
}

}  // namespace brindle::skin
