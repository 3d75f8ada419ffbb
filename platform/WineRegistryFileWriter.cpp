// Writing Wine's registry files, rule for rule as Wine's server writes them, so that a
// file Wine wrote and Brindle loaded comes back with the same bytes.
#include <algorithm>
#include <charconv>

#include "platform/WineRegistryFile.h"
#include "platform/WineRegistryText.h"

namespace brindle {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Wine ends a hex line after the comma that takes it past this column.
constexpr std::size_t kHexLineColumns = 76;
// "\\\n  ": what a hex line break adds, and the column the next line starts at.
constexpr std::string_view kHexLineBreak = "\\\n  ";
constexpr std::size_t kHexContinuationIndent = 2;

void AppendDecimal(std::string& out, std::uint32_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

char16_t Utf16At(const std::vector<std::uint8_t>& data, std::size_t index) {
    return static_cast<char16_t>(data[2 * index] | (data[2 * index + 1] << 8));
}

// Whole UTF-16 with a final NUL: only such data is written as a string.
bool IsWritableAsString(const RegistryValueData& value) {
    const auto& data = value.data;
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    return data[data.size() - 2] == 0 && data[data.size() - 1] == 0;
}

class WineRegistryWriter {
public:
    explicit WineRegistryWriter(std::string& out) : m_out(out) {}

    void writeKey(const RegistryKeyNode& key, std::string_view path) {
        // A key with sub-keys and nothing of its own is implied by its sub-keys' paths.
        if (key.values.empty() && !key.subKeys.empty() && !key.hasClass && !key.isLink) return;
        m_out += "\n[";
        m_out += path;
        m_out += "] ";
        AppendDecimal(m_out, WineFileTimeToSeconds(key.lastWriteTime));
        m_out += "\n#time=";
        AppendWineHex(m_out, static_cast<std::uint32_t>(key.lastWriteTime >> 32), 0);
        AppendWineHex(m_out, static_cast<std::uint32_t>(key.lastWriteTime), 8);
        m_out += '\n';
        if (key.hasClass) {
            m_out += "#class=\"";
            AppendWineEscaped(m_out, key.keyClass, WineQuoting::String);
            m_out += "\"\n";
        }
        if (key.isLink) m_out += "#link\n";
        for (const RegistryValueData& value : key.values) writeValue(value);
    }

private:
    void writeValue(const RegistryValueData& value) {
        // Wine counts the columns of the name too when it breaks long hex lines.
        std::size_t column = 0;
        if (value.name.empty()) {
            m_out += "@=";
            column = 2;
        } else {
            m_out += '"';
            column = 1 + AppendWineEscaped(m_out, value.name, WineQuoting::String);
            m_out += "\"=";
            column += 2;
        }

        switch (value.type) {
            case win::REG_SZ:
            case win::REG_EXPAND_SZ:
            case win::REG_MULTI_SZ:
                if (IsWritableAsString(value)) {
                    writeString(value);
                    return;
                }
                break;
            case win::REG_DWORD:
                if (value.data.size() == 4) {
                    const std::uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                                 (static_cast<std::uint32_t>(value.data[3]) << 24);
                    m_out += "dword:";
                    AppendWineHex(m_out, number, 8);
                    m_out += '\n';
                    return;
                }
                break;
            default:
                break;
        }
        writeHex(value, column);
    }

    void writeString(const RegistryValueData& value) {
        if (value.type != win::REG_SZ) {
            m_out += "str(";
            AppendWineHex(m_out, value.type, 0);
            m_out += "):";
        }
        m_out += '"';
        // The final NUL is implied by the quotes; any earlier one (REG_MULTI_SZ) is written.
        const std::size_t units = value.data.size() / 2 - 1;
        m_text.resize(units);
        for (std::size_t i = 0; i < units; ++i) m_text[i] = Utf16At(value.data, i);
        AppendWineEscaped(m_out, m_text, WineQuoting::String);
        m_out += "\"\n";
    }

    void writeHex(const RegistryValueData& value, std::size_t column) {
        const std::size_t before = m_out.size();
        if (value.type == win::REG_BINARY) {
            m_out += "hex:";
        } else {
            m_out += "hex(";
            AppendWineHex(m_out, value.type, 0);
            m_out += "):";
        }
        column += m_out.size() - before;
        const std::size_t size = value.data.size();
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint8_t byte = value.data[i];
            m_out += kHexDigits[byte >> 4];
            m_out += kHexDigits[byte & 0xF];
            column += 2;
            if (i + 1 < size) {
                m_out += ',';
                if (++column > kHexLineColumns) {
                    m_out += kHexLineBreak;
                    column = kHexContinuationIndent;
                }
            }
        }
        m_out += '\n';
    }

    std::string& m_out;
    std::u16string m_text;
};

// The sub-keys of one key in the order Wine writes them. The tree keeps them in Windows'
// order, which agrees with Wine's unless names hold one of [ \ ] ^ _ ` (Wine folds to
// lower case, Windows to upper case); only then is a sorted copy made.
class ChildOrder {
public:
    ChildOrder(const RegistryKeyNode& key, std::size_t pathLengthOfKey) : pathLength(pathLengthOfKey), m_key(&key) {
        const auto& subKeys = key.subKeys;
        for (std::size_t i = 1; i < subKeys.size(); ++i) {
            if (CompareWineNames(subKeys[i - 1]->name, subKeys[i]->name) > 0) {
                sortCopy();
                break;
            }
        }
    }

