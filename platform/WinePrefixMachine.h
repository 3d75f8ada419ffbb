// A Wine prefix as the machine: system.reg, user.reg and userdef.reg loaded into the
// in-memory registry, drives from dosdevices/, environment and system facts from the
// registry and Wine's defaults.
//
// Writes go back to the files only through save(), atomically, only for files whose
// content changed, never while a wineserver runs for the prefix, and never over a file
// that changed on disk since it was read.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/SimpleMachine.h"
#include "platform/WineDrives.h"
#include "platform/WineRegistryFile.h"

namespace brindle {

class WinePrefixMachine final : public SimpleMachine {
public:
    // Fails when the prefix cannot be read whole, when a registry file is not a regular
    // file, or when it has no working C: drive or no system folder on it.
    static Result<std::unique_ptr<WinePrefixMachine>> Open(const std::filesystem::path& prefix);

    const std::filesystem::path& prefix() const { return m_prefix; }
    const std::vector<WineDrive>& drives() const { return m_drives; }

    // Whether a registry file was changed on disk (by Wine) since it was read.
    bool filesChangedOnDisk() const;
    // Reads the registry again, with every fact taken from it, when a file changed on
    // disk. Changes made here and not yet saved are dropped by that. On failure the
    // machine stays as it was.
    Status reloadIfChanged();
    // Writes back every registry file whose content differs from what was read, all of
    // them before any replaces its original (see ReplaceFilesTogether). A failure says
    // what was refused or failed and where, and which files, if any, were written.
    Status save();
    // For tests: makes steps of the next saves fail (see CommitFaultHook).
    void setCommitFaults(CommitFaultHook faults) { m_commitFaults = std::move(faults); }

    std::string registryPlace() const override { return m_prefix.string(); }
    bool registryChangedOnDisk() const override { return filesChangedOnDisk(); }
    Status reloadRegistryIfChanged() override { return reloadIfChanged(); }
    Status discardRegistryChanges() override;
    Status saveRegistry() override { return save(); }
    // A running wineserver owns the files: nothing may be written while it runs.
    Status registryWritable() const override;

private:
    struct RegistryFile {
        const char* fileName = nullptr;    // "system.reg"
        const char16_t* ntRoot = nullptr;  // the key its paths are relative to
        WineRegistryFile info;
        bool existed = false;
        std::string loadedBytes;  // what the file held when read, to compare a save with
        std::filesystem::file_time_type modified{};
        std::uintmax_t size = 0;
    };

    explicit WinePrefixMachine(std::filesystem::path prefix);
    Status loadRegistry();
    // Refuses a prefix whose system folder is not there: Wine would find none of its files.
    Status checkSystemFolder();
    // Reads the files again in place of the registry in memory; with the gate held.
    Status replaceRegistry();
    void takeFactsFromRegistry();
    void mapDrives();
    void setUpEnvironment();
    bool is64BitPrefix() const;
    // The environment of the machine's 32-bit programs, or none on a 32-bit prefix.
    void setUpWow64View();
    std::filesystem::path filePath(const RegistryFile& file) const { return m_prefix / file.fileName; }
    bool changedOnDisk(const RegistryFile& file) const;

    std::filesystem::path m_prefix;
    std::vector<RegistryFile> m_files;
    std::vector<WineDrive> m_drives;
    CommitFaultHook m_commitFaults;
};

}  // namespace brindle
