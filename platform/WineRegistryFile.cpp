// Reading Wine's registry files. The whole file is parsed into a scratch tree first and
// merged into the caller's only when every line was understood.
#include "platform/WineRegistryFile.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <memory>

#include "platform/WineRegistryText.h"

namespace brindle {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ull;
constexpr std::string_view kRelativeToComment = ";; All keys relative to ";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::size_t SkipSpace(std::string_view line, std::size_t pos) {
    while (pos < line.size() && IsSpace(line[pos])) ++pos;
    return pos;
}

bool OnlySpaceFrom(std::string_view line, std::size_t pos) { return SkipSpace(line, pos) == line.size(); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads 1 to maxDigits hex digits at line[pos]; false when there are none or more.
bool ReadHexNumber(std::string_view line, std::size_t& pos, int maxDigits, std::uint64_t& value) {
    value = 0;
    int digits = 0;
    while (pos < line.size() && HexValue(line[pos]) >= 0) {
        if (++digits > maxDigits) return false;
        value = (value << 4) | static_cast<std::uint64_t>(HexValue(line[pos++]));
    }
    return digits > 0;
}

std::string Quoted(char c) {
    if (c >= 0x20 && c < 0x7F) return std::string("'") + c + "'";
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto byte = static_cast<unsigned char>(c);
    return std::string("byte 0x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
}

void AppendUtf16Le(std::vector<std::uint8_t>& data, std::u16string_view text, bool addNul) {
    const std::size_t units = text.size() + (addNul ? 1 : 0);
    data.resize(units * 2);
    if constexpr (std::endian::native == std::endian::little) {
        if (!text.empty()) std::memcpy(data.data(), text.data(), text.size() * 2);
    } else {
        for (std::size_t i = 0; i < text.size(); ++i) {
            data[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
            data[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
        }
    }
    if (addNul) {
        data[units * 2 - 2] = 0;
        data[units * 2 - 1] = 0;
    }
}

std::uint64_t CurrentFileTime() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const auto ticks = std::chrono::duration_cast<Ticks>(sinceEpoch);
    return kTicks1601To1970 + static_cast<std::uint64_t>(ticks.count());
}

// Inserts an existing node under parent in sorted position.
void InsertSubKey(RegistryKeyNode& parent, std::shared_ptr<RegistryKeyNode> node) {
    node->parent = &parent;
    const auto position = std::lower_bound(
        parent.subKeys.begin(), parent.subKeys.end(), node->name,
        [](const std::shared_ptr<RegistryKeyNode>& existing, const std::u16string& name) {
            return CompareRegistryNames(existing->name, name) < 0;
        });
    parent.subKeys.insert(position, std::move(node));
}

void MergeValues(RegistryKeyNode& target, RegistryKeyNode& source) {
    if (target.values.empty()) {
        target.values = std::move(source.values);
        return;
    }
    for (RegistryValueData& value : source.values) {
        if (RegistryValueData* existing = target.values.find(value.name)) {
            existing->type = value.type;
            existing->data = std::move(value.data);
        } else {
            target.values.push_back(std::move(value));
        }
    }
}

// Moves what was loaded into source under target. Only keys that exist on both sides
// are walked; every other loaded sub-tree is moved across whole.
void MergeTree(RegistryKeyNode& target, RegistryKeyNode& source) {
    if (target.subKeys.empty()) {
        target.subKeys = std::move(source.subKeys);
        for (auto& child : target.subKeys) child->parent = &target;
        return;
    }
    for (auto& child : source.subKeys) {
        RegistryKeyNode* existing = target.findSubKey(child->name);
        if (existing == nullptr) {
            InsertSubKey(target, std::move(child));
            continue;
        }
        existing->lastWriteTime = child->lastWriteTime;
        if (child->hasClass) {
            existing->hasClass = true;
            existing->keyClass = std::move(child->keyClass);
        }
        existing->isLink = existing->isLink || child->isLink;
        MergeValues(*existing, *child);
        MergeTree(*existing, *child);
    }
}

class WineRegistryLoader {
public:
    WineRegistryLoader(std::string_view bytes, std::string_view fileName) : m_bytes(bytes), m_fileName(fileName) {}

    // Fills scratch and fileInfo; false with m_error set on the first fault.
    bool load(RegistryKeyNode& scratch, WineRegistryFile& fileInfo) {
        m_root = &scratch;
        std::string_view line;
        if (!nextLine(line) || line != kWineRegistryHeader) {
            m_lineNumber = 1;
            return fail("bad first line (expected \"" + std::string(kWineRegistryHeader) + "\")");
        }
        fileInfo.header.assign(line);
        if (!readPreamble(fileInfo, line)) return false;
        if (line.empty()) return true;  // a file without keys
        if (!keyLine(line, SkipSpace(line, 0) + 1)) return false;
        while (nextLine(line)) {
            const std::size_t pos = SkipSpace(line, 0);
            if (pos == line.size()) continue;
            bool good = true;
            switch (line[pos]) {
                case '[': good = keyLine(line, pos + 1); break;
                case '@':
                case '"': good = valueLine(line, pos); break;
                case '#': good = optionLine(line, pos); break;
                case ';': break;
                default: good = fail("unrecognized line (starts with " + Quoted(line[pos]) + ")"); break;
            }
            if (!good) return false;
        }
        flushValues();
        return true;
    }

    bool rootListed() const { return m_rootListed; }
    WineRegistryLoadResult error() const { return {std::string(m_fileName), m_lineNumber, m_error}; }

private:
    bool fail(std::string message) {
        m_error = std::move(message);
        return false;
    }

    bool nextLine(std::string_view& line) {
        if (m_pos >= m_bytes.size()) return false;
        const char* start = m_bytes.data() + m_pos;
        const std::size_t rest = m_bytes.size() - m_pos;
        const void* newline = std::memchr(start, '\n', rest);
        std::size_t length = rest;
        if (newline != nullptr) length = static_cast<std::size_t>(static_cast<const char*>(newline) - start);
        m_pos += length + (newline != nullptr ? 1 : 0);
        if (length > 0 && start[length - 1] == '\r') --length;
        line = std::string_view(start, length);
        ++m_lineNumber;
        return true;
    }

    // Reads the lines before the first key; leaves that key's line in `line`, or an
    // empty view at the end of the file.
    bool readPreamble(WineRegistryFile& fileInfo, std::string_view& line) {
        fileInfo.preamble.clear();
        fileInfo.relativeTo.clear();
        while (nextLine(line)) {
            const std::size_t pos = SkipSpace(line, 0);
            if (pos < line.size()) {
                const char first = line[pos];
                if (first == '[') {
                    // The blank line before a key belongs to the key: the writer puts it back.
                    if (!fileInfo.preamble.empty() && fileInfo.preamble.back().empty()) fileInfo.preamble.pop_back();
                    return true;
                }
                if (first == '"' || first == '@') return fail("value line before any key");
                if (first != ';' && first != '#') {
                    return fail("unrecognized line before the first key (starts with " + Quoted(first) + ")");
                }
            }
            // A CR the line end left behind would be taken for part of the line end when
            // the file is read again, since the writer ends lines with LF alone.
            while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.starts_with(kRelativeToComment)) {
                fileInfo.relativeTo = RelativeToFromComment(line.substr(kRelativeToComment.size()));
            }
            fileInfo.preamble.emplace_back(line);
        }
        line = {};
        return true;
    }

    static std::string RelativeToFromComment(std::string_view text) {
        std::string result;
        for (std::size_t i = 0; i < text.size(); ++i) {
            result += text[i];
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
        }
        return result;
    }

    bool unescapeFailure(WineUnescapeError error, std::string_view what, std::string_view where) {
        switch (error) {
            case WineUnescapeError::None: break;
            case WineUnescapeError::Unterminated:
                return fail("unterminated " + std::string(what) + " in " + std::string(where));
            case WineUnescapeError::BadUtf8: return fail("invalid UTF-8 in " + std::string(where));
            case WineUnescapeError::NulByte: return fail("NUL byte in " + std::string(where));
        }
        return true;
    }

    // "[Path\\To\\Key] seconds"; pos is just past the '['.
    bool keyLine(std::string_view line, std::size_t pos) {
        flushValues();
        m_text.clear();
        const WineUnescapeError error = ParseWineEscaped(line, pos, ']', m_text);
        if (error != WineUnescapeError::None) return unescapeFailure(error, "key name", "key line");

        std::uint64_t time = 0;
        pos = SkipSpace(line, pos);
        if (pos == line.size()) {
            // Wine stamps a key line without seconds with the time it reads it.
            if (m_now == 0) m_now = CurrentFileTime();
            time = m_now;
        } else {
            std::uint64_t seconds = 0;
            const std::size_t digitsStart = pos;
            while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && pos - digitsStart < 11) {
                seconds = seconds * 10 + static_cast<std::uint64_t>(line[pos++] - '0');
            }
            if (pos == digitsStart || seconds > 0xFFFFFFFFull || !OnlySpaceFrom(line, pos)) {
                return fail("bad time in key line (expected Unix seconds after the key name)");
            }
            time = WineSecondsToFileTime(static_cast<std::uint32_t>(seconds));
        }

        // Names are separated by backslashes once unescaped; empty names are skipped, as
        // Wine's path parser does. The path stack spares a lookup for every name shared
        // with the previous key, which in a sorted file is most of them.
        std::size_t depth = 0;
        std::size_t start = 0;
        const std::u16string_view path = m_text;
        while (start <= path.size()) {
            std::size_t end = path.find(u'\\', start);
            if (end == std::u16string_view::npos) end = path.size();
            const std::u16string_view name = path.substr(start, end - start);
            start = end + 1;
            if (name.empty()) continue;
            if (depth == kMaxWineKeyDepth) {
                return fail("key path deeper than " + std::to_string(kMaxWineKeyDepth) + " levels in key line");
            }
            if (depth < m_path.size() && m_path[depth]->name == name) {
                ++depth;
                continue;
            }
            RegistryKeyNode* parent = depth == 0 ? m_root : m_path[depth - 1];
            const std::size_t before = parent->subKeys.size();
            RegistryKeyNode* node = parent->addSubKey(name);
            if (parent->subKeys.size() != before) node->lastWriteTime = time;  // implied until its own line
            m_path.resize(depth);
            m_path.push_back(node);
            ++depth;
        }
        m_path.resize(depth);
        m_key = depth == 0 ? m_root : m_path.back();
        if (depth == 0) m_rootListed = true;
        m_key->lastWriteTime = time;
        m_valuesSorted = true;
        return true;
    }

    // "#time=", "#class=" and "#link" after a key line.
    bool optionLine(std::string_view line, std::size_t pos) {
        if (m_key == nullptr) return fail("option line before any key");
        const std::string_view option = line.substr(pos);
        if (option.starts_with("#time=")) {
            std::size_t at = pos + 6;
            std::uint64_t time = 0;
            if (!ReadHexNumber(line, at, 16, time) || !OnlySpaceFrom(line, at)) {
                return fail("bad #time line (expected up to 16 hex digits)");
            }
            m_key->lastWriteTime = time;
            return true;
        }
        if (option.starts_with("#class=\"")) {
            std::size_t at = pos + 8;
            m_text.clear();
            const WineUnescapeError error = ParseWineEscaped(line, at, '"', m_text);
            if (error != WineUnescapeError::None) return unescapeFailure(error, "string", "#class line");
            if (!OnlySpaceFrom(line, at)) return fail("unexpected text after the class in #class line");
            m_key->keyClass = m_text;
            m_key->hasClass = true;
            return true;
        }
        if (option.starts_with("#link") && OnlySpaceFrom(line, pos + 5)) {
            m_key->isLink = true;
            return true;
        }
        std::size_t nameEnd = option.find_first_of("= \t");
        if (nameEnd == std::string_view::npos) nameEnd = option.size();
        return fail("unknown key option \"" + std::string(option.substr(0, std::min<std::size_t>(nameEnd, 40))) + "\"");
    }

    // '@=...' or '"name"=...'; pos is at the '@' or the opening quote.
    bool valueLine(std::string_view line, std::size_t pos) {
        if (m_key == nullptr) return fail("value line before any key");
        m_name.clear();
        if (line[pos] == '@') {
            ++pos;
        } else {
            ++pos;
            const WineUnescapeError error = ParseWineEscaped(line, pos, '"', m_name);
            if (error != WineUnescapeError::None) return unescapeFailure(error, "value name", "value line");
        }
        pos = SkipSpace(line, pos);
        if (pos == line.size() || line[pos] != '=') return fail("missing '=' after the value name in value line");
        pos = SkipSpace(line, pos + 1);

        if (!checkNewValueName()) return false;
        RegistryValueData& value = m_values.push_back(RegistryValueData{m_name, win::REG_NONE, {}});

        const std::string_view data = line.substr(pos);
        if (data.starts_with('"')) return stringData(line, pos + 1, win::REG_SZ, value);
        if (data.starts_with("str:\"")) return stringData(line, pos + 5, win::REG_SZ, value);
        if (data.starts_with("str(2):\"")) return stringData(line, pos + 8, win::REG_EXPAND_SZ, value);
        if (data.starts_with("str(7):\"")) return stringData(line, pos + 8, win::REG_MULTI_SZ, value);
        if (data.starts_with("dword:")) return dwordData(line, pos + 6, value);
        if (data.starts_with("hex:")) {
            value.type = win::REG_BINARY;
            return hexData(line, pos + 4, value);
        }
        if (data.starts_with("hex(")) {
            std::size_t at = pos + 4;
            std::uint64_t type = 0;
            if (!ReadHexNumber(line, at, 8, type) || line.substr(at, 2) != "):") {
                return fail("bad type in value line (expected hex(N): with N in hex)");
            }
            value.type = static_cast<win::DWORD>(type);
            return hexData(line, at + 2, value);
        }
        return fail("unknown value type in value line (expected \", str:, str(2):, str(7):, dword:, hex: or hex(N):)");
    }

    // Wine writes values sorted, so comparing with the last one suffices; only a key
    // whose values arrive out of order (or that appears twice) is searched, by name.
    bool checkNewValueName() {
        bool duplicate = false;
        if (!m_values.empty()) {
            if (!m_valuesSorted || CompareWineNames(m_values[m_values.size() - 1].name, m_name) >= 0) {
                m_valuesSorted = false;
                duplicate = m_values.find(m_name) != nullptr;
            }
        }
        if (!duplicate && !m_key->values.empty()) duplicate = m_key->values.find(m_name) != nullptr;
        if (duplicate) return fail("duplicate value name \"" + WineTextToUtf8(m_name) + "\" in value line");
        return true;
    }

    // A key's values are gathered here and moved into it once its section ends, so that
    // its vector is allocated once and at its final size.
    void flushValues() {
        if (m_values.empty()) return;
        auto& values = m_key->values;
        values.reserve(values.size() + m_values.size());
        for (RegistryValueData& value : m_values) values.push_back(std::move(value));
        m_values.clear();
    }

    bool stringData(std::string_view line, std::size_t pos, win::DWORD type, RegistryValueData& value) {
        value.type = type;
        m_text.clear();
        const WineUnescapeError error = ParseWineEscaped(line, pos, '"', m_text);
        if (error != WineUnescapeError::None) return unescapeFailure(error, "string", "value line");
        if (!OnlySpaceFrom(line, pos)) return fail("unexpected text after the string in value line");
        AppendUtf16Le(value.data, m_text, true);
        return true;
    }

    bool dwordData(std::string_view line, std::size_t pos, RegistryValueData& value) {
        value.type = win::REG_DWORD;
        std::uint64_t number = 0;
        if (!ReadHexNumber(line, pos, 8, number) || !OnlySpaceFrom(line, pos)) {
            return fail("bad dword in value line (expected up to 8 hex digits)");
        }
        value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                      static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
        return true;
    }

    // Comma-separated bytes; a line that ends in a backslash continues on the next one.
    bool hexData(std::string_view line, std::size_t pos, RegistryValueData& value) {
        m_hex.clear();
        for (;;) {
            pos = SkipSpace(line, pos);
            if (pos == line.size()) break;
            const char c = line[pos];
            if (c == '\\') {
                if (!OnlySpaceFrom(line, pos + 1)) {
                    return fail("bad hex data in value line (text after the continuation backslash)");
                }
                if (!nextLine(line) || OnlySpaceFrom(line, 0)) {
                    return fail("truncated continuation in value line (the hex data ends with a backslash)");
                }
                pos = 0;
                continue;
            }
            const int high = HexValue(c);
            if (high < 0) return fail("bad hex digit " + Quoted(c) + " in value line");
            ++pos;
            int byte = high;
            if (pos < line.size() && HexValue(line[pos]) >= 0) byte = byte * 16 + HexValue(line[pos++]);
            if (pos < line.size() && HexValue(line[pos]) >= 0) {
                return fail("bad hex byte in value line (more than two digits)");
            }
            m_hex.push_back(static_cast<std::uint8_t>(byte));
            pos = SkipSpace(line, pos);
            if (pos < line.size() && line[pos] == ',') ++pos;
        }
        value.data.assign(m_hex.begin(), m_hex.end());
        return true;
    }

    std::string_view m_bytes;
    std::string_view m_fileName;
    std::size_t m_pos = 0;
    std::size_t m_lineNumber = 0;
    std::string m_error;

    RegistryKeyNode* m_root = nullptr;
    RegistryKeyNode* m_key = nullptr;       // the key the following lines belong to
    std::vector<RegistryKeyNode*> m_path;   // the keys on the last key line's path
    bool m_rootListed = false;              // the file has a "[]" line for the root itself
    bool m_valuesSorted = true;
    std::uint64_t m_now = 0;

    RegistryValueList m_values;  // of m_key, not yet moved into it

    // Reused for every line, so parsing allocates only what the tree keeps.
    std::u16string m_text;
    std::u16string m_name;
    std::vector<std::uint8_t> m_hex;
};

}  // namespace

std::string WineRegistryLoadResult::describe() const {
    if (ok()) return {};
    return fileName + ":" + std::to_string(lineNumber) + ": " + message;
}

std::uint64_t WineSecondsToFileTime(std::uint32_t unixSeconds) {
    return static_cast<std::uint64_t>(unixSeconds) * kTicksPerSecond + kTicks1601To1970;
}

std::uint32_t WineFileTimeToSeconds(std::uint64_t fileTime) {
    // Wine divides a signed count, so a time before 1970 wraps as it does there. The
    // subtraction is done unsigned, where wrapping is defined.
    const auto ticks = static_cast<std::int64_t>(fileTime - kTicks1601To1970);
    return static_cast<std::uint32_t>(ticks / static_cast<std::int64_t>(kTicksPerSecond));
}

WineRegistryLoadResult LoadWineRegistryFile(std::string_view bytes, std::string_view fileNameForMessages,
                                            RegistryKeyNode& root, WineRegistryFile& fileInfo) {
    RegistryKeyNode scratch;
    WineRegistryFile scratchInfo;
    WineRegistryLoader loader(bytes, fileNameForMessages);
    if (!loader.load(scratch, scratchInfo)) return loader.error();

    if (loader.rootListed()) {
        root.lastWriteTime = scratch.lastWriteTime;
        if (scratch.hasClass) {
            root.hasClass = true;
            root.keyClass = std::move(scratch.keyClass);
        }
        root.isLink = root.isLink || scratch.isLink;
    }
    MergeValues(root, scratch);
    MergeTree(root, scratch);
    fileInfo = std::move(scratchInfo);
    return {std::string(fileNameForMessages), 0, {}};
}

}  // namespace brindle
