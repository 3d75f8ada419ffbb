#include "platform/ShortcutReader.h"

#include <fcntl.h>
#include <liblnk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Unicode.h"

namespace brindle {

namespace {

// --- Layout ------------------------------------------------------------------------
//
// ShellLinkHeader (0x4C bytes): u32 HeaderSize = 0x4C, CLSID, u32 LinkFlags at 0x14, ...
// then, as LinkFlags says: LinkTargetIDList (u16 size, items), LinkInfo (u32 size
// counting itself), StringData (u16 count of characters, no NUL, two bytes each when
// IsUnicode), ExtraData blocks (u32 size counting itself; below 4 ends the list).
//
// liblnk allocates what these sizes claim before it reads them, so one damaged size
// field in a 600-byte file makes it reserve gigabytes. Every size is checked against the
// bytes really there before liblnk sees the file.

constexpr std::size_t kHeaderBytes = 0x4C;
constexpr std::size_t kLinkFlagsOffset = 0x14;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasLinkTargetIdList = 1u << 0;
constexpr std::uint32_t kHasLinkInfo = 1u << 1;
constexpr std::uint32_t kFirstStringFlag = 1u << 2;  // HasName ... HasIconLocation: bits 2 to 6
constexpr int kStringCount = 5;
constexpr std::uint32_t kIsUnicode = 1u << 7;
constexpr std::uint32_t kMinimumLinkInfoBytes = 0x1C;
constexpr std::uint32_t kTerminalBlockLimit = 4;

std::uint32_t ReadU16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return ReadU16(bytes, at) | ReadU16(bytes, at + 2) << 16;
}

std::string Hex(std::size_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%zX", value);
    return text;
}

// Empty when every declared size fits in the file; otherwise what does not.
std::string CheckLayout(const std::vector<std::uint8_t>& bytes) {
    const std::size_t size = bytes.size();
    if (size < kHeaderBytes) return std::to_string(size) + " bytes, fewer than a shortcut's header";
    if (ReadU32(bytes, 0) != kHeaderBytes) return "header size " + Hex(ReadU32(bytes, 0)) + " instead of 0x4C";
    if (std::memcmp(bytes.data() + 4, kLinkClsid, sizeof kLinkClsid) != 0) return "not a shell link (class id)";
    const std::uint32_t flags = ReadU32(bytes, kLinkFlagsOffset);
    std::size_t at = kHeaderBytes;

    const auto claim = [&](const char* what, std::size_t fieldBytes, std::size_t length) -> std::string {
        if (length < fieldBytes || length > size - at)
            return std::string(what) + " of " + std::to_string(length) + " bytes at " + Hex(at) +
                   " does not fit in the file of " + std::to_string(size) + " bytes";
        at += length;
        return {};
    };
    const auto field = [&](const char* what, std::size_t fieldBytes) -> std::string {
        if (size - at < fieldBytes) return std::string(what) + " size at " + Hex(at) + " lies past the end";
        return {};
    };

    if (flags & kHasLinkTargetIdList) {
        if (auto error = field("item id list", 2); !error.empty()) return error;
        if (auto error = claim("item id list", 2, 2 + ReadU16(bytes, at)); !error.empty()) return error;
    }
    if (flags & kHasLinkInfo) {
        if (auto error = field("LinkInfo", 4); !error.empty()) return error;
        const std::uint32_t length = ReadU32(bytes, at);
        if (length < kMinimumLinkInfoBytes) return "LinkInfo of " + std::to_string(length) + " bytes at " + Hex(at);
        if (auto error = claim("LinkInfo", 4, length); !error.empty()) return error;
    }
    const std::size_t characterBytes = (flags & kIsUnicode) ? 2 : 1;
    for (int i = 0; i < kStringCount; ++i) {
        if (!(flags & (kFirstStringFlag << i))) continue;
        if (auto error = field("string", 2); !error.empty()) return error;
        if (auto error = claim("string", 2, 2 + ReadU16(bytes, at) * characterBytes); !error.empty()) return error;
    }
    while (size - at >= 4) {
        const std::uint32_t length = ReadU32(bytes, at);
        if (length < kTerminalBlockLimit) break;
        if (auto error = claim("extra data block", 4, length); !error.empty()) return error;
    }
    return {};
}

// --- liblnk and libbfio handles ----------------------------------------------------

// Both libraries report errors as allocated chains; these free one once its text is taken.
template <typename Error, void (*Free)(Error**), int (*Print)(Error*, char*, std::size_t)>
class LibraryError {
public:
    LibraryError() = default;
    ~LibraryError() { Free(&m_error); }
    LibraryError(const LibraryError&) = delete;
    LibraryError& operator=(const LibraryError&) = delete;

