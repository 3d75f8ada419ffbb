// Building a skinned screen from the skin definition: its four images, found by the names
// the definition gives (with a user skin folder, a file of that folder first, else the
// built-in image; without one, the built-in image alone: see skin/SkinSource.h), and
// its elements, one per line of the screen's sections. The main window, the sub-screen
// panels and the summary screens all load themselves this way; what differs between them
// is which sections they read and which way the ITALIC field of their labels reads.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "skin/SkinElementSet.h"
#include "skin/SkinList.h"
#include "skin/definition/SkinIni.h"
#include "skin/definition/SkinSections.h"

class QWidget;

namespace brindle::skin {

// The sections one screen is made of; an empty name is a section the screen does not
// read (a panel without edit boxes, a screen without a list).
struct ScreenSections {
    std::string buttons;
    std::string texts;
    std::string edits;
    ItalicRule italic = ItalicRule::OnWhenTrue;
};

// A panel's name as its section names begin: upper-cased.
std::string PanelSectionPrefix(const std::string& name);
// The sections of the sub-screen panel `name` (upper-cased, as the loader forms them):
// <NAME>_BUTTONINFO, <NAME>_TEXTINFO with the reversed ITALIC rule, and <NAME>_EDITBOXINFO
// except for the advanced-settings panel, whose edit boxes are never built.
ScreenSections PanelSections(const std::string& name);
// The sections of a summary screen: <SCREEN>_BUTTONINFO, <SCREEN>_TEXTINFO, no edit boxes.
ScreenSections SummaryScreenSections(const std::string& screen);
// The main window's: [MAINSCREENBUTTONINFO] and [TEXTINFO].
ScreenSections MainScreenSections();

// The image `name` as a screen of the user skin folder `skinFolder` finds it, or of the
// built-in skin when there is none (an empty folder name is none); empty when found
// nowhere.
SkinImage LoadNamedImage(const std::optional<std::filesystem::path>& skinFolder, const std::string& name);

// Loads the four images of a screen line into the set.
void LoadScreenImages(SkinElementSet& set, const std::optional<std::filesystem::path>& skinFolder,
                      const ScreenImageLine& line);
// The main window's four images into the set; its mask is returned apart.
SkinImage LoadMainImages(SkinElementSet& set, const std::optional<std::filesystem::path>& skinFolder,
                         const MainImages& images);

// Builds the buttons, labels and edit boxes of the sections on `screen`, in section order,
// each with its position in its section's walk as its index. The set's images must be
// loaded first: buttons and labels cut their pictures from them.
void LoadScreenElements(SkinElementSet& set, QWidget* screen, const CSkinIni& ini, const ScreenSections& sections);

}  // namespace brindle::skin
