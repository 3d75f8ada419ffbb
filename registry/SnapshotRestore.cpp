#include "registry/SnapshotRestore.h"

#include "registry/XmlReader.h"

namespace brindle {

bool RestoreFromSnapshot(Machine& machine, const std::string& fileName, const RegistryAccess::MessageDisplay& display) {
    RegistrySnapshot snapshot(machine);
    snapshot.messageDisplay = display;
    XmlReader reader;
    reader.setErrorDisplay(display);
    return snapshot.LoadAsXml(reader, fileName);
}

}  // namespace brindle
