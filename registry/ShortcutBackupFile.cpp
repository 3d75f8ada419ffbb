#include "registry/ShortcutBackupFile.h"

#include "platform/RegularFile.h"

namespace brindle {

namespace {

void AppendU32(std::string& out, std::uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((number >> shift) & 0xFFu));
}

class ShortcutBackupDecoder {
public:
    ShortcutBackupDecoder(std::string_view bytes, std::string_view fileName) : m_bytes(bytes), m_fileName(fileName) {}

    DecodedShortcutBackup decode() {
        std::vector<ShortcutBackupEntry> entries;
        if (m_bytes.substr(0, kShortcutBackupMagic.size()) != kShortcutBackupMagic) {
            fail(0, "the file does not start with \"" + std::string(kShortcutBackupMagic) +
                        "\"; it is not a shortcut backup");
        } else {
            m_offset = kShortcutBackupMagic.size();
            readEntries(entries);
        }
        if (m_error.empty() && m_offset != m_bytes.size()) {
            fail(m_offset, std::to_string(m_bytes.size() - m_offset) + " bytes follow the last entry");
        }
        if (!m_error.empty()) return Error(std::move(m_error));
        return entries;
    }

private:
    void readEntries(std::vector<ShortcutBackupEntry>& entries) {
        std::uint32_t count = 0;
        const std::size_t countOffset = m_offset;
        if (!readU32(count, "the entry count")) return;
        if (count > kMaxShortcutBackupEntries) {
            fail(countOffset, "entry count " + std::to_string(count) + " exceeds the limit of " +
                                  std::to_string(kMaxShortcutBackupEntries));
            return;
        }
        // No reservation by count: a count is only as good as the bytes behind it.
        for (std::uint32_t index = 0; index < count; ++index) {
            ShortcutBackupEntry entry;
            const std::size_t pathOffset = m_offset;
            if (!readText(entry.path, kMaxShortcutBackupPathBytes, "shortcut path")) return;
            if (entry.path.empty()) return void(fail(pathOffset, "a shortcut path is empty"));
            if (entry.path.find('\0') != std::string::npos) {
                return void(fail(pathOffset, "shortcut path contains a NUL byte"));
            }
            if (!readU32(entry.attributes, "the attributes of " + entry.path)) return;
            if (!readText(entry.bytes, kMaxShortcutBackupDataBytes, "shortcut's data")) return;
            entries.push_back(std::move(entry));
        }
    }

    bool readU32(std::uint32_t& number, const std::string& what) {
        if (m_bytes.size() - m_offset < 4) {
            return fail(m_offset, "the file ends where " + what + " (4 bytes) was due");
        }
        number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(m_bytes[m_offset + i]);
        m_offset += 4;
        return true;
    }

    bool readText(std::string& text, std::uint32_t limit, const std::string& what) {
        const std::size_t lengthOffset = m_offset;
        std::uint32_t length = 0;
        if (!readU32(length, "the length of a " + what)) return false;
        if (length > limit) {
            return fail(lengthOffset, what + " length " + std::to_string(length) + " exceeds the limit of " +
                                          std::to_string(limit) + " bytes");
        }
        if (m_bytes.size() - m_offset < length) {
            return fail(m_offset, "the file ends inside a " + what + " of " + std::to_string(length) + " bytes (" +
                                      std::to_string(m_bytes.size() - m_offset) + " left)");
        }
        text.assign(m_bytes.substr(m_offset, length));
        m_offset += length;
        return true;
    }

    bool fail(std::size_t offset, const std::string& message) {
        if (m_error.empty()) {
            m_error = std::string(m_fileName) + ": byte offset " + std::to_string(offset) + ": " + message;
        }
        m_offset = m_bytes.size();
        return false;
    }

    std::string_view m_bytes;
    std::string_view m_fileName;
    std::size_t m_offset = 0;
    std::string m_error;
};

}  // namespace

std::filesystem::path ShortcutBackupPathFor(const std::filesystem::path& registryBackup) {
    std::filesystem::path companion = registryBackup;
    companion.replace_extension(kShortcutBackupExtension);
    return companion;
}

std::string EncodeShortcutBackup(const std::vector<ShortcutBackupEntry>& entries) {
    std::string out(kShortcutBackupMagic);
    AppendU32(out, static_cast<std::uint32_t>(entries.size()));
    for (const ShortcutBackupEntry& entry : entries) {
        AppendU32(out, static_cast<std::uint32_t>(entry.path.size()));
        out.append(entry.path);
        AppendU32(out, entry.attributes);
        AppendU32(out, static_cast<std::uint32_t>(entry.bytes.size()));
        out.append(entry.bytes);
    }
    return out;
}

DecodedShortcutBackup DecodeShortcutBackup(std::string_view bytes, std::string_view fileName) {
    return ShortcutBackupDecoder(bytes, fileName).decode();
}

DecodedShortcutBackup ReadShortcutBackupFile(const std::filesystem::path& path) {
    const RegularFileRead read = ReadRegularFile(path, kMaxShortcutBackupFileBytes, FinalLink::Follow, Ownership::ThisUser);
    if (!read.ok()) return Error(read.error);
    return DecodeShortcutBackup(read.bytes, path.string());
}

}  // namespace brindle
