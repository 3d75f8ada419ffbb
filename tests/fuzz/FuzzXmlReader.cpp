// libFuzzer harness for the XML pull reader. Not part of the CMake build; build it by hand:
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I/work/main \
//       tests/fuzz/FuzzXmlReader.cpp registry/XmlReader.cpp registry/XmlWriter.cpp \
//       registry/XmlElement.cpp -o /tmp/fuzz-xml-reader
//   /tmp/fuzz-xml-reader -max_total_time=120 /tmp/fuzz-xml-corpus
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
    static const std::string path = "/tmp/fuzz-xml-reader-" + std::to_string(::getpid()) + ".xml";
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
