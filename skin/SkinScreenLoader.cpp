#include "skin/SkinScreenLoader.h"

#include <QWidget>

#include <cctype>

#include "skin/SkinSource.h"

namespace brindle::skin {

namespace {

// The panel whose edit boxes the loader skips: its one edit line stays in the file unread.
constexpr const char* kPanelWithoutEdits = "SUBMAIN_ADVANCED";

}  // namespace

std::string PanelSectionPrefix(const std::string& name) {
    std::string prefix = name;
    for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return prefix;
}

ScreenSections PanelSections(const std::string& name) {
    const std::string panel = PanelSectionPrefix(name);
    ScreenSections sections;
    sections.buttons = panel + "_BUTTONINFO";
    sections.texts = panel + "_TEXTINFO";
    if (panel != kPanelWithoutEdits) sections.edits = panel + "_EDITBOXINFO";
    sections.italic = ItalicRule::OnWhenFalse;
    return sections;
}

ScreenSections SummaryScreenSections(const std::string& screen) {
    ScreenSections sections;
    sections.buttons = screen + "_BUTTONINFO";
    sections.texts = screen + "_TEXTINFO";
    sections.italic = ItalicRule::OnWhenTrue;
    return sections;
}

ScreenSections MainScreenSections() {
    ScreenSections sections;
    sections.buttons = "MAINSCREENBUTTONINFO";
    sections.texts = "TEXTINFO";
    sections.italic = ItalicRule::OnWhenFalse;
    return sections;
}

SkinImage LoadNamedImage(const std::optional<std::filesystem::path>& skinFolder, const std::string& name) {
    SkinImage image;
    // An unnamed image is empty; looking it up would find the folder itself.
    if (name.empty()) return image;
    if (const std::optional<std::filesystem::path> folder = NamedSkinFolder(skinFolder)) {
        LoadSkinImage(*folder / name, image, nullptr);
    } else {
        LoadBuiltInSkinImage(name, image, nullptr);
    }
    return image;
}

void LoadScreenImages(SkinElementSet& set, const std::optional<std::filesystem::path>& skinFolder,
                      const ScreenImageLine& line) {
    set.NormalImage() = LoadNamedImage(skinFolder, line.normal);
    set.OverImage() = LoadNamedImage(skinFolder, line.over);
    set.DownImage() = LoadNamedImage(skinFolder, line.down);
    set.DisabledImage() = LoadNamedImage(skinFolder, line.disabled);
}

SkinImage LoadMainImages(SkinElementSet& set, const std::optional<std::filesystem::path>& skinFolder,
                         const MainImages& images) {
    set.NormalImage() = LoadNamedImage(skinFolder, images.main);
    set.OverImage() = LoadNamedImage(skinFolder, images.over);
    set.DownImage() = LoadNamedImage(skinFolder, images.down);
    set.DisabledImage() = LoadNamedImage(skinFolder, images.disabled);
    return LoadNamedImage(skinFolder, images.mask);
}

void LoadScreenElements(SkinElementSet& set, QWidget* screen, const CSkinIni& ini, const ScreenSections& sections) {
    if (!sections.buttons.empty()) {
        for (const auto& [index, line] : ReadButtonSection(ini, sections.buttons)) set.AddButton(line, index, screen);
    }
    if (!sections.texts.empty()) {
        for (const auto& [index, line] : ReadTextSection(ini, sections.texts, sections.italic))
            set.AddText(line, index, screen);
    }
    if (!sections.edits.empty()) {
        // Edit boxes draw themselves as the platform does: the ITALIC field means nothing.
        for (const auto& [index, line] : ReadTextSection(ini, sections.edits, ItalicRule::OnWhenTrue))
            set.AddEdit(line, index, screen);
    }
}

}  // namespace brindle::skin