    Error** out() {
        Free(&m_error);
        return &m_error;
    }

    std::string text() const {
        char buffer[512] = {};
        if (m_error == nullptr || Print(m_error, buffer, sizeof buffer) < 0) return "no reason given";
        std::string message(buffer);
        while (!message.empty() && (message.back() == '\n' || message.back() == '.')) message.pop_back();
        return message;
    }

private:
    Error* m_error = nullptr;
};

using LnkError = LibraryError<liblnk_error_t, liblnk_error_free, liblnk_error_sprint>;
using BfioError = LibraryError<libbfio_error_t, libbfio_error_free, libbfio_error_sprint>;

// The file's bytes, handed to liblnk through a handle of our own. libbfio's built-in
// memory range copies the whole request even when fewer bytes remain (a truncated
// shortcut makes it read past the buffer); this one copies only what is there.
class MemoryRange {
public:
    MemoryRange() = default;
    ~MemoryRange() {
        BfioError ignored;
        if (m_handle != nullptr) libbfio_handle_free(&m_handle, ignored.out());
    }
    MemoryRange(const MemoryRange&) = delete;
    MemoryRange& operator=(const MemoryRange&) = delete;

    bool set(const std::vector<std::uint8_t>& bytes, BfioError& error) {
        m_state = State{bytes.data(), bytes.size(), 0, false};
        return libbfio_handle_initialize(&m_handle, reinterpret_cast<intptr_t*>(&m_state), FreeState, CloneState,
                                         Open, Close, Read, Write, Seek, Exists, IsOpen, GetSize,
                                         LIBBFIO_FLAG_IO_HANDLE_NON_MANAGED, error.out()) == 1;
    }
    libbfio_handle_t* get() const { return m_handle; }

private:
    struct State {
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
        std::size_t offset = 0;
        bool open = false;
    };

    static State& Of(intptr_t* handle) { return *reinterpret_cast<State*>(handle); }

