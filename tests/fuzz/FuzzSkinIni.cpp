// libFuzzer harness for the skin definition reader. The input is the definition text; it
// is read from memory and, once per input, from a file through the path the screens use.
//
// Beyond not crashing, it checks what the loaders rely on: every value is trimmed, has no
// line break and at most kMaxSkinValueLength characters; names match whatever their case;
// a section's walk yields increasing indices below its key count, each the position of a
// non-empty value; a list never has more than kMaxListColumns columns; and the file reader
// answers exactly as the text reader does.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "skin/definition/SkinIni.h"
#include "skin/definition/SkinSections.h"

namespace {

using namespace brindle::skin;

// The sections the screens read, whatever the input names.
const char* const kProgramSections[] = {
    "MAINSCREENINFO",
    "MAINSCREENBUTTONINFO",
    "TEXTINFO",
    "MAINSCREENANIMATION",
    "SUBMAINSCREENINFO",
    "SUBMAIN_MAIN_BUTTONINFO",
    "SUBMAIN_MAIN_TEXTINFO",
    "SUBMAIN_SCHEDULE_EDITBOXINFO",
    "SUBMAIN_RESULT_LISTINFO",
    "SUBMAIN_IGNORED_LISTINFO",
    "SUBMAIN_SCHEDULE_LISTINFO",
    "SCANSCREENANIMATION",
    "SCREENERRORSCANINFO",
    "SCREENSCANCOMPLETE_LISTINFO",
    "SCREENFIXCOMPLETE_TEXTINFO",
};
// Enough to reach every section of a small input without making large ones slow.
constexpr std::size_t kMaxSectionsChecked = 64;

void Check(bool promise) {
    if (!promise) std::abort();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string AsciiCase(std::string_view text, bool upper) {
    std::string changed(text);
    for (char& c : changed) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return changed;
}

// The text between "[" and the last "]" of each line that has them: the sections of the input.
std::vector<std::string> SectionsNamed(std::string_view text) {
    std::set<std::string> names(std::begin(kProgramSections), std::end(kProgramSections));
    std::size_t start = 0;
    while (start < text.size() && names.size() < kMaxSectionsChecked) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        const std::size_t open = line.find('[');
        const std::size_t close = line.rfind(']');
        if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
            std::string_view name = line.substr(open + 1, close - open - 1);
            while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
            while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
            names.emplace(name);
        }
        start = end + 1;
    }
    return {names.begin(), names.end()};
}

void CheckValue(const std::string& value) {
    Check(value.size() <= kMaxSkinValueLength);
    Check(value.find('\n') == std::string::npos);
    Check(value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back())));
}

// Splitting ends: one field per comma and the last one, then the same field for ever.
void CheckSplitting(std::string text) {
    const auto commas = static_cast<std::size_t>(std::count(text.begin(), text.end(), ','));
    std::size_t calls = 0;
    while (text.find(',') != std::string::npos) {
        NextField(text);
        Check(++calls <= commas);
    }
    const std::string last = NextField(text);
    Check(last == text && NextField(text) == last);
}

template <class Line>
void CheckWalk(const CSkinIni& ini, const std::string& section, const std::vector<Numbered<Line>>& entries,
               std::size_t keyCount) {
    int previous = -1;
    for (const Numbered<Line>& entry : entries) {
        Check(entry.index > previous && static_cast<std::size_t>(entry.index) < keyCount);
        Check(!ini.GetValue(section, std::to_string(entry.index + 1)).empty());
        previous = entry.index;
    }
}

void CheckSection(const CSkinIni& ini, const std::string& section) {
    std::vector<std::string> keys;
    const bool found = ini.GetSectionKeys(section, keys);
    Check(found == !keys.empty());
    const std::string upper = AsciiCase(section, true);
    const std::string lower = AsciiCase(section, false);
    for (const std::string& key : keys) {
        Check(!key.empty() && key.find('\n') == std::string::npos);
        const std::string value = ini.GetValue(section, key, "<missing>");
        Check(value != "<missing>");
        CheckValue(value);
        Check(ini.GetValue(upper, AsciiCase(key, false)) == value);
        Check(ini.GetValue(lower, AsciiCase(key, true)) == value);
        CheckSplitting(value);
    }

    CheckWalk(ini, section, ReadNumberedValues(ini, section), keys.size());
    CheckWalk(ini, section, ReadScreenImageSection(ini, section), keys.size());
    CheckWalk(ini, section, ReadButtonSection(ini, section), keys.size());
    const auto upright = ReadTextSection(ini, section, ItalicRule::OnWhenTrue);
    const auto reversed = ReadTextSection(ini, section, ItalicRule::OnWhenFalse);
    CheckWalk(ini, section, upright, keys.size());
    Check(upright.size() == reversed.size());
    for (std::size_t i = 0; i < upright.size(); ++i) {
        // The two rules ask for different first letters: never both italic.
        Check(!(upright[i].line.italic && reversed[i].line.italic));
        Check(upright[i].line.name == reversed[i].line.name && upright[i].line.rect == reversed[i].line.rect);
    }
    if (const auto list = ReadListSection(ini, section)) {
        Check(list->columns.size() <= static_cast<std::size_t>(kMaxListColumns));
        Check(!ini.GetValue(section, "1").empty());
    }
    if (ReadDimension(ini, section)) Check(!ini.GetValue(section, "DIMENSION").empty());
}

// A private folder, in memory where the system has one, for the file the path reader reads.
const std::filesystem::path& InputFile() {
    static const std::filesystem::path s_file = [] {
        std::error_code error;
        const std::filesystem::path parent =
            std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string folder = (parent / "brindle-fuzz-skin-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) std::abort();
        static const std::string s_folder = folder;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(s_folder, ignored);
        });
        return std::filesystem::path(folder) / "Skin.ini";
    }();
    return s_file;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CSkinIni ini = CSkinIni::FromText(text);
    Check(ini.ReadStatus().ok());
    const std::vector<std::string> sections = SectionsNamed(text);
    for (const std::string& section : sections) CheckSection(ini, section);

    const MainImages images = ReadMainImages(ini);
    for (const std::string* image : {&images.mask, &images.main, &images.over, &images.down, &images.disabled}) {
        CheckValue(*image);
    }

    // The same text through a file: the same answers.
    WriteFile(InputFile(), text);
    const CSkinIni file = CSkinIni(InputFile()).Snapshot();
    Check(file.ReadStatus().ok() == (size <= kMaxSkinIniBytes));
    if (size <= kMaxSkinIniBytes) {
        for (const std::string& section : sections) {
            std::vector<std::string> fromText;
            std::vector<std::string> fromFile;
            Check(ini.GetSectionKeys(section, fromText) == file.GetSectionKeys(section, fromFile));
            Check(fromText == fromFile);
            for (const std::string& key : fromText) Check(ini.GetValue(section, key) == file.GetValue(section, key));
        }
    }
    return 0;
}
