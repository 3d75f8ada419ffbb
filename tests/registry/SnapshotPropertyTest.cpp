// Random key trees go through a snapshot and back: export of the whole key, deletion,
// import. Every value must come back as the snapshot file can carry it.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/RunningProcess.h"
#include "registry/ValueFormat.h"
#include "registry/XmlElement.h"
#include "scan/RegistryLib.h"
#include "support/TestMachine.h"

namespace brindle {
namespace {

using namespace win;
using test::TestMachine;

struct Value {
    std::string name;  // empty for the unnamed value
    DWORD type = REG_SZ;
    std::string bytes;
};

struct Key {
    std::string name;
    std::vector<Value> values;
    std::vector<Key> subKeys;
};

// Pieces of names and data: characters that the file must escape, entities spelled
// out literally, and characters that the code page maps outside ASCII (0x81 is one of
// 1252's undefined bytes). Line breaks are left out: a REG_SZ cannot carry them
// through the file's CR LF.
const std::vector<std::string> kTextPieces = {"a",  "Z",   "1",     " ",     "&",      "\"",     "<",    ">",
                                              "'",  ";",   "&amp;", "&lt;",  "&quot;", "&apos;", "&gt;", "\xe9",
                                              "\xfc", "\x80", "\x81",  "\xdf"};

std::string Text(std::size_t minimum, std::size_t maximum) {
    const auto count = *rc::gen::inRange(minimum, maximum + 1);
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += *rc::gen::elementOf(kTextPieces);
    return text;
}

std::string RawBytes(std::size_t count) {
    return *rc::gen::container<std::string>(count, rc::gen::arbitrary<char>());
}

Value RandomValue(std::string name) {
    static const std::vector<DWORD> kTypes = {REG_NONE,
                                             REG_SZ,
                                             REG_EXPAND_SZ,
                                             REG_BINARY,
                                             REG_DWORD,
                                             REG_DWORD_BIG_ENDIAN,
                                             REG_LINK,
                                             REG_MULTI_SZ,
                                             REG_RESOURCE_LIST,
                                             9,
                                             REG_RESOURCE_REQUIREMENTS_LIST,
                                             REG_QWORD};
    Value value{std::move(name), *rc::gen::elementOf(kTypes), {}};
    switch (value.type) {
        case REG_BINARY:
        case REG_RESOURCE_LIST:
        case REG_RESOURCE_REQUIREMENTS_LIST:
            value.bytes = RawBytes(*rc::gen::inRange<std::size_t>(0, 12));
            break;
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN:
            value.bytes = RawBytes(4);
            break;
        case REG_QWORD:
            value.bytes = RawBytes(8);
            break;
        case REG_LINK: {
            const std::u16string wide = CodePage(1252).toUtf16(Text(0, 8));
            for (const char16_t unit : wide) {
                value.bytes.push_back(static_cast<char>(unit & 0xFF));
                value.bytes.push_back(static_cast<char>(unit >> 8));
            }
            value.bytes.append(2, '\0');
            break;
        }
        case REG_MULTI_SZ: {
            // A list that renders as empty text (no strings, or one empty string) comes
            // back as a single NUL; that case is covered by ParseValueDataTest.
            value.bytes = Text(1, 6);
            const auto more = *rc::gen::inRange(0, 3);
            for (int i = 0; i < more; ++i) {
                value.bytes.push_back('\0');
                value.bytes += Text(0, 6);
            }
            value.bytes.append(2, '\0');
            break;
        }
        default:
            value.bytes = Text(0, 10);
            value.bytes.push_back('\0');
    }
    return value;
}

Key RandomKey(std::string name, int depth) {
    Key key{std::move(name), {}, {}};
    if (*rc::gen::inRange(0, 3) == 0) key.values.push_back(RandomValue({}));
    const auto valueCount = *rc::gen::inRange(0, 4);
    // A numbered start keeps sibling names distinct whatever the random rest is, since
    // the registry compares names without regard to case.
    for (int i = 0; i < valueCount; ++i) key.values.push_back(RandomValue("v" + std::to_string(i) + Text(0, 6)));
    const auto subKeyCount = depth >= 3 ? 0 : *rc::gen::inRange(0, 3);
    for (int i = 0; i < subKeyCount; ++i)
        key.subKeys.push_back(RandomKey("k" + std::to_string(i) + Text(0, 6), depth + 1));
    return key;
}

void Store(TestMachine& machine, const std::string& path, const Key& key) {
    machine.createKey(path);
    for (const Value& value : key.values) machine.setBytes(path, value.name, value.type, value.bytes);
    for (const Key& subKey : key.subKeys) Store(machine, path + "\\" + subKey.name, subKey);
}

struct Stored {
    DWORD type;
    std::string bytes;
    bool operator==(const Stored&) const = default;
};

// What the import writes for a value: numbers and bytes as they were, text types with
// their text, big-endian numbers as REG_DWORD, the types without a name of their own
// as REG_SZ holding their text form. Nothing for an unnamed value without data, which
// is shown as not set.
std::optional<Stored> ExpectedAfterImport(const Value& value, const CodePage& codePage) {
    if (value.name.empty() && value.bytes.empty()) return std::nullopt;
    const auto* data = reinterpret_cast<const BYTE*>(value.bytes.data());
    switch (value.type) {
        case REG_BINARY:
        case REG_RESOURCE_LIST:
        case REG_RESOURCE_REQUIREMENTS_LIST:
            return Stored{value.type, value.bytes.empty() ? std::string(1, '\0') : value.bytes};
        case REG_SZ:
        case REG_EXPAND_SZ:
        case REG_DWORD:
        case REG_QWORD:
        case REG_MULTI_SZ:
            return Stored{value.type, value.bytes};
        case REG_DWORD_BIG_ENDIAN:
            return Stored{REG_DWORD, std::string(value.bytes.rbegin(), value.bytes.rend())};
        default:
            return Stored{REG_SZ, FormatValueData(value.type, data, value.bytes.size(), codePage) + '\0'};
    }
}

std::map<std::string, Stored> ReadValues(Registry& registry, HKEY key) {
    std::map<std::string, Stored> values;
    for (DWORD index = 0;; ++index) {
        char name[300];
        DWORD nameLength = sizeof name;
        BYTE data[300];
        DWORD dataLength = sizeof data;
        DWORD type = 0;
        if (registry.RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS)
            break;
        values[std::string(name, nameLength)] = Stored{type, std::string(reinterpret_cast<char*>(data), dataLength)};
    }
    return values;
}

void Check(TestMachine& machine, const std::string& path, const Key& key) {
    std::string subKey = path;
    const auto root = CRegistryLib::RootKeyFromName(CRegistryLib::SeperateMainKey(subKey));
    HKEY handle = 0;
    RC_ASSERT(machine.registry().RegOpenKeyA(*root, subKey.c_str(), &handle) == ERROR_SUCCESS);
    const auto values = ReadValues(machine.registry(), handle);
    DWORD subKeyCount = 0;
    machine.registry().RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subKeyCount, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
    machine.registry().RegCloseKey(handle);

    std::map<std::string, Stored> expected;
    for (const Value& value : key.values) {
        if (const auto stored = ExpectedAfterImport(value, machine.codePage())) expected[value.name] = *stored;
    }
    for (const auto& [name, stored] : expected) {
        const auto found = values.find(name);
        RC_ASSERT(found != values.end());
        RC_ASSERT(found->second.type == stored.type);
        RC_ASSERT(found->second.bytes == stored.bytes);
    }
    RC_ASSERT(values.size() == expected.size());
    RC_ASSERT(subKeyCount == key.subKeys.size());
    for (const Key& child : key.subKeys) Check(machine, path + "\\" + child.name, child);
}

RC_GTEST_PROP(SnapshotPropertyTest, AKeyExportedDeletedAndImportedComesBackAsTheFileCarriesIt, ()) {
    TestMachine machine;
    const std::string path = "HKEY_CURRENT_USER\\Software\\" + ("r" + Text(0, 8));
    const Key tree = RandomKey({}, 0);
    Store(machine, path, tree);

    CRegistryLib lib(machine, CurrentFolder());
    std::vector<std::string> messages;
    lib.messageDisplay = [&messages](const std::string& message) { messages.push_back(message); };
    const std::string file = (machine.workFolder().path() / "snapshot.xml").string();
    XmlWriter& writer = lib.snapshotWriter();
    writer.SetFileName(file);
    RC_ASSERT(XmlElement("registry").WriteStart(writer, 1));
    RC_ASSERT(lib.SaveKeyToXml(writer, path, nullptr));
    RC_ASSERT(XmlElement("registry").WriteEnd(writer, -1));
    RC_ASSERT(writer.Close());

    std::string subKey = path;
    const std::string root = CRegistryLib::SeperateMainKey(subKey);
    RC_ASSERT(lib.DeleteKey(root, subKey) == ERROR_SUCCESS);
    RC_ASSERT(!machine.keyExists(path));

    XmlReader reader;
    reader.setErrorDisplay([&messages](const std::string& message) { messages.push_back(message); });
    RC_ASSERT(lib.LoadAsXml(reader, file));
    RC_ASSERT(messages.empty());
    Check(machine, path, tree);
}

}  // namespace
}  // namespace brindle