    // The state belongs to this object; libbfio frees nothing of it.
    static int FreeState(intptr_t** handle, libbfio_error_t**) {
        if (handle != nullptr) *handle = nullptr;
        return 1;
    }
    static int CloneState(intptr_t**, intptr_t*, libbfio_error_t**) { return -1; }
    static int Open(intptr_t* handle, int accessFlags, libbfio_error_t**) {
        if (handle == nullptr || (accessFlags & LIBBFIO_ACCESS_FLAG_WRITE) != 0) return -1;
        Of(handle).open = true;
        Of(handle).offset = 0;
        return 1;
    }
    static int Close(intptr_t* handle, libbfio_error_t**) {
        if (handle == nullptr) return -1;
        Of(handle).open = false;
        return 0;
    }
    static ssize_t Read(intptr_t* handle, std::uint8_t* buffer, std::size_t size, libbfio_error_t**) {
        if (handle == nullptr || buffer == nullptr || !Of(handle).open) return -1;
        State& state = Of(handle);
        if (state.offset >= state.size) return 0;
        const std::size_t count = std::min(size, state.size - state.offset);
        std::memcpy(buffer, state.data + state.offset, count);
        state.offset += count;
        return static_cast<ssize_t>(count);
    }
    static ssize_t Write(intptr_t*, const std::uint8_t*, std::size_t, libbfio_error_t**) { return -1; }
    static off64_t Seek(intptr_t* handle, off64_t offset, int whence, libbfio_error_t**) {
        if (handle == nullptr) return -1;
        State& state = Of(handle);
        off64_t base = 0;
        if (whence == SEEK_CUR) base = static_cast<off64_t>(state.offset);
        else if (whence == SEEK_END) base = static_cast<off64_t>(state.size);
        else if (whence != SEEK_SET) return -1;
        // Bounded by the file size limit, so neither sum can overflow.
        if (offset < -base || offset > static_cast<off64_t>(kMaxShortcutFileBytes) * 2) return -1;
        state.offset = static_cast<std::size_t>(base + offset);
        return static_cast<off64_t>(state.offset);
    }
    static int Exists(intptr_t* handle, libbfio_error_t**) { return handle != nullptr ? 1 : -1; }
    static int IsOpen(intptr_t* handle, libbfio_error_t**) {
        if (handle == nullptr) return -1;
        return Of(handle).open ? 1 : 0;
    }
    static int GetSize(intptr_t* handle, size64_t* size, libbfio_error_t**) {
        if (handle == nullptr || size == nullptr) return -1;
        *size = Of(handle).size;
        return 1;
    }

    State m_state;
    libbfio_handle_t* m_handle = nullptr;
};

// Declared after the MemoryRange it reads, so that it is closed first.
class LnkFile {
public:
    LnkFile() = default;
    ~LnkFile() {
        LnkError ignored;
        if (m_open) liblnk_file_close(m_file, ignored.out());
        if (m_file != nullptr) liblnk_file_free(&m_file, ignored.out());
    }
    LnkFile(const LnkFile&) = delete;
    LnkFile& operator=(const LnkFile&) = delete;

