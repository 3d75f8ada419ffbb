// libFuzzer harness for the Wine registry file loader (system.reg, user.reg).
//
// Beyond not crashing, it checks what a load and a save promise each other:
//   - a refused file names a line and leaves the tree as it was;
//   - what the writer makes of an accepted file loads again, to an equal tree and with
//     the same preamble, and writes the same bytes a second time;
//   - loading a file the writer made into a tree that already holds it changes nothing.
// Keys the writer leaves out (parents implied by their sub-keys' paths) take the time of
// the first sub-key line, so their times are not compared.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/RegistryTree.h"
#include "platform/WineRegistryFile.h"

namespace {

using brindle::RegistryKeyNode;
using brindle::RegistryValueData;

bool WrittenByWriter(const RegistryKeyNode& key) {
    return !key.values.empty() || key.subKeys.empty() || key.hasClass || key.isLink;
}

bool SameValues(const RegistryKeyNode& a, const RegistryKeyNode& b) {
    if (a.values.size() != b.values.size()) return false;
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        const RegistryValueData& x = a.values[i];
        const RegistryValueData& y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
    }
    return true;
}

bool SameTree(const RegistryKeyNode& a, const RegistryKeyNode& b) {
    if (a.name != b.name || a.hasClass != b.hasClass || a.isLink != b.isLink) return false;
    if (a.hasClass && a.keyClass != b.keyClass) return false;
    if (WrittenByWriter(a) && a.lastWriteTime != b.lastWriteTime) return false;
    if (!SameValues(a, b) || a.subKeys.size() != b.subKeys.size()) return false;
    for (std::size_t i = 0; i < a.subKeys.size(); ++i) {
        if (a.subKeys[i]->parent != &a || b.subKeys[i]->parent != &b) return false;
        if (!SameTree(*a.subKeys[i], *b.subKeys[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    RegistryKeyNode first;
    brindle::WineRegistryFile firstInfo;
    const brindle::WineRegistryLoadResult loaded = brindle::LoadWineRegistryFile(bytes, "fuzz.reg", first, firstInfo);
    if (!loaded.ok()) {
        if (loaded.lineNumber == 0 || loaded.describe().rfind("fuzz.reg:", 0) != 0) std::abort();
        if (!first.values.empty() || !first.subKeys.empty() || first.lastWriteTime != 0) std::abort();
        return 0;
    }
    if (loaded.lineNumber != 0) std::abort();

    const std::string written = brindle::SaveWineRegistryFile(first, firstInfo);
    RegistryKeyNode second;
    brindle::WineRegistryFile secondInfo;
    if (!brindle::LoadWineRegistryFile(written, "written.reg", second, secondInfo).ok()) std::abort();
    if (!SameTree(first, second)) std::abort();
    if (secondInfo.header != firstInfo.header || secondInfo.preamble != firstInfo.preamble ||
        secondInfo.relativeTo != firstInfo.relativeTo) {
        std::abort();
    }
    if (brindle::SaveWineRegistryFile(second, secondInfo) != written) std::abort();

    if (!brindle::LoadWineRegistryFile(written, "written.reg", second, secondInfo).ok()) std::abort();
    if (brindle::SaveWineRegistryFile(second, secondInfo) != written) std::abort();
    return 0;
}
