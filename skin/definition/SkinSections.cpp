#include "skin/definition/SkinSections.h"

#include <algorithm>
#include <utility>

namespace brindle::skin {

namespace {

template <class Line, class Parse>
std::vector<Numbered<Line>> ReadEach(const CSkinIni& ini, std::string_view section, Parse parse) {
    std::vector<Numbered<Line>> lines;
    for (Numbered<std::string>& entry : ReadNumberedValues(ini, section)) {
        lines.push_back({entry.index, parse(std::move(entry.line))});
    }
    return lines;
}

bool ItalicOn(std::string_view field, ItalicRule rule) {
    if (rule == ItalicRule::OnWhenTrue) return ParseFlag(field);
    return !field.empty() && field.front() == 'F';
}

}  // namespace

std::vector<Numbered<std::string>> ReadNumberedValues(const CSkinIni& ini, std::string_view section) {
    const CSkinIni snapshot = ini.Snapshot();
    std::vector<std::string> names;
    snapshot.GetSectionKeys(section, names);
    // N is bounded by the number of lines of a file of at most kMaxSkinIniBytes.
    const int count = static_cast<int>(names.size());
    std::vector<Numbered<std::string>> values;
    for (int number = 1; number <= count; ++number) {
        std::string value = snapshot.GetValue(section, std::to_string(number), "");
        if (value.empty()) continue;
        values.push_back({number - 1, std::move(value)});
    }
    return values;
}

ScreenImageLine ParseScreenImageLine(std::string value) {
    ScreenImageLine line;
    line.name = NextField(value);
    line.normal = NextField(value);
    line.over = NextField(value);
    line.down = NextField(value);
    line.disabled = NextField(value);
    line.rect = ParseRect(value);
    return line;
}

ButtonLine ParseButtonLine(std::string value) {
    ButtonLine line;
    line.name = NextField(value);
    line.rect = ParseRect(value);
    line.checkBox = ParseFlag(NextField(value));
    return line;
}

TextLine ParseTextLine(std::string value, ItalicRule italic) {
    TextLine line;
    line.name = NextField(value);
    line.fontFace = NextField(value);
    line.bold = ParseFlag(NextField(value));
    line.italic = ItalicOn(NextField(value), italic);
    line.height = ParseInt(NextField(value));
    line.colour = ParseColour(NextField(value));
    line.rect = ParseRect(value);
    line.initialText = NextField(value);
    return line;
}

ListLine ParseListLine(std::string value) {
    ListLine line;
    line.rect = ParseRect(value);
    const int count = std::clamp(ParseInt(NextField(value)), 0, kMaxListColumns);
    line.columns.reserve(static_cast<std::size_t>(count));
    for (int column = 0; column < count; ++column) {
        ListColumn entry;
        entry.title = NextField(value);
        entry.width = ParseInt(NextField(value));
        line.columns.push_back(std::move(entry));
    }
    return line;
}

std::vector<Numbered<ScreenImageLine>> ReadScreenImageSection(const CSkinIni& ini, std::string_view section) {
    return ReadEach<ScreenImageLine>(ini, section, ParseScreenImageLine);
}

std::vector<Numbered<ButtonLine>> ReadButtonSection(const CSkinIni& ini, std::string_view section) {
    return ReadEach<ButtonLine>(ini, section, ParseButtonLine);
}

std::vector<Numbered<TextLine>> ReadTextSection(const CSkinIni& ini, std::string_view section, ItalicRule italic) {
    return ReadEach<TextLine>(ini, section, [italic](std::string value) { return ParseTextLine(std::move(value), italic); });
}

std::optional<ListLine> ReadListSection(const CSkinIni& ini, std::string_view section) {
    std::string value = ini.GetValue(section, "1", "");
    if (value.empty()) return std::nullopt;
    return ParseListLine(std::move(value));
}

std::optional<SkinRect> ReadDimension(const CSkinIni& ini, std::string_view section) {
    std::string value = ini.GetValue(section, "DIMENSION", "");
    if (value.empty()) return std::nullopt;
    return ParseRect(value);
}

MainImages ReadMainImages(const CSkinIni& ini) {
    const CSkinIni snapshot = ini.Snapshot();
    constexpr std::string_view kSection = "MAINSCREENINFO";
    MainImages images;
    images.mask = snapshot.GetValue(kSection, "Mask", "");
    images.main = snapshot.GetValue(kSection, "Main", "");
    images.over = snapshot.GetValue(kSection, "Over", "");
    images.down = snapshot.GetValue(kSection, "Down", "");
    images.disabled = snapshot.GetValue(kSection, "Disabled", "");
    return images;
}

}  // namespace brindle::skin
