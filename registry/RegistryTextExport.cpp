#include "registry/RegistryTextExport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/AtomicFile.h"
#include "registry/KeyHandle.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Written out in pieces of about this size, so that a registry of any size needs no
// more memory than one piece.
constexpr std::size_t kFlushBytes = 1u << 20;
// An enumeration that keeps answering "more data" after the buffers grew is a registry
// that changes faster than it can be read.
constexpr int kMaxGrowAttempts = 8;
constexpr std::size_t kMaxKeyNameBytes = 4096;

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// Text, one closing NUL, and nothing that would break the line: anything else keeps its
// exact bytes only as a hex list.
bool FitsStringForm(std::string_view data) {
    if (data.empty() || data.back() != '\0') return false;
    const std::string_view text = data.substr(0, data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

void AppendHexList(std::string& out, std::size_t column, std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 0xFu]);
        column += 2;
        if (i + 1 == data.size()) break;
        out.push_back(',');
        ++column;
        // Room is left for the continuation mark, so no line passes the limit.
        if (column > kTextExportLineColumns - 4) {
            out.append("\\\r\n  ");
            column = 2;
        }
    }
    out.append(kLineEnd);
}

// The export file, written in pieces through an atomic writer: it appears under its name
// only when commit() is reached, and an abandoned export leaves nothing behind.
class ExportFile {
public:
    // The name itself is replaced: the file is the export's own, never one a link leads to.
    explicit ExportFile(const fs::path& file) : m_writer(file, AtomicTarget::NameItself) {}

    Status open() { return m_writer.open(); }

    std::string& buffer() { return m_buffer; }

    // Writes the buffer out once it is large enough.
    Status flushIfFull() { return m_buffer.size() >= kFlushBytes ? flush() : Status(); }

    Status commit() {
        if (Status flushed = flush(); !flushed) return flushed;
        FileCommit committed = m_writer.commit();
        if (!committed.ok()) return Error(std::move(committed.error));
        return {};
    }

private:
    Status flush() {
        Status appended = m_writer.append(m_buffer);
        m_buffer.clear();
        return appended;
    }

    AtomicFileWriter m_writer;
    std::string m_buffer;
};

// One depth-first walk of the tree below the root, writing as it goes.
class TextExporter {
public:
    TextExporter(Registry& registry, const std::string& rootName, ExportFile& file, const std::atomic<bool>* stop)
        : m_registry(registry), m_keyPath(rootName), m_file(file), m_stop(stop) {}

    Status exportKey(win::HKEY key, unsigned depth) {
        if (m_stop != nullptr && m_stop->load(std::memory_order_relaxed)) return Error("the export was stopped");
        std::string& out = m_file.buffer();
        out.push_back('[');
        out.append(m_keyPath);
        out.push_back(']');
        out.append(kLineEnd);
        if (Status exported = exportValues(key); !exported) return exported;
        out.append(kLineEnd);
        if (Status flushed = m_file.flushIfFull(); !flushed) return flushed;
        return exportSubKeys(key, depth);
    }

private:
    Status exportValues(win::HKEY key) {
        win::DWORD longestName = 0;
        win::DWORD longestData = 0;
        win::LONG status = m_registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                       nullptr, &longestName, &longestData, nullptr, nullptr);
        if (status != win::ERROR_SUCCESS) return failure("cannot query", status);
        if (m_name.size() < std::size_t{longestName} + 1) m_name.resize(std::size_t{longestName} + 1);
        if (m_data.size() < std::max<std::size_t>(longestData, 1)) m_data.resize(std::max<std::size_t>(longestData, 1));