    bool initialize(LnkError& error) { return liblnk_file_initialize(&m_file, error.out()) == 1; }
    bool open(libbfio_handle_t* range, LnkError& error) {
        m_open = liblnk_file_open_file_io_handle(m_file, range, LIBLNK_OPEN_READ, error.out()) == 1;
        return m_open;
    }
    liblnk_file_t* get() const { return m_file; }

private:
    liblnk_file_t* m_file = nullptr;
    bool m_open = false;
};

// --- Reading -----------------------------------------------------------------------

ShortcutTarget Unreadable(const std::filesystem::path& hostPath, const std::string& why) {
    ShortcutTarget target;
    target.status = ShortcutTarget::Status::Unreadable;
    target.error = hostPath.string() + ": " + why;
    return target;
}

std::string TooLarge(std::uintmax_t size) {
    return std::to_string(size) + " bytes, more than a shortcut's limit of " + std::to_string(kMaxShortcutFileBytes);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The whole file, or an error. The size is checked before the file is opened (so that
// a FIFO is never opened) and again on the open file (it may have been replaced).
std::string ReadWholeFile(const std::filesystem::path& hostPath, std::vector<std::uint8_t>& bytes) {
    struct stat status;
    if (stat(hostPath.c_str(), &status) != 0) return std::strerror(errno);
    if (!S_ISREG(status.st_mode)) return "not a regular file";
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxShortcutFileBytes) return TooLarge(status.st_size);

    const FileDescriptor file(open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) return std::strerror(errno);
    if (fstat(file.get(), &status) != 0) return std::strerror(errno);
    if (!S_ISREG(status.st_mode)) return "not a regular file";
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (size > kMaxShortcutFileBytes) return TooLarge(size);

    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::strerror(errno);
        if (got == 0) break;  // shrank meanwhile: parse what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return {};
}

}  // namespace

std::optional<int> LiblnkCodePage(unsigned windowsCodePage) {
    switch (windowsCodePage) {
        case 874: return LIBLNK_CODEPAGE_WINDOWS_874;
        case 932: return LIBLNK_CODEPAGE_WINDOWS_932;
        case 936: return LIBLNK_CODEPAGE_WINDOWS_936;
        case 949: return LIBLNK_CODEPAGE_WINDOWS_949;
        case 950: return LIBLNK_CODEPAGE_WINDOWS_950;
        case 1250: return LIBLNK_CODEPAGE_WINDOWS_1250;
        case 1251: return LIBLNK_CODEPAGE_WINDOWS_1251;
        case 1252: return LIBLNK_CODEPAGE_WINDOWS_1252;
        case 1253: return LIBLNK_CODEPAGE_WINDOWS_1253;
        case 1254: return LIBLNK_CODEPAGE_WINDOWS_1254;
        case 1255: return LIBLNK_CODEPAGE_WINDOWS_1255;
        case 1256: return LIBLNK_CODEPAGE_WINDOWS_1256;
        case 1257: return LIBLNK_CODEPAGE_WINDOWS_1257;
        case 1258: return LIBLNK_CODEPAGE_WINDOWS_1258;
        case 20127: return LIBLNK_CODEPAGE_ASCII;
        default: return std::nullopt;
    }
}

ShortcutTarget ReadShortcutFile(const std::filesystem::path& hostPath, const CodePage& codePage) {
    std::vector<std::uint8_t> bytes;
    if (auto error = ReadWholeFile(hostPath, bytes); !error.empty()) return Unreadable(hostPath, error);
    return DecodeShortcut(bytes, hostPath, codePage);
}

ShortcutTarget DecodeShortcut(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& hostPath,
                              const CodePage& codePage) {
    if (bytes.size() > kMaxShortcutFileBytes) return Unreadable(hostPath, TooLarge(bytes.size()));
    if (auto error = CheckLayout(bytes); !error.empty()) return Unreadable(hostPath, error);

    BfioError rangeError;
    MemoryRange range;
    if (!range.set(bytes, rangeError)) return Unreadable(hostPath, "libbfio: " + rangeError.text());
    LnkError error;
    LnkFile file;
    if (!file.initialize(error)) return Unreadable(hostPath, "liblnk: " + error.text());
    if (const auto page = LiblnkCodePage(codePage.number())) {
        if (liblnk_file_set_ascii_codepage(file.get(), *page, error.out()) != 1)
            return Unreadable(hostPath,
                              "liblnk refused code page " + std::to_string(codePage.number()) + ": " + error.text());
    }
    if (!file.open(range.get(), error)) return Unreadable(hostPath, "liblnk: " + error.text());

    std::size_t utf8Size = 0;
    const int hasPath = liblnk_file_get_utf8_local_path_size(file.get(), &utf8Size, error.out());
    if (hasPath < 0) return Unreadable(hostPath, "local path: " + error.text());
    ShortcutTarget target;
    target.status = ShortcutTarget::Status::NoLocalPath;
    // The size counts the NUL; a size of 1 is an empty path, which points nowhere.
    if (hasPath == 0 || utf8Size <= 1) return target;
    // Each byte of the file gives at most three of UTF-8.
    if (utf8Size > bytes.size() * 3 + 1)
        return Unreadable(hostPath, "local path of " + std::to_string(utf8Size) + " bytes in a file of " +
                                        std::to_string(bytes.size()));

    std::vector<std::uint8_t> utf8(utf8Size, 0);
    if (liblnk_file_get_utf8_local_path(file.get(), utf8.data(), utf8.size(), error.out()) != 1)
        return Unreadable(hostPath, "local path: " + error.text());
    const auto* text = reinterpret_cast<const char*>(utf8.data());
    const std::string_view path(text, strnlen(text, utf8.size()));
    if (path.empty()) return target;

    target.status = ShortcutTarget::Status::Found;
    target.path = codePage.toAnsi(Utf8ToUtf16(path));
    return target;
}

}  // namespace brindle
