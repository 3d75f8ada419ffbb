// Where everything is: the rectangles of the shipped skin definition, in one table per screen,
// so the art can be held against the definition line by line. Coordinates are those of the
// definition: main-window buttons relative to the window, panel elements relative to the panel,
// summary-screen elements relative to the screen.
#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>

#include <span>
#include <string_view>

namespace art::layout {

struct Box {
    std::string_view name;
    int x, y, w, h;
    constexpr QRect rect() const { return QRect(x, y, w, h); }
};

// A control with the caption the art writes beside it.
struct LabelledBox {
    Box box;
    std::string_view label;
};

// Main window ([MAINSCREENINFO], [MAINSCREENBUTTONINFO], [SUBMAINSCREENINFO]).
inline constexpr QSize kMainWindow{701, 503};
inline constexpr Box kExit{"BUTTON_EXIT", 655, 100, 20, 20};
inline constexpr Box kMinimize{"BUTTON_MINIMIZE", 629, 100, 20, 20};
inline constexpr Box kAbout{"BUTTON_ABOUT", 290, 440, 97, 25};
inline constexpr Box kSupport{"BUTTON_SUPPORT", 184, 438, 97, 22};
inline constexpr Box kScan{"BUTTON_SCAN", 566, 355, 170, 170};
// The round scan button drawn in that rectangle: its face, and the groove around it.
inline constexpr QPointF kScanFaceCentre{633, 428};
inline constexpr qreal kScanFaceRadius = 62;
inline constexpr qreal kScanGroove = 4;
inline constexpr Box kRemove{"BUTTON_REMOVE", 245, 358, 297, 85};
inline constexpr Box kRestore{"BUTTON_RESTORE", 83, 269, 130, 30};

// The page buttons down the left side; the current page shows its disabled picture.
enum class TabIcon { Scan, Ignored, Settings, Schedule };
struct Tab {
    Box box;
    std::string_view label;
    TabIcon icon;
};
inline constexpr Tab kTabs[] = {
    {{"BUTTON_MAIN", 83, 133, 127, 28}, "Scan", TabIcon::Scan},
    {{"BUTTON_IGNORED", 84, 169, 127, 28}, "Ignored", TabIcon::Ignored},
    {{"BUTTON_ADVSETTINGS", 83, 203, 127, 28}, "Settings", TabIcon::Settings},
    {{"BUTTON_AUTOSCAN", 84, 236, 127, 28}, "Schedule", TabIcon::Schedule},
};

// Every main-window button, for the mask and for checks against the definition.
inline constexpr Box kMainButtons[] = {
    kExit, kMinimize, kTabs[0].box, kTabs[3].box, kAbout, kSupport,
    kScan, kRemove, kTabs[1].box, kTabs[2].box, kRestore,
};

// Every panel sits here and covers this part of the main images.
inline constexpr Box kPanelArea{"SUBMAINSCREENINFO", 223, 137, 349, 219};
inline constexpr QSize kPanel{349, 219};

// SUBMAIN_MAIN: the scan categories; the program writes status and count beside each row.
inline constexpr LabelledBox kCategories[] = {
    {{"BUTTON_ALL", 8, 8, 9, 9}, "All categories"},
    {{"BUTTON_COM", 8, 30, 9, 9}, "COM objects"},
    {{"BUTTON_COM_SUBS", 8, 45, 9, 9}, "Shared DLLs"},
    {{"BUTTON_DRV", 8, 60, 9, 9}, "Drivers"},
    {{"BUTTON_HELP", 8, 76, 9, 9}, "Help files"},
    {{"BUTTON_APPPATH", 8, 93, 9, 9}, "Application paths"},
    {{"BUTTON_SHARED_TOOLS", 8, 110, 9, 9}, "Shared tools"},
    {{"BUTTON_FONTS", 8, 125, 9, 9}, "Fonts"},
    {{"BUTTON_STARTUP", 8, 140, 9, 9}, "Startup programs"},
    {{"BUTTON_UNINSTALL", 8, 155, 9, 9}, "Uninstall entries"},
    {{"BUTTON_SHORTCUTS", 8, 172, 9, 9}, "Shortcuts"},
};
inline constexpr int kCategoryLabelX = 22;
inline constexpr int kProgressStatusX = 180; // PROGRESS_TEXT_<CAT>, 90 wide
inline constexpr int kProgressCountX = 290;  // PROGRESS_COUNT_<CAT>, 59 visible
inline constexpr Box kProgressRegistry{"PROGRESS_TEXT_REGISTRY", 180, 24, 90, 9};
inline constexpr Box kCurrentItem{"TEXT_ERRORSCAN_CURRENTITEM", 8, 203, 322, 180};

// SUBMAIN_SCHEDULE and SUBMAIN_SCHEDULE_DISABLED.
inline constexpr Box kAutoscanEnable{"BUTTON_AUTOSCAN_ENABLE", 82, 45, 30, 25};
inline constexpr Box kStartEvery{"BUTTON_START_EVERY", 82, 86, 10, 10};
inline constexpr Box kScanPeriod{"EDIT_SCAN_PERIOD", 110, 102, 16, 15};
inline constexpr Box kStartAfterEvery{"BUTTON_START_AFTER_EVERY", 82, 141, 10, 10};
inline constexpr LabelledBox kCalendar[] = {
    {{"BUTTON_START_AFTER_EVERY_MONTH", 102, 159, 10, 10}, "month"},
    {{"BUTTON_START_AFTER_EVERY_WEEK", 173, 159, 10, 10}, "week"},
    {{"BUTTON_START_AFTER_EVERY_DAY", 240, 159, 10, 10}, "day"},
};

// SUBMAIN_IGNORED.
inline constexpr Box kIgnoredList{"SUBMAIN_IGNORED_LISTINFO", 0, 0, 349, 150};
inline constexpr Box kIgnoredSelectAll{"BUTTON_IGNORED_SEL_ALL", 5, 181, 9, 9};
inline constexpr Box kIgnoredDelete{"BUTTON_IGNORED_DELETE", 200, 176, 51, 18};

// SUBMAIN_ADVANCED.
struct Setting {
    Box box;
    std::string_view label;
    std::string_view explanation;
};
inline constexpr Setting kSettings[] = {
    {{"BUTTON_STARTUP", 27, 61, 9, 9}, "Start with Windows", "Brindle opens when you log on."},
    {{"BUTTON_AUTOSCAN", 27, 97, 9, 9}, "Scan at start", "A scan runs as soon as the main window opens."},
    {{"BUTTON_BACKUP", 27, 132, 9, 9}, "Back up registry", "A backup of every entry is kept before a repair."},
};
inline constexpr Box kBackupCount{"EDIT_BAKUP_COUNT", 165, 132, 160, 14};

// SUBMAIN_RESULT and the list columns the program puts over it.
inline constexpr Box kResultList{"SUBMAIN_RESULT_LISTINFO", 0, 0, 349, 219};
struct Column {
    std::string_view title;
    int width;
};
inline constexpr Column kResultColumns[] = {{"Delete", 40}, {"Type", 100}, {"FileName", 209}};
inline constexpr Column kIgnoredColumns[] = {{"Delete", 40}, {"FileName", 259}};

// SUBMAIN_ABOUT: the whole panel is the close button.
inline constexpr Box kAboutExit{"BUTTON_ABOUTEXIT", 0, 0, 349, 219};

// Summary screens.
inline constexpr QSize kErrorScanScreen{349, 136}; // SCREENERRORSCAN
inline constexpr QSize kSummaryScreen{349, 211};   // the other three
inline constexpr Box kStopScan{"BUTTON_STOPSCAN", 237, 180, 69, 19};
inline constexpr Box kScanAnimation{"SCANSCREENANIMATION", 107, 81, 117, 169};

inline constexpr Box kScanCompleteTitle{"TEXT_SCREENSCANCOMPLETE_TITLE", 13, 32, 326, 29};
inline constexpr Box kScanCompleteList{"SCREENSCANCOMPLETE_LISTINFO", 13, 62, 324, 111};
inline constexpr Column kScanCompleteColumns[] = {{"Type", 162}, {"Scanned", 81}, {"Bug(s)", 81}};
inline constexpr Box kFixError{"BUTTON_FIXERROR", 187, 180, 89, 19};
inline constexpr Box kCancel{"BUTTON_CANCEL", 290, 180, 49, 19};
// A count the program writes, with the caption the art puts before it (ending at its x).
struct Figure {
    Box box;
    std::string_view caption;
};
inline constexpr Figure kScanCompleteFigures[] = {
    {{"TEXT_SCANCOMPLETE_ITEMSCANNED", 113, 175, 60, 158}, "Items scanned:"},
    {{"TEXT_SCANCOMPLETE_ERRORFOUND", 168, 188, 60, 158}, "Problems found:"},
};

inline constexpr Box kFixingCurrentItem{"TEXT_ERRORFIXING_CURRENTITEM", 14, 54, 322, 80};
inline constexpr Figure kFixingFigures[] = {
    {{"TEXT_ERRORFIXING_STATUS", 59, 153, 119, 15}, "Status:"},
    {{"TEXT_ERRORFIXING_ITEMSCANNED", 116, 165, 119, 15}, "Items scanned:"},
    {{"TEXT_ERRORFIXING_ERRORFOUND", 168, 180, 119, 15}, "Problems found:"},
    {{"TEXT_ERRORFIXING_FIXED", 50, 194, 119, 15}, "Fixed:"},
};

inline constexpr Box kFixCompleteList{"SCREENFIXCOMPLETE_LISTINFO", 13, 30, 324, 111};
inline constexpr Column kFixCompleteColumns[] = {{"Type", 132}, {"Scanned", 64}, {"Bug(s)", 64}, {"Fixed", 64}};
inline constexpr Box kOk{"BUTTON_OK", 290, 180, 49, 19};
inline constexpr Figure kFixCompleteFigures[] = {
    {{"TEXT_FIXCOMPLETE_STATUS", 59, 153, 119, 15}, "Status:"},
    {{"TEXT_FIXCOMPLETE_ITEMSCANNED", 116, 165, 119, 15}, "Items scanned:"},
    {{"TEXT_FIXCOMPLETE_ERRORFOUND", 168, 178, 119, 15}, "Problems found:"},
    {{"TEXT_FIXCOMPLETE_FIXED", 50, 191, 119, 15}, "Fixed:"},
};

// The full skin: the shipped layout with the controls the shipped definition leaves out. Only
// the schedule panels and the scan progress screen are laid out anew, to make room.
namespace full {

// SUBMAIN_MAIN: a scan that opens its own progress window, over the status column headings.
inline constexpr Box kPanelScan{"BUTTON_SCAN", 178, 2, 167, 18};

// SUBMAIN_SCHEDULE and SUBMAIN_SCHEDULE_DISABLED: switch, then the interval options side by
// side, the list of saved schedules and its two commands.
inline constexpr Box kAutoscanEnable{"BUTTON_AUTOSCAN_ENABLE", 8, 4, 30, 25};
inline constexpr Box kStartEvery{"BUTTON_START_EVERY", 10, 38, 10, 10};
inline constexpr Box kScanPeriod{"EDIT_SCAN_PERIOD", 92, 35, 18, 15};
inline constexpr Box kStartAfterEvery{"BUTTON_START_AFTER_EVERY", 178, 38, 10, 10};
inline constexpr LabelledBox kCalendar[] = {
    {{"BUTTON_START_AFTER_EVERY_MONTH", 192, 56, 10, 10}, "month"},
    {{"BUTTON_START_AFTER_EVERY_WEEK", 248, 56, 10, 10}, "week"},
    {{"BUTTON_START_AFTER_EVERY_DAY", 298, 56, 10, 10}, "day"},
};
inline constexpr Box kScheduleList{"SUBMAIN_SCHEDULE_LISTINFO", 4, 74, 341, 116};
inline constexpr Column kScheduleColumns[] = {{"No.", 36}, {"Schedule", 170}, {"Last run", 133}};
inline constexpr Box kAddSchedule{"BUTTON_ADDSCHEDULE", 186, 195, 76, 20};
inline constexpr Box kDeleteSchedule{"BUTTON_DELETESCHEDULE", 268, 195, 76, 20};

// SUBMAIN_ADVANCED: the two commands below the settings.
inline constexpr Box kRestore{"BUTTON_RESTORE", 10, 184, 170, 22};
inline constexpr Box kRunUpdate{"BUTTON_RUNUPDATE", 188, 184, 151, 22};

// SCREENERRORSCAN: tall enough for the whole animation and the stop button, with the item
// being checked written below the animation, where it covers neither.
inline constexpr QSize kErrorScanScreen{349, 296};
inline constexpr Box kErrorScanCurrentItem{"TEXT_ERRORSCAN_CURRENTITEM", 12, 258, 325, 32};

} // namespace full

} // namespace art::layout