        int grown = 0;
        for (win::DWORD index = 0;;) {
            auto nameLength = static_cast<win::DWORD>(m_name.size());
            auto dataLength = static_cast<win::DWORD>(m_data.size());
            win::DWORD type = win::REG_NONE;
            status = m_registry.RegEnumValueA(key, index, m_name.data(), &nameLength, nullptr, &type, m_data.data(),
                                              &dataLength);
            if (status == win::ERROR_NO_MORE_ITEMS) return {};
            if (status == win::ERROR_MORE_DATA && ++grown <= kMaxGrowAttempts) {
                // The value changed since the query: the name may now need the most the
                // registry allows, the data what the registry just reported.
                m_name.resize(std::size_t{win::kMaxValueNameLength} + 1);
                m_data.resize(std::max<std::size_t>(dataLength, m_data.size() * 2));
                continue;
            }
            if (status != win::ERROR_SUCCESS)
                return failure("cannot read value " + std::to_string(index) + " of", status);
            grown = 0;
            m_file.buffer().append(
                FormatExportedValue(std::string_view(m_name.data(), nameLength), type,
                                    std::string_view(reinterpret_cast<const char*>(m_data.data()), dataLength)));
            ++index;
        }
    }

    Status exportSubKeys(win::HKEY key, unsigned depth) {
        std::vector<char> name(std::size_t{win::kMaxKeyNameLength} + 1);
        for (win::DWORD index = 0;;) {
            auto nameLength = static_cast<win::DWORD>(name.size());
            win::LONG status =
                m_registry.RegEnumKeyExA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
            if (status == win::ERROR_NO_MORE_ITEMS) return {};
            // A multi-byte code page can make a name longer in bytes than in characters.
            if (status == win::ERROR_MORE_DATA && name.size() < kMaxKeyNameBytes) {
                name.resize(kMaxKeyNameBytes);
                continue;
            }
            if (status != win::ERROR_SUCCESS)
                return failure("cannot list sub-key " + std::to_string(index) + " of", status);
            ++index;

            KeyHandle child(m_registry);
            status = m_registry.RegOpenKeyExA(key, name.data(), 0, win::KEY_READ, child.out());
            if (status == win::ERROR_FILE_NOT_FOUND || status == win::ERROR_ACCESS_DENIED) continue;
            const std::size_t parentLength = m_keyPath.size();
            m_keyPath.push_back('\\');
            m_keyPath.append(name.data(), nameLength);
            if (status != win::ERROR_SUCCESS) return failure("cannot open", status);
            if (depth + 1 >= kMaxTextExportDepth) {
                return Error(m_keyPath + ": keys nested deeper than " + std::to_string(kMaxTextExportDepth) +
                             " levels (a loop of symbolic links?)");
            }
            if (Status exported = exportKey(child.get(), depth + 1); !exported) return exported;
            m_keyPath.resize(parentLength);
        }
    }

    Error failure(const std::string& what, win::LONG status) const {
        return Error(what + " " + m_keyPath + ": status " + std::to_string(status));
    }

    Registry& m_registry;
    std::string m_keyPath;  // of the key being written, root name first
    ExportFile& m_file;
    const std::atomic<bool>* m_stop;
    // Shared by every key: values are written before the walk goes deeper.
    std::vector<char> m_name;
    std::vector<win::BYTE> m_data;
};

}  // namespace

std::string FormatExportedValue(std::string_view name, win::DWORD type, std::string_view data) {
    std::string line;
    if (name.empty()) {
        line.push_back('@');
    } else {
        AppendQuoted(line, name);
    }
    line.push_back('=');
    if (type == win::REG_SZ && FitsStringForm(data)) {
        AppendQuoted(line, data.substr(0, data.size() - 1));
        line.append(kLineEnd);
        return line;
    }
    if (type == win::REG_DWORD && data.size() == 4) {
        win::DWORD number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
        char text[24];
        std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
        line.append(text);
        line.append(kLineEnd);
        return line;
    }
    if (type == win::REG_BINARY) {
        line.append("hex:");
    } else {
        char tag[24];
        std::snprintf(tag, sizeof tag, "hex(%x):", static_cast<unsigned>(type));
        line.append(tag);
    }
    AppendHexList(line, line.size(), data);
    return line;
}

Status ExportRegistryText(Registry& registry, win::HKEY root, const std::string& rootName, const fs::path& file,
                          const std::atomic<bool>* stop) {
    ExportFile output(file);
    if (Status opened = output.open(); !opened) return opened;
    output.buffer().append(kTextExportHeader);
    output.buffer().append(kLineEnd);
    output.buffer().append(kLineEnd);

    // The root is opened like any key, so that the walk closes what it opened.
    KeyHandle key(registry);
    const win::LONG status = registry.RegOpenKeyExA(root, nullptr, 0, win::KEY_READ, key.out());
    if (status != win::ERROR_SUCCESS) return Error("cannot open " + rootName + ": status " + std::to_string(status));
    TextExporter exporter(registry, rootName, output, stop);
    if (Status exported = exporter.exportKey(key.get(), 0); !exported)
        return Error::In(file.string(), exported.error().message());
    key.close();
    return output.commit();
}

}  // namespace brindle
