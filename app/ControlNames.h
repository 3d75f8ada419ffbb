// The names the skin gives the window's controls, in one place: the program finds a
// button, label, edit box or panel by the name its skin definition lists it under, and a
// name misspelt here would leave a control without its command.
#pragma once

namespace brindle::control {

// The panels, one per [SUBMAINSCREENINFO] line.
inline constexpr const char* kPanelAbout = "SUBMAIN_ABOUT";
inline constexpr const char* kPanelAdvanced = "SUBMAIN_ADVANCED";
inline constexpr const char* kPanelIgnored = "SUBMAIN_IGNORED";
inline constexpr const char* kPanelMain = "SUBMAIN_MAIN";
inline constexpr const char* kPanelResult = "SUBMAIN_RESULT";
inline constexpr const char* kPanelSchedule = "SUBMAIN_SCHEDULE";
inline constexpr const char* kPanelScheduleDisabled = "SUBMAIN_SCHEDULE_DISABLED";

// The buttons of the main window, its panels and the summary window.
inline constexpr const char* kButtonPrefix = "BUTTON_";
inline constexpr const char* kButtonAbout = "BUTTON_ABOUT";
inline constexpr const char* kButtonAboutexit = "BUTTON_ABOUTEXIT";
inline constexpr const char* kButtonAddschedule = "BUTTON_ADDSCHEDULE";
inline constexpr const char* kButtonAdvsettings = "BUTTON_ADVSETTINGS";
inline constexpr const char* kButtonAll = "BUTTON_ALL";
inline constexpr const char* kButtonApppath = "BUTTON_APPPATH";
inline constexpr const char* kButtonAutoscan = "BUTTON_AUTOSCAN";
inline constexpr const char* kButtonAutoscanEnable = "BUTTON_AUTOSCAN_ENABLE";
inline constexpr const char* kButtonBackup = "BUTTON_BACKUP";
inline constexpr const char* kButtonCancel = "BUTTON_CANCEL";
inline constexpr const char* kButtonCom = "BUTTON_COM";
inline constexpr const char* kButtonComSubs = "BUTTON_COM_SUBS";
inline constexpr const char* kButtonDeleteschedule = "BUTTON_DELETESCHEDULE";
inline constexpr const char* kButtonDrv = "BUTTON_DRV";
inline constexpr const char* kButtonExit = "BUTTON_EXIT";
inline constexpr const char* kButtonFixerror = "BUTTON_FIXERROR";
inline constexpr const char* kButtonFonts = "BUTTON_FONTS";
inline constexpr const char* kButtonHelp = "BUTTON_HELP";
inline constexpr const char* kButtonIgnored = "BUTTON_IGNORED";
inline constexpr const char* kButtonIgnoredDelete = "BUTTON_IGNORED_DELETE";
inline constexpr const char* kButtonIgnoredSelAll = "BUTTON_IGNORED_SEL_ALL";
inline constexpr const char* kButtonMain = "BUTTON_MAIN";
inline constexpr const char* kButtonMinimize = "BUTTON_MINIMIZE";
inline constexpr const char* kButtonMsdos = "BUTTON_MSDOS";
inline constexpr const char* kButtonOk = "BUTTON_OK";
inline constexpr const char* kButtonRegistry = "BUTTON_REGISTRY";
inline constexpr const char* kButtonRemove = "BUTTON_REMOVE";
inline constexpr const char* kButtonRestore = "BUTTON_RESTORE";
inline constexpr const char* kButtonRunupdate = "BUTTON_RUNUPDATE";
inline constexpr const char* kButtonScan = "BUTTON_SCAN";
inline constexpr const char* kButtonSharedTools = "BUTTON_SHARED_TOOLS";
inline constexpr const char* kButtonShortcuts = "BUTTON_SHORTCUTS";
inline constexpr const char* kButtonStartup = "BUTTON_STARTUP";
inline constexpr const char* kButtonStartAfterEvery = "BUTTON_START_AFTER_EVERY";
inline constexpr const char* kButtonStartAfterEveryDay = "BUTTON_START_AFTER_EVERY_DAY";
inline constexpr const char* kButtonStartAfterEveryMonth = "BUTTON_START_AFTER_EVERY_MONTH";
inline constexpr const char* kButtonStartAfterEveryWeek = "BUTTON_START_AFTER_EVERY_WEEK";
inline constexpr const char* kButtonStartEvery = "BUTTON_START_EVERY";
inline constexpr const char* kButtonStopscan = "BUTTON_STOPSCAN";
inline constexpr const char* kButtonSupport = "BUTTON_SUPPORT";
inline constexpr const char* kButtonUninstall = "BUTTON_UNINSTALL";
inline constexpr const char* kButtonVxd = "BUTTON_VXD";

// The panels' edit boxes.
inline constexpr const char* kEditBakupCount = "EDIT_BAKUP_COUNT";
inline constexpr const char* kEditScanPeriod = "EDIT_SCAN_PERIOD";

// The labels the program writes into.
inline constexpr const char* kTextErrorfixingCurrentitem = "TEXT_ERRORFIXING_CURRENTITEM";
inline constexpr const char* kTextErrorfixingStatus = "TEXT_ERRORFIXING_STATUS";
inline constexpr const char* kTextErrorscanCurrentitem = "TEXT_ERRORSCAN_CURRENTITEM";
inline constexpr const char* kTextErrorscanErrorfound = "TEXT_ERRORSCAN_ERRORFOUND";
inline constexpr const char* kTextErrorscanStatus = "TEXT_ERRORSCAN_STATUS";
inline constexpr const char* kTextFixcompleteErrorfound = "TEXT_FIXCOMPLETE_ERRORFOUND";
inline constexpr const char* kTextFixcompleteFixed = "TEXT_FIXCOMPLETE_FIXED";
inline constexpr const char* kTextFixcompleteItemscanned = "TEXT_FIXCOMPLETE_ITEMSCANNED";
inline constexpr const char* kTextFixcompleteStatus = "TEXT_FIXCOMPLETE_STATUS";
inline constexpr const char* kTextScancompleteErrorfound = "TEXT_SCANCOMPLETE_ERRORFOUND";
inline constexpr const char* kTextScancompleteItemscanned = "TEXT_SCANCOMPLETE_ITEMSCANNED";
inline constexpr const char* kTextScreenscancompleteTitle = "TEXT_SCREENSCANCOMPLETE_TITLE";

// The main panel's per-category progress labels: the prefix and the category's name (ScanCategoryInfo::name).
inline constexpr const char* kProgressCountPrefix = "PROGRESS_COUNT_";
inline constexpr const char* kProgressTextPrefix = "PROGRESS_TEXT_";

}  // namespace brindle::control
