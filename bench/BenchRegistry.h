// A registry the size of a real Windows 11 installation, for benchmarks: about 700,000
// keys and 1,200,000 values, 100,000 of the keys being classes under
// HKEY_CLASSES_ROOT\CLSID whose servers name files on a temporary C: drive.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/SimpleMachine.h"

namespace brindle::bench {

struct BenchRegistryShape {
    std::size_t classes = 100000;
    std::size_t totalKeys = 700000;
    std::size_t totalValues = 1200000;
    std::size_t serverFiles = 4000;     // distinct DLLs the classes name
    double missingShare = 0.05;         // of those, the share that does not exist
};

struct BenchRegistryStats {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::vector<std::string> serverPaths;  // every resolved path the COM scan will test, in order
};

// Fills the machine's registry and drive C: (driveFolder); returns what it built.
BenchRegistryStats BuildBenchRegistry(SimpleMachine& machine, const std::string& driveFolder,
                                      const BenchRegistryShape& shape = {});

// Resident memory of the process in bytes.
std::size_t ResidentBytes();

}  // namespace brindle::bench
