#include "platform/DriveMapFileSystem.h"

#include <dirent.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Unicode.h"
#include "platform/WindowsPath.h"

// Not thread-safe: one scan at a time walks a DriveMapFileSystem, as one machine is
// scanned by one worker.

namespace brindle {

namespace {

// --- Host names ---------------------------------------------------------------

// Strict, unlike Utf8ToUtf16: a host name that is not UTF-8 must not turn into U+FFFD
// and then match some other name. Fills a buffer the caller reuses.
bool DecodeUtf8(std::string_view text, std::u16string& out) {
    out.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        std::size_t length;
        char32_t c;
        char32_t minimum;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, c = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return true;
}

// --- Case folding -----------------------------------------------------------------

// towupper follows the process's LC_CTYPE, which is "C" (ASCII only) in most programs;
// a private C.UTF-8 locale gives the Unicode simple mappings whatever the process set.
locale_t UnicodeLocale() {
    static const locale_t locale = [] {
        locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        if (made == locale_t{}) made = newlocale(LC_CTYPE_MASK, "C.utf8", locale_t{});
        return made;
    }();
    return locale;
}

// Upper-cases one UTF-16 unit, as Windows compares names: unit by unit, so surrogates
// stay as they are. ASCII and Latin-1 are done by hand so that Western names fold even
// where no C.UTF-8 locale is installed (U+00B5 folds to a Greek letter, so it is not).
char16_t FoldCase(char16_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c < 0x100 && c != 0xB5) return c;
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    const locale_t locale = UnicodeLocale();
    if (locale == locale_t{}) return c;
    const wint_t upper = towupper_l(static_cast<wint_t>(c), locale);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

// The folded UTF-16 form of a UTF-8 name, into out; false when the name is not UTF-8.
bool FoldedName(std::string_view utf8, std::u16string& out) {
    if (!DecodeUtf8(utf8, out)) return false;
    for (auto& c : out) c = FoldCase(c);
    return true;
}

// --- Folder listings --------------------------------------------------------------

struct ListedName {
    std::u16string folded;
    std::string hostName;
};

using Listing = std::vector<ListedName>;  // sorted by folded, then hostName

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A host name that is not UTF-8 has no Windows spelling to match case-insensitively; it
// is left out of the listing.
Listing ReadListing(const std::string& folder) {
    Listing listing;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return listing;
    std::u16string folded;
    while (const dirent* entry = readdir(dir)) {
        if (IsDotEntry(entry->d_name)) continue;
        if (!FoldedName(entry->d_name, folded)) continue;
        listing.push_back({folded, entry->d_name});
    }
    closedir(dir);
    std::sort(listing.begin(), listing.end(), [](const ListedName& a, const ListedName& b) {
        return a.folded != b.folded ? a.folded < b.folded : a.hostName < b.hostName;
    });
    return listing;
}

struct ByFolded {
    bool operator()(const ListedName& a, const std::u16string& b) const { return a.folded < b; }
    bool operator()(const std::u16string& a, const ListedName& b) const { return a < b.folded; }
};

struct ListingCache {
    std::unordered_map<std::string, Listing> folders;
};

// Host names in folder that equal the folded target, in a stable order. Without a
// cache the folder is read now and nothing is kept.
void FindCaseVariants(const std::string& folder, const std::u16string& target, ListingCache* cache,
                      std::vector<std::string>& out) {
    out.clear();
    if (cache != nullptr) {
        auto it = cache->folders.find(folder);
        if (it == cache->folders.end()) it = cache->folders.emplace(folder, ReadListing(folder)).first;
        const Listing& listing = it->second;
        auto range = std::equal_range(listing.begin(), listing.end(), target, ByFolded{});
        for (auto i = range.first; i != range.second; ++i) out.push_back(i->hostName);
        return;
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    std::u16string folded;
    while (const dirent* entry = readdir(dir)) {
        if (IsDotEntry(entry->d_name)) continue;
        if (FoldedName(entry->d_name, folded) && folded == target) out.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(out.begin(), out.end());
}

// --- Path walk --------------------------------------------------------------------

enum class Want { Anything, Folder };

bool Exists(const std::string& hostPath, Want want) {
    struct stat status;
    if (stat(hostPath.c_str(), &status) != 0) return false;
    return want == Want::Anything || S_ISDIR(status.st_mode);
}

void AppendSeparator(std::string& hostPath) {
    if (hostPath.empty() || hostPath.back() != '/') hostPath += '/';
}

// Finds the host path of parsed (segments in UTF-8) below driveFolder. The exact
// spelling is tried first for the whole path, which is one stat for a path written in
// the right case; only on a miss are the segments walked one by one.
std::optional<std::string> LocateBelow(const std::string& driveFolder, const WindowsPath& parsed,
                                       ListingCache* cache) {
    for (const auto& segment : parsed.segments) {
        // Windows cannot open a file named "." or ".." (left by "..." collapsing); on
        // the host they would leave the folder.
        if (segment == "." || segment == "..") return std::nullopt;
    }
    const Want lastWant = parsed.wantsFolder || parsed.segments.empty() ? Want::Folder : Want::Anything;

    std::string hostPath = driveFolder;
    for (const auto& segment : parsed.segments) {
        AppendSeparator(hostPath);
        hostPath += segment;
    }
    if (Exists(hostPath, lastWant)) return hostPath;
    if (parsed.segments.empty()) return std::nullopt;

    hostPath = driveFolder;
    std::string folder;
    std::u16string target;
    std::vector<std::string> variants;
    for (std::size_t i = 0; i < parsed.segments.size(); ++i) {
        const std::string& segment = parsed.segments[i];
        const Want want = i + 1 < parsed.segments.size() ? Want::Folder : lastWant;
        folder = hostPath;
        AppendSeparator(hostPath);
        const std::size_t nameStart = hostPath.size();
        hostPath += segment;
        if (Exists(hostPath, want)) continue;

        if (!FoldedName(segment, target)) return std::nullopt;
        FindCaseVariants(folder, target, cache, variants);
        bool found = false;
        for (const auto& variant : variants) {
            if (variant == segment) continue;
            hostPath.resize(nameStart);
            hostPath += variant;
            if (Exists(hostPath, want)) {
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return hostPath;
}

// Windows ANSI code pages agree with ASCII below 0x80, so such text is its own UTF-8.
bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The path converted as a whole before it is split: in the double-byte pages a second
// byte may be 0x5C, which is not a separator there, while UTF-8 never hides one.
std::string AnsiToUtf8(std::string_view ansi, const CodePage& codePage) {
    if (IsAscii(ansi)) return std::string(ansi);
    return Utf16ToUtf8(codePage.toUtf16(ansi));
}

char UpperLetter(char letter) {
    if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
    if (letter >= 'A' && letter <= 'Z') return letter;
    return 0;
}

}  // namespace

struct DriveMapFileSystem::Cache {
    ListingCache listings;
};

DriveMapFileSystem::DriveMapFileSystem(CodePage codePage) : m_codePage(std::move(codePage)) {}

DriveMapFileSystem::~DriveMapFileSystem() = default;

void DriveMapFileSystem::mapDrive(char letter, std::filesystem::path hostFolder) {
    const char drive = UpperLetter(letter);
    if (drive == 0) return;
    m_drives[drive] = std::move(hostFolder);
}

void DriveMapFileSystem::unmapDrive(char letter) { m_drives.erase(UpperLetter(letter)); }

std::string DriveMapFileSystem::driveLetters() const {
    std::string letters;
    for (const auto& [letter, folder] : m_drives) letters += letter;
    return letters;
}

std::optional<std::filesystem::path> DriveMapFileSystem::driveFolder(char letter) const {
    auto it = m_drives.find(UpperLetter(letter));
    if (it == m_drives.end()) return std::nullopt;
    return it->second;
}

void DriveMapFileSystem::setCurrentDirectory(std::string windowsPath) { m_currentDirectory = std::move(windowsPath); }

void DriveMapFileSystem::setCodePage(CodePage codePage) { m_codePage = std::move(codePage); }

int DriveMapFileSystem::_access(const char* path, int mode) {
    int hostMode;
    switch (mode) {
        case 0: hostMode = F_OK; break;
        case 2: hostMode = W_OK; break;
        case 4: hostMode = R_OK; break;
        case 6: hostMode = R_OK | W_OK; break;
        default: errno = EINVAL; return -1;
    }
    if (path == nullptr) {
        errno = EINVAL;
        return -1;
    }
    const auto hostPath = resolve(path);
    if (!hostPath) {
        errno = ENOENT;
        return -1;
    }
    if (hostMode == F_OK) return 0;
    return access(hostPath->c_str(), hostMode) == 0 ? 0 : -1;
}

std::optional<std::filesystem::path> DriveMapFileSystem::resolve(std::string_view windowsPath) {
    windowsPath = windowsPath.substr(0, windowsPath.find('\0'));
    const std::string utf8 = AnsiToUtf8(windowsPath, m_codePage);
    // A path with a drive never reads the current directory, so it is not converted.
    const bool hasDrive = utf8.size() >= 2 && utf8[1] == ':';
    const auto parsed = hasDrive ? ParseWindowsPath(utf8)
                                 : ParseWindowsPath(utf8, AnsiToUtf8(m_currentDirectory, m_codePage));
    if (!parsed) return std::nullopt;
    auto drive = m_drives.find(parsed->drive);
    if (drive == m_drives.end() || drive->second.empty()) return std::nullopt;
    auto hostPath = LocateBelow(drive->second.native(), *parsed, m_cache ? &m_cache->listings : nullptr);
    if (!hostPath) return std::nullopt;
    return std::filesystem::path(std::move(*hostPath));
}

void DriveMapFileSystem::beginScan() { m_cache = std::make_unique<Cache>(); }

void DriveMapFileSystem::endScan() { m_cache.reset(); }

}  // namespace brindle
