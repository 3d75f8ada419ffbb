// libFuzzer harness for the shortcut backup decoder, built by CMakeLists.txt here (see
// README.md). A backup is read back from the data folder, where anything may have been
// put in its place.
//
// Beyond not crashing, it checks that the decoder accepts only what the encoder would
// write: every file it reads re-encodes to exactly its own bytes, within the limits the
// format sets, and a file it refuses says where and gives no entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "registry/ShortcutBackupFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const brindle::DecodedShortcutBackup decoded = brindle::DecodeShortcutBackup(bytes, "fuzz.lnk-backup");
    if (!decoded.ok()) {
        if (decoded.error().message().rfind("fuzz.lnk-backup: ", 0) != 0) std::abort();
        return 0;
    }
    if (decoded->size() > brindle::kMaxShortcutBackupEntries) std::abort();
    for (const brindle::ShortcutBackupEntry& entry : decoded.value()) {
        if (entry.path.size() > brindle::kMaxShortcutBackupPathBytes) std::abort();
        if (entry.bytes.size() > brindle::kMaxShortcutBackupDataBytes) std::abort();
    }
    if (brindle::EncodeShortcutBackup(decoded.value()) != bytes) std::abort();
    return 0;
}
