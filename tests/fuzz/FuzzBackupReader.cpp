// libFuzzer harness for the backup reader, built by CMakeLists.txt here (see README.md).
//
// Beyond not crashing, it checks that the reader accepts only what the writer would
// write: every file it reads re-encodes to exactly its own bytes, and a file it refuses
// says where.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/MemoryRegistry.h"
#include "registry/BackupFile.h"
#include "registry/BackupRestore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const brindle::DecodedBackup decoded = brindle::DecodeBackup(bytes, "fuzz.reg");
    if (!decoded.ok()) {
        if (decoded.error().message().rfind("fuzz.reg: ", 0) != 0) std::abort();
        return 0;
    }
    if (brindle::EncodeBackup(decoded.value()) != bytes) std::abort();

    // Whatever the reader lets through must be writable without harm.
    brindle::MemoryRegistry registry;
    brindle::RestoreBackup(registry, decoded.value());
    if (registry.openHandleCount() != 0) std::abort();
    return 0;
}
