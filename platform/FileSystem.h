// Files and folders of the machine, named by Windows paths in the ANSI code page.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace brindle {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The CRT's _access: 0 when the path names an existing file or folder and the
    // mode's rights are granted (0 existence, 2 write, 4 read, 6 both), else -1.
    virtual int _access(const char* path, int mode) = 0;

    // The host path a Windows path resolves to, when it resolves to an existing entry.
    virtual std::optional<std::filesystem::path> resolve(std::string_view windowsPath) = 0;

    // Directory listings may be cached from beginScan to endScan, so that a scan that
    // tests thousands of paths in the same folders reads each folder once.
    virtual void beginScan() {}
    virtual void endScan() {}
};

}  // namespace brindle
