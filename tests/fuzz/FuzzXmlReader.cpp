// libFuzzer harness for the XML pull reader, built by CMakeLists.txt here (see README.md).
//
// Beyond not crashing, it checks that reading always ends: every token moves through the
// input, so more Reads than a few per byte mean the reader is stuck.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "registry/XmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader takes a file name; a file in memory keeps the disk from setting the pace.
    static const std::string path = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                     "/fuzz-xml-reader-" + std::to_string(::getpid()) + ".xml";
    static const bool removedAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removedAtExit;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();

    brindle::XmlReader reader;
    reader.SetFileName(path);
    std::size_t reads = 0;
    while (reader.Read()) {
        if (++reads > 3 * size + 8) std::abort();
        if (reader.lineNumber() < 1 || static_cast<std::size_t>(reader.lineNumber()) > size) std::abort();
    }
    if (reader.lineNumber() > 0 && reader.error().rfind("Parse error in line ", 0) != 0 && !reader.error().empty())
        std::abort();
    reader.Close();
    return 0;
}
