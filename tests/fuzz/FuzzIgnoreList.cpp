// libFuzzer harness for the ignore list. The input is written as "ignore.lst" in a
// private folder that the process moves into once, and read through the ignore list a
// scan reads it with.
//
// Beyond not crashing, it checks that the file the list is saved to reads back as the
// same entries, whatever their length, and that a save of an unchanged list leaves the
// file's bytes alone.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "registry/IgnoreList.h"
#include "registry/IgnoreListText.h"

namespace {

// In memory where the system has such a folder: the save syncs the file to its disk,
// which would otherwise bound the fuzzer to a few dozen inputs a second.
void EnterPrivateFolder() {
    std::error_code error;
    const std::filesystem::path parent =
        std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string folder = (parent / "brindle-fuzz-ignore-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr || ::chdir(folder.c_str()) != 0) std::abort();
    static std::string s_folder = folder;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(s_folder, ignored);
    });
}

void WriteFile(const char* name, std::string_view bytes) {
    std::FILE* file = std::fopen(name, "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
        std::abort();
    }
}

std::string ReadFile(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) std::abort();
    std::string bytes;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
    std::fclose(file);
    return bytes;
}

std::vector<std::string> Entries(brindle::IgnoreList& lib) {
    std::vector<std::string> paths;
    for (const auto& entry : lib.ignoreList()) {
        if (!entry) std::abort();
        paths.push_back(entry->filePath());
    }
    return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool entered = (EnterPrivateFolder(), true);
    (void)entered;

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    WriteFile(brindle::kIgnoreListFile, bytes);
    brindle::IgnoreList lib(std::filesystem::current_path());
    const std::vector<std::string> loaded = Entries(lib);
    if (loaded != brindle::ParseIgnoreListText(bytes)) std::abort();

    std::size_t lineBreaks = 0;
    for (const std::string& path : loaded) {
        if (path.find('\n') != std::string::npos) std::abort();
        if (!lib.IsIgnored(path)) std::abort();
    }
    for (const char c : bytes) lineBreaks += c == '\n' ? 1 : 0;
    if (loaded.size() < lineBreaks || loaded.size() > lineBreaks + 1) std::abort();

    // A list that did not change is not written again, so the file holds either its old
    // bytes or the entries each followed by CR LF; either way it reads back the same.
    if (!lib.SaveIgnoreList().ok()) std::abort();
    std::string rewritten;
    for (const std::string& path : loaded) rewritten += path + "\r\n";
    const std::string saved = ReadFile(brindle::kIgnoreListFile);
    if (saved != bytes && saved != rewritten) std::abort();
    if (brindle::ParseIgnoreListText(saved) != loaded) std::abort();

    lib.LoadIgnoreList();
    if (Entries(lib) != loaded) std::abort();
    return 0;
}
