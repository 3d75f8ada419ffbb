#include "registry/BackupFile.h"

#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "registry/RegistryKeyPath.h"

namespace brindle {

bool BackupKeyContent::operator==(const BackupKeyContent& other) const {
    return values == other.values && subKeys == other.subKeys;
}

namespace {

void AppendU32(std::string& out, std::uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((number >> shift) & 0xFFu));
}

void AppendText(std::string& out, std::string_view text) {
    AppendU32(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

void AppendKeyContent(std::string& out, const BackupKeyContent& content) {
    AppendU32(out, static_cast<std::uint32_t>(content.values.size()));
    for (const BackupValue& value : content.values) {
        AppendText(out, value.name);
        AppendU32(out, value.type);
        AppendText(out, value.data);
    }
    AppendU32(out, static_cast<std::uint32_t>(content.subKeys.size()));
    for (const BackupSubKey& subKey : content.subKeys) {
        AppendText(out, subKey.name);
        AppendKeyContent(out, subKey.content);
    }
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// The editor writes its newer format as UTF-16LE with a byte-order mark; its older one
// as 8-bit text, which other tools sometimes save with a UTF-8 mark.
bool IsTextExport(std::string_view bytes) {
    std::string_view text = bytes;
    if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    std::string narrowed;
    if (StartsWith(bytes, "\xFF\xFE")) {
        for (std::size_t i = 2; i + 1 < bytes.size() && narrowed.size() < 32; i += 2) {
            if (bytes[i + 1] != '\0') break;
            narrowed.push_back(bytes[i]);
        }
        text = narrowed;
    }
    return std::any_of(kTextExportSignatures.begin(), kTextExportSignatures.end(),
                       [&](std::string_view signature) { return StartsWith(text, signature); });
}

std::string Hex(std::uint32_t number) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text.push_back(kDigits[(number >> shift) & 0xFu]);
    return text;
}

// Reads one file's bytes front to back. The first fault stops it; every later read then
// fails too, so callers check once at the end of each loop.
class BackupDecoder {
public:
    BackupDecoder(std::string_view bytes, std::string_view fileName) : m_bytes(bytes), m_fileName(fileName) {}

    DecodedBackup decode() {
        if (IsTextExport(m_bytes)) {
            fail("the file is a text export of the registry editor, not a binary backup; it cannot be restored");
            return Error(std::move(m_error));
        }
        std::vector<BackupRecord> records;
        while (m_offset < m_bytes.size() && m_error.empty()) {
            BackupRecord record;
            if (readRecord(record)) records.push_back(std::move(record));
        }
        if (!m_error.empty()) return Error(std::move(m_error));
        return records;
    }

private:
    bool readRecord(BackupRecord& record) {
        const std::size_t start = m_offset;
        std::uint32_t root = 0;
        if (!readU32(root, "the root of a key record")) return false;
        if (std::find(kBackupRoots.begin(), kBackupRoots.end(), root) == kBackupRoots.end()) {
            return failAt(start, "root " + Hex(root) + " is not one of the four predefined roots a backup holds");
        }
        record.root = root;
        if (!readText(record.path, kMaxBackupKeyPathBytes, "key path")) return false;
        if (!checkNoNul(record.path, "key path")) return false;
        const std::size_t levels = BackupKeyLevels(record.root, record.path);
        if (levels > kMaxBackupKeyDepth) {
            return failAt(start, "the key " + BackupRootName(record.root) + "\\" + record.path.substr(0, 60) +
                                     "... lies " + std::to_string(levels) + " levels deep, deeper than the " +
                                     std::to_string(kMaxBackupKeyDepth) + " the registry files hold");
        }
        return readKeyContent(record.content, levels);
    }

    // depth: how deep the key whose content this is lies in its registry file.
    bool readKeyContent(BackupKeyContent& content, std::size_t depth) {
        std::uint32_t valueCount = 0;
        if (!readU32(valueCount, "a value count")) return false;
        // No reservation by count: a count is only as good as the bytes behind it.
        for (std::uint32_t index = 0; index < valueCount; ++index) {
            BackupValue value;
            if (!readText(value.name, kMaxBackupValueNameBytes, "value name")) return false;
            if (!checkNoNul(value.name, "value name")) return false;
            if (!readU32(value.type, "a value type")) return false;
            if (!readText(value.data, kMaxBackupValueDataBytes, "value data")) return false;
            content.values.push_back(std::move(value));
        }
        std::uint32_t subKeyCount = 0;
        if (!readU32(subKeyCount, "a sub-key count")) return false;
        if (subKeyCount != 0 && depth >= kMaxBackupKeyDepth) {
            return failAt(m_offset - 4, "sub-keys nested deeper than the " + std::to_string(kMaxBackupKeyDepth) +
                                            " levels the registry files hold");
        }
        for (std::uint32_t index = 0; index < subKeyCount; ++index) {
            BackupSubKey subKey;
            const std::size_t nameOffset = m_offset;
            if (!readText(subKey.name, kMaxBackupSubKeyNameBytes, "sub-key name")) return false;
            if (subKey.name.empty()) return failAt(nameOffset, "a sub-key name is empty");
            if (subKey.name.find('\\') != std::string::npos)
                return failAt(nameOffset, "sub-key name \"" + subKey.name + "\" contains a backslash");
            if (!checkNoNul(subKey.name, "sub-key name")) return false;
            if (!readKeyContent(subKey.content, depth + 1)) return false;
            content.subKeys.push_back(std::move(subKey));
        }
        return true;
    }

    bool readU32(std::uint32_t& number, std::string_view what) {
        if (m_bytes.size() - m_offset < 4) {
            return failAt(m_offset, "the file ends inside a record, where " + std::string(what) + " (4 bytes) was due");
        }
        number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(m_bytes[m_offset + i]);
        m_offset += 4;
        return true;
    }

    bool readText(std::string& text, std::uint32_t limit, std::string_view what) {
        const std::size_t lengthOffset = m_offset;
        std::uint32_t length = 0;
        if (!readU32(length, "the length of a " + std::string(what))) return false;
        if (length > limit) {
            return failAt(lengthOffset, std::string(what) + " length " + std::to_string(length) +
                                            " exceeds the limit of " + std::to_string(limit) + " bytes");
        }
        if (m_bytes.size() - m_offset < length) {
            return failAt(m_offset, "the file ends inside a " + std::string(what) + " of " + std::to_string(length) +
                                        " bytes (" + std::to_string(m_bytes.size() - m_offset) + " left)");
        }
        text.assign(m_bytes.substr(m_offset, length));
        m_offset += length;
        return true;
    }

    // Names reach the registry as C strings, where a NUL would silently cut them short
    // and write under another name.
    bool checkNoNul(std::string_view text, std::string_view what) {
        const auto nul = text.find('\0');
        if (nul == std::string_view::npos) return true;
        return failAt(m_offset - text.size() + nul, std::string(what) + " contains a NUL byte");
    }

    bool failAt(std::size_t offset, const std::string& message) {
        if (m_error.empty()) m_error = std::string(m_fileName) + ": byte offset " + std::to_string(offset) + ": " + message;
        m_offset = m_bytes.size();
        return false;
    }

    void fail(const std::string& message) { m_error = std::string(m_fileName) + ": " + message; }

    std::string_view m_bytes;
    std::string_view m_fileName;
    std::size_t m_offset = 0;
    std::string m_error;
};

}  // namespace

std::string BackupRootName(win::HKEY root) {
    const bool held = std::find(kBackupRoots.begin(), kBackupRoots.end(), root) != kBackupRoots.end();
    return held ? std::string(RegistryRootNameOf(root)) : Hex(static_cast<std::uint32_t>(root));
}

std::string EncodeBackup(const std::vector<BackupRecord>& records) {
    std::string out;
    for (const BackupRecord& record : records) {
        AppendU32(out, static_cast<std::uint32_t>(record.root));
        AppendText(out, record.path);
        AppendKeyContent(out, record.content);
    }
    return out;
}

DecodedBackup DecodeBackup(std::string_view bytes, std::string_view fileName) {
    return BackupDecoder(bytes, fileName).decode();
}

DecodedBackup ReadBackupFile(const std::filesystem::path& path) {
    const RegularFileRead read = ReadRegularFile(path, kMaxBackupFileBytes, FinalLink::Follow, Ownership::ThisUser);
    if (read.ok()) return DecodeBackup(read.bytes, path.string());
    // A whole-registry text export is larger than any binary backup; name it for what it is.
    if (read.status == RegularFileRead::Status::TooLarge && IsTextExport(read.bytes))
        return DecodeBackup(read.bytes, path.string());
    return Error(read.error);
}

Status WriteBackupFile(const std::filesystem::path& path, const std::vector<BackupRecord>& records) {
    return WriteFileAtomically(path, EncodeBackup(records));
}

}  // namespace brindle
