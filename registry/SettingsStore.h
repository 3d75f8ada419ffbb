// The user's settings, kept as values of HKEY_LOCAL_MACHINE\Software\Brindle, and the
// program's entry in the system's Run key.
//
// A check box is stored as the presence of a value (REG_SZ "1" when ticked, no value
// when not), an edit box as its text, the automatic-scan schedule as two REG_DWORDs. The
// store knows nothing of controls: the window hands in what they show and applies what
// the loads give back.
//
// Every failure is silent: a key that can be neither opened nor created means nothing is
// written, and a value that cannot be read leaves the control as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace brindle {

class KeyHandle;

// Below HKEY_LOCAL_MACHINE.
inline constexpr const char* kSettingsKey = "Software\\Brindle";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kStartupValueName = "Brindle";
inline constexpr const char* kStartupProgramName = "Brindle.exe";

namespace setting {
inline constexpr const char* kEnableScan = "enablescan";          // flag: the automatic scan is on
inline constexpr const char* kAutoScan = "autoscan";              // flag: scan when the main screen is built
inline constexpr const char* kSaveReg = "savereg";                // flag: the backup check box
inline constexpr const char* kSaveCountReg = "savecountreg";      // text: backups the user asked to keep
inline constexpr const char* kScanMinutes = "scanminutes";        // text: period of "every N minutes"
inline constexpr const char* kScanEvery = "scanevery";            // flag: schedule kind every N minutes
inline constexpr const char* kScanAfterEvery = "scanafterevery";  // flag: schedule kind after every day/week/month
inline constexpr const char* kScanMonth = "scanmonth";            // flag: calendar choice month
inline constexpr const char* kScanWeek = "scanweek";              // flag: calendar choice week
inline constexpr const char* kScanDay = "scanday";                // flag: calendar choice day
inline constexpr const char* kScanNext = "scannext";              // REG_DWORD: next scan, seconds since 1970 UTC
inline constexpr const char* kScanPeriod = "scanperiod";          // REG_DWORD: seconds between scans
}  // namespace setting

// Setting strings are read into a buffer of this many bytes; a longer value is not read.
inline constexpr std::size_t kSettingStringBytes = 256;
// What an edit box shows when its value exists in no readable form.
inline constexpr const char* kUnreadableTextSetting = "4";

class SettingsStore {
public:
    explicit SettingsStore(Registry& registry) : m_registry(registry) {}

    // The number when the value exists as a 4-byte REG_DWORD; 0 otherwise.
    std::uint32_t ReadDwordSetting(const char* valueName);
    void WriteDwordSetting(const char* valueName, std::uint32_t number);
    // An empty text writes nothing, so clearing the box keeps what was stored.
    void WriteTextSetting(const char* valueName, std::string_view text);
    // Ticked: REG_SZ "1" with its NUL. Not ticked: the value is deleted.
    void WriteFlagSetting(const char* valueName, bool checked);

    // true when the value under HKEY_LOCAL_MACHINE\keyPath reads as a string (whatever
    // its text); nothing when the control is to stay as it was.
    std::optional<bool> LoadFlagSetting(const char* keyPath, const char* valueName);
    // The string; kUnreadableTextSetting when the key opens but the value does not read
    // as a string; nothing when the key cannot be opened.
    std::optional<std::string> LoadTextSetting(const char* keyPath, const char* valueName);

    // The Run key entry: currentDirectory followed by "\Brindle.exe", or none.
    void SetStartWithWindows(bool start, std::string_view currentDirectory);
    // The Run key entry holding exactly `command`, or none; the window writes the program
    // as the machine's Windows names it, which the form above cannot give.
    void SetStartupCommand(std::optional<std::string_view> command);
    bool StartsWithWindows();

    // Reads a value as a string into a kSettingStringBytes buffer: it must exist, fit,
    // and be REG_SZ or REG_EXPAND_SZ ending in NUL, or REG_MULTI_SZ of at least 2 bytes
    // ending in two NULs; anything else answers ERROR_INVALID_DATA. On success `text`
    // holds the (first) string without its NUL.
    static win::LONG ReadStringValue(Registry& registry, win::HKEY key, const char* valueName, std::string& text);

private:
    // The settings key opened for writing, created when missing; false when neither works.
    bool openForWriting(KeyHandle& key);

    Registry& m_registry;
};

}  // namespace brindle
