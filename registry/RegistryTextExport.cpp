#include "registry/RegistryTextExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

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

std::string ErrnoText() { return std::strerror(errno); }

// The export file under a temporary name beside its final one; renamed into place by
// commit(), removed when it is abandoned.
class ExportFile {
public:
    explicit ExportFile(fs::path file) : m_file(std::move(file)) {}
    ~ExportFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    }
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    std::string open() {
        const fs::path folder = m_file.has_parent_path() ? m_file.parent_path() : fs::path(".");
        // Appended rather than joined with +: GCC 12's -Wrestrict misreads libstdc++'s operator+ at -O2.
        std::string name = ".";
        name.append(m_file.filename().string()).append(".XXXXXX");
        std::string temporary = (folder / name).string();
        m_fd = ::mkstemp(temporary.data());
        if (m_fd < 0) return "cannot create " + temporary + ": " + ErrnoText();
        m_temporary = std::move(temporary);
        return {};
    }

    std::string& buffer() { return m_buffer; }

    // Writes the buffer out once it is large enough.
    std::string flushIfFull() { return m_buffer.size() >= kFlushBytes ? flush() : std::string(); }

    std::string commit() {
        if (std::string error = flush(); !error.empty()) return error;
        if (::fsync(m_fd) != 0) return "cannot write " + m_temporary + ": " + ErrnoText();
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) return "cannot close " + m_temporary + ": " + ErrnoText();
        // mkstemp creates 0600; the export is as readable as any other file of the user's.
        ::chmod(m_temporary.c_str(), 0644);
        if (::rename(m_temporary.c_str(), m_file.c_str()) != 0)
            return "cannot rename " + m_temporary + " to " + m_file.string() + ": " + ErrnoText();
        m_temporary.clear();
        const fs::path folder = m_file.has_parent_path() ? m_file.parent_path() : fs::path(".");
        const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (folderFd >= 0) {
            ::fsync(folderFd);
            ::close(folderFd);
        }
        return {};
    }

private:
    std::string flush() {
        std::string_view rest = m_buffer;
        while (!rest.empty()) {
            const ssize_t written = ::write(m_fd, rest.data(), rest.size());
            if (written < 0) {
                if (errno == EINTR) continue;
                return "cannot write " + m_temporary + ": " + ErrnoText();
            }
            rest.remove_prefix(static_cast<std::size_t>(written));
        }
        m_buffer.clear();
        return {};
    }

    fs::path m_file;
    std::string m_temporary;
    int m_fd = -1;
    std::string m_buffer;
};

// One depth-first walk of the tree below the root, writing as it goes.
class TextExporter {
public:
    TextExporter(Registry& registry, const std::string& rootName, ExportFile& file, const std::atomic<bool>* stop)
        : m_registry(registry), m_keyPath(rootName), m_file(file), m_stop(stop) {}

    std::string exportKey(win::HKEY key, unsigned depth) {
        if (m_stop != nullptr && m_stop->load(std::memory_order_relaxed)) return "the export was stopped";
        std::string& out = m_file.buffer();
        out.push_back('[');
        out.append(m_keyPath);
        out.push_back(']');
        out.append(kLineEnd);
        if (std::string error = exportValues(key); !error.empty()) return error;
        out.append(kLineEnd);
        if (std::string error = m_file.flushIfFull(); !error.empty()) return error;
        return exportSubKeys(key, depth);
    }

private:
    std::string exportValues(win::HKEY key) {
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

    std::string exportSubKeys(win::HKEY key, unsigned depth) {
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
                return m_keyPath + ": keys nested deeper than " + std::to_string(kMaxTextExportDepth) +
                       " levels (a loop of symbolic links?)";
            }
            if (std::string error = exportKey(child.get(), depth + 1); !error.empty()) return error;
            m_keyPath.resize(parentLength);
        }
    }

    std::string failure(const std::string& what, win::LONG status) const {
        return what + " " + m_keyPath + ": status " + std::to_string(status);
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

std::string ExportRegistryText(Registry& registry, win::HKEY root, const std::string& rootName, const fs::path& file,
                               const std::atomic<bool>* stop) {
    ExportFile output(file);
    if (std::string error = output.open(); !error.empty()) return error;
    output.buffer().append(kTextExportHeader);
    output.buffer().append(kLineEnd);
    output.buffer().append(kLineEnd);

    // The root is opened like any key, so that the walk closes what it opened.
    KeyHandle key(registry);
    const win::LONG status = registry.RegOpenKeyExA(root, nullptr, 0, win::KEY_READ, key.out());
    if (status != win::ERROR_SUCCESS) return "cannot open " + rootName + ": status " + std::to_string(status);
    TextExporter exporter(registry, rootName, output, stop);
    if (std::string error = exporter.exportKey(key.get(), 0); !error.empty()) return file.string() + ": " + error;
    key.close();
    if (std::string error = output.commit(); !error.empty()) return error;
    return {};
}

}  // namespace brindle
