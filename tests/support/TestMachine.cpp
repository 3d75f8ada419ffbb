#include "support/TestMachine.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "scan/RegistryLib.h"

namespace brindle::test {

TestMachine::TestMachine() : m_currentDirectory(m_work.path()) {
    driveMap().mapDrive('C', m_driveC.path());
    environment().set("SystemRoot", "C:\\windows");
    environment().set("windir", "C:\\windows");
    environment().set("SystemDrive", "C:");
    environment().set("ProgramFiles", "C:\\Program Files");
}

void TestMachine::addFile(std::string_view windowsPath, std::string_view content) {
    if (windowsPath.size() < 3 || windowsPath.substr(0, 3) != "C:\\")
        throw std::invalid_argument("test files live on C:");
    std::string relative(windowsPath.substr(3));
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
    m_driveC.writeFile(relative, content);
}

win::HKEY TestMachine::createKeyHandle(std::string_view keyPath) {
    std::string subKey(keyPath);
    const std::string rootName = CRegistryLib::SeperateMainKey(subKey);
    const auto root = CRegistryLib::RootKeyFromName(rootName);
    if (!root) throw std::invalid_argument("unknown root in " + std::string(keyPath));
    win::HKEY key = 0;
    if (registry().RegCreateKeyA(*root, subKey.c_str(), &key) != win::ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + std::string(keyPath));
    return key;
}

void TestMachine::createKey(std::string_view keyPath) { registry().RegCloseKey(createKeyHandle(keyPath)); }

namespace {

// "HKEY_LOCAL_MACHINE\X" as the registry's own name "\Registry\Machine\X".
std::u16string MachineTreePath(std::string_view keyPath) {
    constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
    if (keyPath.substr(0, kRoot.size()) != kRoot) throw std::invalid_argument("links live below HKEY_LOCAL_MACHINE");
    const std::string path = "\\Registry\\Machine" + std::string(keyPath.substr(kRoot.size()));
    return std::u16string(path.begin(), path.end());
}

}  // namespace

void TestMachine::makeLink(std::string_view keyPath, std::string_view targetKeyPath) {
    createKey(keyPath);
    RegistryKeyNode* node = memoryRegistry().findNode(MachineTreePath(keyPath));
    if (node == nullptr) throw std::runtime_error("cannot find " + std::string(keyPath));
    node->isLink = true;
    RegistryValueData value;
    value.name = u"SymbolicLinkValue";
    value.type = win::REG_LINK;
    for (const char16_t c : MachineTreePath(targetKeyPath)) {
        value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    node->values.push_back(std::move(value));
}

void TestMachine::makeWow64() {
    createKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node\\CLSID");
    makeLink("HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes", "HKEY_LOCAL_MACHINE\\Software\\Classes\\Wow6432Node");
    for (const char* shared : {"Microsoft\\Windows\\CurrentVersion\\App Paths", "Microsoft\\Windows NT\\CurrentVersion\\Fonts"}) {
        createKey(std::string("HKEY_LOCAL_MACHINE\\Software\\") + shared);
        makeLink(std::string("HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\") + shared,
                 std::string("HKEY_LOCAL_MACHINE\\Software\\") + shared);
    }
    environment().set("CommonProgramFiles", "C:\\Program Files\\Common Files");
    environment().set("ProgramFiles(x86)", "C:\\Program Files (x86)");
    SimpleMachine::makeWow64("C:\\Program Files (x86)", "C:\\Program Files (x86)\\Common Files");
}

void TestMachine::setString(std::string_view keyPath, std::string_view valueName, std::string_view data,
                            win::DWORD type) {
    std::string bytes(data);
    bytes.push_back('\0');
    setBytes(keyPath, valueName, type, bytes);
}

void TestMachine::setBytes(std::string_view keyPath, std::string_view valueName, win::DWORD type,
                           std::string_view bytes) {
    const win::HKEY key = createKeyHandle(keyPath);
    const std::string name(valueName);
    const auto status = registry().RegSetValueExA(key, name.c_str(), 0, type,
                                                  reinterpret_cast<const win::BYTE*>(bytes.data()),
                                                  static_cast<win::DWORD>(bytes.size()));
    registry().RegCloseKey(key);
    if (status != win::ERROR_SUCCESS) throw std::runtime_error("cannot set a value in " + std::string(keyPath));
}

win::HKEY TestMachine::openKey(std::string_view keyPath) {
    std::string subKey(keyPath);
    const std::string rootName = CRegistryLib::SeperateMainKey(subKey);
    const auto root = CRegistryLib::RootKeyFromName(rootName);
    win::HKEY key = 0;
    if (!root || registry().RegOpenKeyA(*root, subKey.c_str(), &key) != win::ERROR_SUCCESS) return 0;
    return key;
}

bool TestMachine::keyExists(std::string_view keyPath) {
    const win::HKEY key = openKey(keyPath);
    if (key == 0) return false;
    registry().RegCloseKey(key);
    return true;
}

bool TestMachine::valueExists(std::string_view keyPath, std::string_view valueName) {
    const win::HKEY key = openKey(keyPath);
    if (key == 0) return false;
    const bool exists = registry().RegQueryValueExA(key, std::string(valueName).c_str(), nullptr, nullptr, nullptr,
                                                    nullptr) == win::ERROR_SUCCESS;
    registry().RegCloseKey(key);
    return exists;
}

void TestMachine::writeIgnoreList(std::string_view content) { m_work.writeFile(kIgnoreListFile, content); }

std::string TestMachine::readIgnoreList() const {
    std::ifstream file(m_work.path() / kIgnoreListFile, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace brindle::test
