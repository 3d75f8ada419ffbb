#include "support/TemporaryFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace brindle::test {

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brindle-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteFileAt(const std::filesystem::path& file, std::string_view content) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::filesystem::path TemporaryFolder::writeFile(std::string_view relativePath, std::string_view content) const {
    const auto file = m_path / relativePath;
    WriteFileAt(file, content);
    return file;
}

std::filesystem::path TemporaryFolder::makeFolder(std::string_view relativePath) const {
    const auto folder = m_path / relativePath;
    std::filesystem::create_directories(folder);
    return folder;
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::filesystem::path& folder)
    : m_previous(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

CurrentDirectoryScope::~CurrentDirectoryScope() {
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
}

std::string ReadFileAt(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace brindle::test
