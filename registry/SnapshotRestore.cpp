#include "registry/SnapshotRestore.h"

#include "registry/XmlReader.h"

namespace brindle {

bool RestoreFromSnapshot(Machine& machine, const std::string& fileName, const CRegistryLib::MessageDisplay& display) {
    CRegistryLib lib(machine);
    lib.messageDisplay = display;
    XmlReader reader;
    reader.setErrorDisplay(display);
    return lib.LoadAsXml(reader, fileName);
}

}  // namespace brindle