    // The next sub-key, or null after the last.
    const RegistryKeyNode* next() {
        if (!m_sorted.empty()) return m_index < m_sorted.size() ? m_sorted[m_index++] : nullptr;
        return m_index < m_key->subKeys.size() ? m_key->subKeys[m_index++].get() : nullptr;
    }

    std::size_t pathLength;

private:
    void sortCopy() {
        m_sorted.reserve(m_key->subKeys.size());
        for (const auto& child : m_key->subKeys) m_sorted.push_back(child.get());
        std::stable_sort(m_sorted.begin(), m_sorted.end(), [](const RegistryKeyNode* a, const RegistryKeyNode* b) {
            return CompareWineNames(a->name, b->name) < 0;
        });
    }

    const RegistryKeyNode* m_key;
    std::vector<const RegistryKeyNode*> m_sorted;
    std::size_t m_index = 0;
};

// An upper bound of the file's size, from name and data sizes alone. Reserving it up
// front spares the copies of a growing string; pages that are never written are never
// resident, so the generous bound costs address space, not memory.
std::size_t SizeBound(const RegistryKeyNode& root, const WineRegistryFile& fileInfo) {
    std::size_t total = fileInfo.header.size() + 1;
    for (const std::string& line : fileInfo.preamble) total += line.size() + 1;
    struct Frame {
        const RegistryKeyNode* node;
        std::size_t pathBound;
    };
    std::vector<Frame> stack{{&root, 0}};
    while (!stack.empty()) {
        const Frame frame = stack.back();
        stack.pop_back();
        const RegistryKeyNode& key = *frame.node;
        // "\n[" path "] " seconds "\n#time=" 16 digits "\n", class, "#link\n".
        total += 2 + frame.pathBound + 2 + 10 + 7 + 16 + 1 + 6;
        if (key.hasClass) total += 10 + key.keyClass.size() * kMaxWineEscapeLength;
        for (const RegistryValueData& value : key.values) {
            const std::size_t size = value.data.size();
            // Quotes, "=", "hex(ffffffff):" and the newline; hex data with a line break
            // at most every 25 bytes after the first one, or a string of escapes.
            total += value.name.size() * kMaxWineEscapeLength + 4 + 16 + 1;
            total += std::max(3 * size + kHexLineBreak.size() * (size / 25 + 2), (size / 2) * kMaxWineEscapeLength);
        }
        for (const auto& child : key.subKeys) {
            stack.push_back({child.get(), frame.pathBound + 2 + child->name.size() * kMaxWineEscapeLength});
        }
    }
    return total;
}

}  // namespace

std::string SaveWineRegistryFile(const RegistryKeyNode& root, const WineRegistryFile& fileInfo) {
    std::string out;
    out.reserve(SizeBound(root, fileInfo));
    out += fileInfo.header;
    out += '\n';
    for (const std::string& line : fileInfo.preamble) {
        out += line;
        out += '\n';
    }
    if (root.isVolatile) return out;

    // Depth first, siblings in Wine's order, as Wine walks its keys; `path` holds the
    // escaped path of the key on top of the stack.
    WineRegistryWriter writer(out);
    std::string path;
    std::vector<ChildOrder> stack;
    stack.emplace_back(root, 0);
    writer.writeKey(root, path);
    while (!stack.empty()) {
        ChildOrder& frame = stack.back();
        const RegistryKeyNode* child = frame.next();
        if (child == nullptr) {
            stack.pop_back();
            continue;
        }
        if (child->isVolatile) continue;
        path.resize(frame.pathLength);
        if (!path.empty()) path += "\\\\";
        AppendWineEscaped(path, child->name, WineQuoting::KeyName);
        writer.writeKey(*child, path);
        stack.emplace_back(*child, path.size());
    }
    return out;
}

}  // namespace brindle
