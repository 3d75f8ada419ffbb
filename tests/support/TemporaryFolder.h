// A fresh folder under /tmp, removed with everything in it when the object ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brindle::test {

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Creates the file (and its folders) below the folder, with the given content.
    std::filesystem::path writeFile(std::string_view relativePath, std::string_view content = "") const;
    std::filesystem::path makeFolder(std::string_view relativePath) const;

private:
    std::filesystem::path m_path;
};

// Creates the file (and its folders) at a host path, with the given content.
void WriteFileAt(const std::filesystem::path& path, std::string_view content);
// The whole file's bytes; empty when it cannot be read.
std::string ReadFileAt(const std::filesystem::path& path);

// Makes a folder the process's current directory for the object's life.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::filesystem::path& folder);
    ~CurrentDirectoryScope();
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::filesystem::path m_previous;
};

}  // namespace brindle::test
