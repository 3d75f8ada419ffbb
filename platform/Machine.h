// One Windows installation as the program sees it: its registry, its files and drives,
// its environment and system facts, its named events. main() opens one machine and
// hands it down; nothing above the platform layer reaches for a global.
//
// Threads: every registry call is safe from any thread (the registry locks each call),
// but a job that works through handles over several calls holds useRegistry() for its
// length: a scan, a repair, a restore, the window reading or writing its settings.
// Reloading and discarding replace the registry tree those handles point into, and saving
// walks the tree outside the registry's lock, so they wait until no other thread uses
// the registry and hold new users off meanwhile (RegistryUseGate). The other facts of a
// machine (code page, directories, environment) change only in a reload, so they too
// are read under useRegistry() by any thread but the one that reloads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/NamedEvents.h"
#include "platform/ProgramView.h"
#include "platform/Registry.h"
#include "platform/RegistryUseGate.h"
#include "platform/Result.h"
#include "platform/WinTypes.h"

namespace brindle {

class Machine {
public:
    virtual ~Machine() = default;

    virtual Registry& registry() = 0;
    virtual FileSystem& files() = 0;
    virtual NamedEvents& events() = 0;
    virtual const CodePage& codePage() const = 0;

    // Win32 forms: each returns the size the whole result needs (NUL included for the
    // expansion, excluded for the directories when it fits) and never writes past size.
    virtual win::DWORD ExpandEnvironmentStringsA(const char* source, char* destination, win::DWORD size) = 0;
    virtual unsigned GetSystemDirectoryA(char* buffer, unsigned size) = 0;
    virtual unsigned GetWindowsDirectoryA(char* buffer, unsigned size) = 0;
    // Top bit set on the Windows 95/98/Me family.
    virtual win::DWORD GetVersion() = 0;
    virtual std::string userName() = 0;

    // The local path a shell shortcut (.lnk) points at, in the ANSI code page; nothing
    // when the file cannot be read as a shortcut or names no local path (advertised
    // installer shortcuts, shell namespace targets).
    virtual std::optional<std::string> ReadShortcutTarget(const char* windowsPath) = 0;

    // Wine serves the fonts its installation ships to every prefix as if they stood in
    // the Windows fonts folder: whether it has one of this bare file name. A machine
    // without such an installation has none.
    virtual PathProbe ProbeWineFont(std::string_view fileName) {
        (void)fileName;
        return PathProbe::Missing;
    }

    // A 64-bit machine runs 64-bit programs natively and shows its 32-bit programs a view
    // of their own (wow64View); a 32-bit machine has one view.
    virtual bool is64Bit() const { return false; }
    // The machine as its 32-bit programs see it; null on a 32-bit machine. It lives as
    // long as this machine.
    virtual Machine* wow64View() { return nullptr; }
    // The views whose registry entries a scan judges, the native one first.
    std::vector<ProgramView> programViews() {
        if (!is64Bit()) return {ProgramView::Native32};
        if (wow64View() == nullptr) return {ProgramView::Native64};
        return {ProgramView::Native64, ProgramView::Wow64};
    }
    // The machine as programs of the view see it.
    Machine& inView(ProgramView view) {
        Machine* wow64 = view == ProgramView::Wow64 ? wow64View() : nullptr;
        return wow64 != nullptr ? *wow64 : *this;
    }
    // Where the registry is kept. A machine that lives only in memory has nothing to keep;
    // one read from files says whether they changed under it, reads them again, and
    // writes changes back. A failure says what failed and where.
    // The place itself, for records that must name this machine (the prefix a backup came
    // from): the prefix folder's real path; empty for a machine that lives in memory.
    virtual std::string registryPlace() const { return {}; }
    virtual bool registryChangedOnDisk() const { return false; }
    virtual Status reloadRegistryIfChanged() { return {}; }
    // Drops every change not yet saved.
    virtual Status discardRegistryChanges() { return {}; }
    virtual Status saveRegistry() { return {}; }
    // Whether a save could be made now as far as a cheap look tells (no other writer holds
    // the files); a failure says who holds them. A save checks again itself.
    virtual Status registryWritable() const { return {}; }

    // Held by a job for its length (see Threads above).
    RegistryUseGate::Use useRegistry() { return RegistryUseGate::Use(m_registryGate); }

protected:
    // Taken exclusively by whatever replaces or writes out the registry tree.
    RegistryUseGate& registryGate() { return m_registryGate; }

private:
    RegistryUseGate m_registryGate;
};

// The legacy-family bit of a GetVersion() result.
inline bool IsLegacyVersion(win::DWORD version) { return (version & 0x80000000u) != 0; }

// Version words as GetVersion() reports them.
inline constexpr win::DWORD kVersionWindows7 = 0x1DB10106;   // 6.1, build 7601
inline constexpr win::DWORD kVersionWindows98 = 0xC0000A04;  // 4.10, legacy bit set

}  // namespace brindle
