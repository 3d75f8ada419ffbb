// libFuzzer harness for the shortcut (.lnk) reader, built by CMakeLists.txt here (see
// README.md). Shortcut files come from anywhere on the prefix's drives.
//
// Beyond not crashing, it checks the reader's answer: a refusal names the file, a found
// target is a non-empty path without NUL bytes, and no answer carries both.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/CodePage.h"
#include "platform/ShortcutReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const brindle::CodePage codePage(1252);
    const std::vector<std::uint8_t> bytes(data, data + size);
    const brindle::ShortcutTarget target = brindle::DecodeShortcut(bytes, "fuzz.lnk", codePage);
    switch (target.status) {
    case brindle::ShortcutTarget::Status::Found:
        if (target.path.empty() || target.path.find('\0') != std::string::npos || !target.error.empty()) std::abort();
        break;
    case brindle::ShortcutTarget::Status::NoLocalPath:
        if (!target.path.empty() || !target.error.empty()) std::abort();
        break;
    case brindle::ShortcutTarget::Status::Unreadable:
        if (!target.path.empty() || target.error.rfind("fuzz.lnk: ", 0) != 0) std::abort();
        break;
    }
    return 0;
}
