#include "demo/LnkWriter.h"

#include <cstdint>

namespace brindle {

namespace {

// ShellLinkHeader (0x4C bytes):
//   0x00 u32 HeaderSize (0x4C)      0x04 CLSID 00021401-0000-0000-C000-000000000046
//   0x14 u32 LinkFlags              0x18 u32 FileAttributes
//   0x1C, 0x24, 0x2C FILETIME creation, access, write
//   0x34 u32 FileSize   0x38 i32 IconIndex   0x3C u32 ShowCommand   0x40 u16 HotKey
//   0x42 10 reserved bytes
constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// LinkFlags.
constexpr std::uint32_t kHasLinkInfo = 1u << 1;
constexpr std::uint32_t kHasName = 1u << 2;
constexpr std::uint32_t kIsUnicode = 1u << 7;

constexpr std::uint32_t kFileAttributeArchive = 0x20;
constexpr std::uint32_t kShowNormal = 1;

// LinkInfo: u32 size, u32 header size (0x1C, or 0x24 with the Unicode offsets), u32 flags
// (bit 0: VolumeID and LocalBasePath present), u32 VolumeIDOffset, u32 LocalBasePathOffset,
// u32 CommonNetworkRelativeLinkOffset, u32 CommonPathSuffixOffset, [u32 LocalBasePathOffsetUnicode,
// u32 CommonPathSuffixOffsetUnicode]; then the VolumeID, the paths; offsets from its start.
constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr std::uint32_t kLinkInfoUnicodeHeaderSize = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 1;

// VolumeID: u32 size, u32 DriveType, u32 DriveSerialNumber, u32 VolumeLabelOffset, label.
constexpr std::uint32_t kVolumeIdHeaderSize = 0x10;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kDriveSerial = 0x12345678;

void PutU16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void PutU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutWide(std::string& out, std::string_view bytes) {
    for (char c : bytes) PutU16(out, static_cast<unsigned char>(c));
}

std::string Header(std::uint32_t linkFlags) {
    std::string out;
    PutU32(out, kHeaderSize);
    out.append(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid);
    PutU32(out, linkFlags);
    PutU32(out, kFileAttributeArchive);
    out.append(3 * 8, '\0');  // times
    PutU32(out, 0);           // file size
    PutU32(out, 0);           // icon index
    PutU32(out, kShowNormal);
    PutU16(out, 0);           // hot key
    out.append(10, '\0');
    return out;
}

std::string LinkInfo(std::string_view target, const ShortcutOptions& options) {
    const std::uint32_t headerSize = options.unicodeLocalPath ? kLinkInfoUnicodeHeaderSize : kLinkInfoHeaderSize;
    std::string volume;
    const std::string_view label = "";
    PutU32(volume, kVolumeIdHeaderSize + static_cast<std::uint32_t>(label.size()) + 1);
    PutU32(volume, kDriveFixed);
    PutU32(volume, kDriveSerial);
    PutU32(volume, kVolumeIdHeaderSize);
    volume.append(label);
    volume += '\0';

    std::string body;  // everything after the header, offsets counted from LinkInfo's start
    const auto offset = [&] { return headerSize + static_cast<std::uint32_t>(body.size()); };
    const std::uint32_t volumeOffset = offset();
    body += volume;
    const std::uint32_t basePathOffset = offset();
    body.append(target);
    body += '\0';
    const std::uint32_t suffixOffset = offset();
    body.append(options.commonPathSuffix);
    body += '\0';
    std::uint32_t basePathUnicodeOffset = 0;
    std::uint32_t suffixUnicodeOffset = 0;
    if (options.unicodeLocalPath) {
        if (body.size() % 2 != 0) body += '\0';
        basePathUnicodeOffset = offset();
        PutWide(body, target);
        PutU16(body, 0);
        suffixUnicodeOffset = offset();
        PutWide(body, options.commonPathSuffix);
        PutU16(body, 0);
    }

    std::string out;
    PutU32(out, headerSize + static_cast<std::uint32_t>(body.size()));
    PutU32(out, headerSize);
    PutU32(out, kVolumeIdAndLocalBasePath);
    PutU32(out, volumeOffset);
    PutU32(out, basePathOffset);
    PutU32(out, 0);  // no network part
    PutU32(out, suffixOffset);
    if (options.unicodeLocalPath) {
        PutU32(out, basePathUnicodeOffset);
        PutU32(out, suffixUnicodeOffset);
    }
    return out + body;
}

// StringData: a u16 count of characters, then the characters without a NUL.
void PutCountedString(std::string& out, std::string_view text, bool unicode) {
    PutU16(out, static_cast<std::uint16_t>(text.size()));
    if (unicode) {
        PutWide(out, text);
    } else {
        out.append(text);
    }
}

std::string Shortcut(const std::string_view* target, const ShortcutOptions& options) {
    std::uint32_t flags = 0;
    if (target != nullptr) flags |= kHasLinkInfo;
    if (!options.description.empty()) flags |= kHasName;
    if (options.unicodeStrings) flags |= kIsUnicode;
    std::string out = Header(flags);
    if (target != nullptr) out += LinkInfo(*target, options);
    if (!options.description.empty()) PutCountedString(out, options.description, options.unicodeStrings);
    PutU32(out, 0);  // terminal block of ExtraData
    return out;
}

}  // namespace

std::string MakeShortcutBytes(std::string_view targetAnsiPath, const ShortcutOptions& options) {
    return Shortcut(&targetAnsiPath, options);
}

std::string MakeShortcutBytesWithoutTarget(std::string_view description) {
    ShortcutOptions options;
    options.description = description;
    return Shortcut(nullptr, options);
}

}  // namespace brindle
