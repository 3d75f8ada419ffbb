#include "platform/DriveMapFileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/AnsiText.h"
#include "platform/Unicode.h"
#include "platform/WindowsPath.h"
#include "platform/WineShortName.h"

// Not thread-safe: one scan at a time walks a DriveMapFileSystem, as one machine is
// scanned by one worker.

namespace brindle {

namespace {

// --- Case folding -----------------------------------------------------------------

// The folded UTF-16 form of a UTF-8 name, into out; false when the name is not UTF-8.
bool FoldedName(std::string_view utf8, std::u16string& out) {
    if (!DecodeUtf8Strict(utf8, out)) return false;
    for (auto& c : out) c = FoldCase(c);
    return true;
}

// --- Folder listings --------------------------------------------------------------

struct ListedName {
    std::u16string folded;
    std::string hostName;
};

struct Listing {
    std::vector<ListedName> names;  // sorted by folded, then hostName
    // False when the folder could not be read: then nothing can be said of what it
    // holds beyond the names tried directly.
    bool readable = true;
};

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A host name that is not UTF-8 has no Windows spelling to match case-insensitively; it
// is left out of the listing.
Listing ReadListing(const std::string& folder) {
    Listing listing;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        // A folder that is not there holds nothing; one that cannot be read hides what
        // it holds.
        listing.readable = errno == ENOENT || errno == ENOTDIR;
        return listing;
    }
    std::u16string folded;
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        if (IsDotEntry(entry->d_name)) continue;
        if (!FoldedName(entry->d_name, folded)) continue;
        listing.names.push_back({folded, entry->d_name});
        errno = 0;
    }
    if (errno != 0) listing.readable = false;
    closedir(dir);
    std::sort(listing.names.begin(), listing.names.end(), [](const ListedName& a, const ListedName& b) {
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

// The listing of a folder: from the scan's cache, or read now into `local` when no scan
// keeps one.
const Listing& ListingOf(const std::string& folder, ListingCache* cache, Listing& local) {
    if (cache == nullptr) {
        local = ReadListing(folder);
        return local;
    }
    auto it = cache->folders.find(folder);
    if (it == cache->folders.end()) it = cache->folders.emplace(folder, ReadListing(folder)).first;
    return it->second;
}

// Host names in the listing that equal the folded target, in a stable order, and then
// (for a segment in the form of Wine's generated short names) the names whose short
// name it is.
void FindVariants(const Listing& listing, std::string_view segment, const std::u16string& target,
                  std::vector<std::string>& out) {
    out.clear();
    auto range = std::equal_range(listing.names.begin(), listing.names.end(), target, ByFolded{});
    for (auto i = range.first; i != range.second; ++i) out.push_back(i->hostName);
    if (!IsWineMangledName(target)) return;
    std::u16string longName;
    for (const auto& name : listing.names) {
        if (!DecodeUtf8Strict(name.hostName, longName)) continue;
        if (MatchesWineShortName(target, longName) && name.hostName != segment) out.push_back(name.hostName);
    }
}

// --- Path walk --------------------------------------------------------------------

enum class Want { Anything, Folder };

// What the host says of one path. Only "no such file or folder" means missing (a name
// too long for the host is one no file can have); any other failure (a folder that
// cannot be searched, an I/O error, a loop of links) leaves the question open, as it
// would for Wine.
PathProbe ProbeHostPath(const std::string& hostPath, Want want) {
    struct stat status;
    if (stat(hostPath.c_str(), &status) != 0) {
        const bool noSuchFile = errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG;
        return noSuchFile ? PathProbe::Missing : PathProbe::Unknown;
    }
    if (want == Want::Folder && !S_ISDIR(status.st_mode)) return PathProbe::Missing;
    return PathProbe::Exists;
}

void AppendSeparator(std::string& hostPath) {
    if (hostPath.empty() || hostPath.back() != '/') hostPath += '/';
}

struct Located {
    PathProbe probe = PathProbe::Missing;
    std::string hostPath;  // when probe is Exists
};

// Finds the host path of parsed (segments in UTF-8) below driveFolder. The exact
// spelling is tried first for the whole path, which is one stat for a path written in
// the right case; only on a miss are the segments walked one by one.
Located LocateBelow(const std::string& driveFolder, const WindowsPath& parsed, ListingCache* cache) {
    for (const auto& segment : parsed.segments) {
        // Windows cannot open a file named "." or ".." (left by "..." collapsing); on
        // the host they would leave the folder.
        if (segment == "." || segment == "..") return {};
    }
    const Want lastWant = parsed.wantsFolder || parsed.segments.empty() ? Want::Folder : Want::Anything;

    std::string hostPath = driveFolder;
    for (const auto& segment : parsed.segments) {
        AppendSeparator(hostPath);
        hostPath += segment;
    }
    const PathProbe exact = ProbeHostPath(hostPath, lastWant);
    if (exact == PathProbe::Exists) return {PathProbe::Exists, hostPath};
    if (parsed.segments.empty()) return {exact, {}};

    hostPath = driveFolder;
    std::string folder;
    std::u16string target;
    std::vector<std::string> variants;
    Listing local;
    for (std::size_t i = 0; i < parsed.segments.size(); ++i) {
        const std::string& segment = parsed.segments[i];
        const Want want = i + 1 < parsed.segments.size() ? Want::Folder : lastWant;
        folder = hostPath;
        AppendSeparator(hostPath);
        const std::size_t nameStart = hostPath.size();
        hostPath += segment;
        PathProbe probe = ProbeHostPath(hostPath, want);
        if (probe == PathProbe::Exists) continue;

        if (!FoldedName(segment, target)) return {probe, {}};
        const Listing& listing = ListingOf(folder, cache, local);
        if (!listing.readable) probe = PathProbe::Unknown;
        FindVariants(listing, segment, target, variants);
        bool found = false;
        for (const auto& variant : variants) {
            if (variant == segment) continue;
            hostPath.resize(nameStart);
            hostPath += variant;
            const PathProbe variantProbe = ProbeHostPath(hostPath, want);
            if (variantProbe == PathProbe::Exists) {
                found = true;
                break;
            }
            if (variantProbe == PathProbe::Unknown) probe = PathProbe::Unknown;
        }
        if (!found) return {probe, {}};
    }
    return {PathProbe::Exists, hostPath};
}

char UpperLetter(char letter) {
    if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
    if (letter >= 'A' && letter <= 'Z') return letter;
    return 0;
}


// --- What belongs to the machine --------------------------------------------------

// Component by component, so that /p/.wine2 is not taken to be inside /p/.wine.
bool IsWithinFolder(std::string_view path, std::string_view folder) {
    if (folder.empty() || !path.starts_with(folder)) return false;
    return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

std::optional<std::string> RealPath(const std::string& hostPath) {
    char* resolved = ::realpath(hostPath.c_str(), nullptr);
    if (resolved == nullptr) return std::nullopt;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// The real folders a drive's files may lie in: the drive's own and the machine's.
struct MachineFolders {
    std::string_view drive;
    std::string_view own;

    bool contain(std::string_view realPath) const {
        return IsWithinFolder(realPath, drive) || IsWithinFolder(realPath, own);
    }
};

// --- Folder searches --------------------------------------------------------------

// Characters Windows forbids in a name. Wine shows a host name that holds one through a
// private-use character, which no ANSI page has, so the ANSI name shows '?' there and
// never smuggles a separator into a path built from it.
bool IsForbiddenInName(char16_t c) {
    if (c < 0x20) return true;
    switch (c) {
        case u'\\': case u':': case u'*': case u'?': case u'"': case u'<': case u'>': case u'|': return true;
        default: return false;
    }
}

constexpr char16_t kPrivateUseBase = 0xF000;

struct SearchEntry {
    FindDataA data;
    std::u16string folded;  // the Windows name upper-cased, for matching masks
};

using SearchListing = std::vector<SearchEntry>;

// '*' matches any run of characters and '?' exactly one; both sides are folded.
// Backtracks only to the last star, so the cost stays linear for the usual masks.
bool MatchesWildcards(std::u16string_view mask, std::u16string_view name) {
    std::size_t m = 0;
    std::size_t n = 0;
    std::size_t starMask = std::u16string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == u'?' || mask[m] == name[n])) {
            ++m, ++n;
        } else if (m < mask.size() && mask[m] == u'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::u16string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*') ++m;
    return m == mask.size();
}

// A mask as Win32 reads it: "*.*" is every name, and a final ".*" also accepts a name
// without any extension ("readme.*" finds "readme"), as in MS-DOS.
class SearchMask {
public:
    explicit SearchMask(std::u16string folded) : m_folded(std::move(folded)) {
        if (m_folded == u"*.*") m_folded = u"*";
        if (m_folded.size() >= 2 && m_folded.ends_with(u".*")) {
            m_withoutExtension = m_folded.substr(0, m_folded.size() - 2);
            m_acceptsNoExtension = true;
        }
    }

    bool matches(std::u16string_view name) const {
        if (MatchesWildcards(m_folded, name)) return true;
        return m_acceptsNoExtension && name.find(u'.') == std::u16string_view::npos &&
               MatchesWildcards(m_withoutExtension, name);
    }

private:
    std::u16string m_folded;
    std::u16string m_withoutExtension;
    bool m_acceptsNoExtension = false;
};

// Only folders need a look of their own: their identity lets a walk that follows links
// enter each folder once. A link is followed to find out what it leads to; one that
// leads nowhere is listed as a file, as Wine lists it. A link to a folder is also
// resolved, to tell whether it leads out of the machine.
void DescribeEntry(const std::string& hostFolder, int folderFd, const char* name, unsigned char type,
                   const MachineFolders& machine, FindDataA& data) {
    data.dwFileAttributes = win::FILE_ATTRIBUTE_ARCHIVE;
    data.identity.reset();
    data.leavesMachine = false;
    if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN) return;
    struct stat status;
    if (fstatat(folderFd, name, &status, 0) != 0) {
        if (type == DT_DIR) data.dwFileAttributes = win::FILE_ATTRIBUTE_DIRECTORY;
        return;
    }
    if (!S_ISDIR(status.st_mode)) return;
    data.dwFileAttributes = win::FILE_ATTRIBUTE_DIRECTORY;
    data.identity = FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    if (type == DT_DIR) return;  // a plain folder lies where its parent does
    std::string entryPath = hostFolder;
    AppendSeparator(entryPath);
    entryPath += name;
    // A link that cannot be resolved cannot be shown to stay inside.
    const auto real = RealPath(entryPath);
    data.leavesMachine = !real || !machine.contain(*real);
}

// The folder itself and its parent: every walk passes them over, so they are not
// looked at (and carry no identity), which saves two calls per folder.
void AppendDotEntry(const char* name, SearchListing& listing) {
    SearchEntry entry;
    entry.data.cFileName = name;
    entry.data.dwFileAttributes = win::FILE_ATTRIBUTE_DIRECTORY;
    entry.folded.assign(name, name + std::strlen(name));
    listing.push_back(std::move(entry));
}

// The whole folder in readdir order, "." and ".." first except in a drive's root, as
// NTFS lists them. Nothing when the folder cannot be opened.
std::optional<SearchListing> ReadSearchListing(const std::string& hostFolder, bool isRoot, const CodePage& codePage,
                                               const MachineFolders& machine) {
    DIR* dir = opendir(hostFolder.c_str());
    if (dir == nullptr) return std::nullopt;
    const int folderFd = dirfd(dir);
    SearchListing listing;
    if (!isRoot) {
        AppendDotEntry(".", listing);
        AppendDotEntry("..", listing);
    }
    std::u16string wide;
    while (const dirent* hostEntry = readdir(dir)) {
        if (IsDotEntry(hostEntry->d_name)) continue;
        if (!DecodeUtf8Strict(hostEntry->d_name, wide)) continue;
        bool ascii = true;
        for (auto& c : wide) {
            if (IsForbiddenInName(c)) {
                c = static_cast<char16_t>(kPrivateUseBase + c);
                ascii = false;
            } else if (c >= 0x80) {
                ascii = false;
            }
        }
        SearchEntry entry;
        entry.data.cFileName = ascii ? std::string(hostEntry->d_name) : codePage.toAnsi(wide);
        entry.folded = wide;
        for (auto& c : entry.folded) c = FoldCase(c);
        DescribeEntry(hostFolder, folderFd, hostEntry->d_name, hostEntry->d_type, machine, entry.data);
        listing.push_back(std::move(entry));
    }
    closedir(dir);
    return listing;
}

// The listing is shared with the scan's cache, so a handle stays valid after the cache
// moves on to another folder.
class ListingSearch final : public FileSearch {
public:
    ListingSearch(std::shared_ptr<const SearchListing> listing, SearchMask mask)
        : m_listing(std::move(listing)), m_mask(std::move(mask)) {}

    bool next(FindDataA& data) override {
        while (m_index < m_listing->size()) {
            const SearchEntry& entry = (*m_listing)[m_index++];
            if (!m_mask.matches(entry.folded)) continue;
            data = entry.data;
            return true;
        }
        return false;
    }

private:
    std::shared_ptr<const SearchListing> m_listing;
    SearchMask m_mask;
    std::size_t m_index = 0;
};

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Wine's rule: a file is read-only when nobody may write it.
bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

}  // namespace

struct DriveMapFileSystem::Cache {
    ListingCache listings;
    // The folder searched last, by the folder part of the pattern as given.
    std::string searchFolder;
    std::shared_ptr<const SearchListing> searchListing;
};

DriveMapFileSystem::DriveMapFileSystem(CodePage codePage) : m_codePage(std::move(codePage)) {}

DriveMapFileSystem::~DriveMapFileSystem() = default;

void DriveMapFileSystem::mapDrive(char letter, std::filesystem::path hostFolder, unsigned driveType) {
    const char drive = UpperLetter(letter);
    if (drive == 0) return;
    std::string realFolder = RealPath(hostFolder.native()).value_or(std::string());
    m_drives[drive] = Drive{std::move(hostFolder), driveType, std::move(realFolder)};
}

void DriveMapFileSystem::unmapDrive(char letter) { m_drives.erase(UpperLetter(letter)); }

void DriveMapFileSystem::setOwnFolder(const std::filesystem::path& hostFolder) {
    m_ownFolder = hostFolder.empty() ? std::string() : RealPath(hostFolder.native()).value_or(std::string());
}

bool DriveMapFileSystem::belongsToMachine(const Drive& drive, std::string_view realPath) const {
    return MachineFolders{drive.realFolder, m_ownFolder}.contain(realPath);
}

std::optional<std::string> DriveMapFileSystem::changeablePath(const char* path) {
    if (path == nullptr) return std::nullopt;
    const Drive* drive = nullptr;
    const auto hostPath = locate(AnsiToUtf8(std::string_view(path), m_codePage), nullptr, nullptr, &drive);
    if (!hostPath || drive == nullptr) return std::nullopt;
    const std::size_t slash = hostPath->find_last_of('/');
    if (slash == std::string::npos || slash + 1 == hostPath->size()) return std::nullopt;
    const std::string name = hostPath->substr(slash + 1);
    if (name == "." || name == "..") return std::nullopt;
    const auto realFolder = RealPath(slash == 0 ? std::string("/") : hostPath->substr(0, slash));
    if (!realFolder || !belongsToMachine(*drive, *realFolder)) return std::nullopt;
    std::string place = *realFolder;
    AppendSeparator(place);
    return place + name;
}

std::string DriveMapFileSystem::driveLetters() const {
    std::string letters;
    for (const auto& [letter, drive] : m_drives) letters += letter;
    return letters;
}

std::optional<std::filesystem::path> DriveMapFileSystem::driveFolder(char letter) const {
    auto it = m_drives.find(UpperLetter(letter));
    if (it == m_drives.end()) return std::nullopt;
    return it->second.folder;
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
    PathProbe probe = PathProbe::Missing;
    const auto hostPath = locate(AnsiToUtf8(std::string_view(path), m_codePage), nullptr, &probe);
    if (!hostPath) {
        // The runtime's two answers: no such file, or no right to look.
        errno = probe == PathProbe::Missing ? ENOENT : EACCES;
        return -1;
    }
    if (hostMode == F_OK) return 0;
    return access(hostPath->c_str(), hostMode) == 0 ? 0 : -1;
}

PathProbe DriveMapFileSystem::ProbePath(const char* path) {
    if (path == nullptr) return PathProbe::Missing;
    PathProbe probe = PathProbe::Missing;
    locate(AnsiToUtf8(std::string_view(path), m_codePage), nullptr, &probe);
    return probe;
}

PathProbe DriveMapFileSystem::probeInHostFolder(const std::filesystem::path& hostFolder, std::string_view name) {
    const auto parsed = ParseWindowsPath(AnsiToUtf8(name.substr(0, name.find('\0')), m_codePage), "C:\\");
    if (!parsed || parsed->segments.empty()) return PathProbe::Missing;
    return LocateBelow(hostFolder.native(), *parsed, m_cache ? &m_cache->listings : nullptr).probe;
}

std::optional<std::filesystem::path> DriveMapFileSystem::resolve(std::string_view windowsPath) {
    windowsPath = windowsPath.substr(0, windowsPath.find('\0'));
    auto hostPath = locate(AnsiToUtf8(windowsPath, m_codePage));
    if (!hostPath) return std::nullopt;
    return std::filesystem::path(std::move(*hostPath));
}

std::optional<std::string> DriveMapFileSystem::locate(std::string_view utf8, bool* isRoot, PathProbe* probe,
                                                      const Drive** onDrive) {
    if (probe != nullptr) *probe = PathProbe::Missing;
    utf8 = utf8.substr(0, utf8.find('\0'));
    // A path with a drive, or from the root, never reads the current directory, so it
    // is not converted.
    const bool hasDrive = utf8.size() >= 2 && utf8[1] == ':';
    const auto parsed = hasDrive || (!utf8.empty() && IsPathSeparator(utf8[0]))
                            ? ParseWindowsPath(utf8)
                            : ParseWindowsPath(utf8, AnsiToUtf8(m_currentDirectory, m_codePage));
    // A name Windows refuses, a network path and an unmapped drive are not there for
    // any program of the machine.
    if (!parsed) return std::nullopt;
    auto drive = m_drives.find(parsed->drive);
    if (drive == m_drives.end() || drive->second.folder.empty()) return std::nullopt;
    if (isRoot != nullptr) *isRoot = parsed->segments.empty();
    if (onDrive != nullptr) *onDrive = &drive->second;
    Located located = LocateBelow(drive->second.folder.native(), *parsed, m_cache ? &m_cache->listings : nullptr);
    if (probe != nullptr) *probe = located.probe;
    if (located.probe != PathProbe::Exists) return std::nullopt;
    return std::move(located.hostPath);
}

void DriveMapFileSystem::beginScan() { m_cache = std::make_unique<Cache>(); }

void DriveMapFileSystem::endScan() { m_cache.reset(); }

FindHandle DriveMapFileSystem::FindFirstFileA(const char* pattern, FindDataA& data) {
    if (pattern == nullptr) return nullptr;
    // Split after conversion: in the double-byte pages a second byte may be 0x5C.
    const std::string utf8 = AnsiToUtf8(pattern, m_codePage);
    std::string folder;
    std::string_view mask;
    const std::size_t split = utf8.find_last_of("\\/");
    if (split != std::string::npos) {
        folder = utf8.substr(0, split + 1);
        mask = std::string_view(utf8).substr(split + 1);
    } else if (utf8.size() >= 2 && utf8[1] == ':') {
        folder = utf8.substr(0, 2);
        mask = std::string_view(utf8).substr(2);
    } else {
        folder = ".";
        mask = utf8;
    }
    if (mask.empty()) return nullptr;
    // A trailing separator makes the resolution insist on a folder.
    if (!IsPathSeparator(folder.back())) folder += '\\';

    std::shared_ptr<const SearchListing> listing;
    if (m_cache && m_cache->searchListing && m_cache->searchFolder == folder) {
        listing = m_cache->searchListing;
    } else {
        bool isRoot = false;
        const Drive* drive = nullptr;
        const auto hostFolder = locate(folder, &isRoot, nullptr, &drive);
        if (!hostFolder || drive == nullptr) return nullptr;
        auto read = ReadSearchListing(*hostFolder, isRoot, m_codePage, MachineFolders{drive->realFolder, m_ownFolder});
        if (!read) return nullptr;
        listing = std::make_shared<const SearchListing>(std::move(*read));
        if (m_cache) {
            m_cache->searchFolder = folder;
            m_cache->searchListing = listing;
        }
    }

    std::u16string foldedMask = Utf8ToUtf16(mask);
    for (auto& c : foldedMask) c = FoldCase(c);
    auto search = std::make_unique<ListingSearch>(std::move(listing), SearchMask(std::move(foldedMask)));
    if (!search->next(data)) return nullptr;
    return search;
}

win::DWORD DriveMapFileSystem::GetLogicalDriveStringsA(win::DWORD size, char* buffer) {
    std::string list;
    for (const auto& [letter, drive] : m_drives) {
        list += letter;
        list += ":\\";
        list += '\0';
    }
    list += '\0';
    const auto needed = static_cast<win::DWORD>(list.size());
    if (buffer == nullptr || size < needed) return needed;
    std::memcpy(buffer, list.data(), list.size());
    return needed - 1;
}

unsigned DriveMapFileSystem::GetDriveTypeA(const char* rootPath) {
    const std::string_view root = rootPath != nullptr ? std::string_view(rootPath) : std::string_view(m_currentDirectory);
    if (root.size() < 2 || root[1] != ':') return win::DRIVE_NO_ROOT_DIR;
    // Only a root names a drive; NULL asks about the current directory's drive.
    if (rootPath != nullptr && !(root.size() == 2 || (root.size() == 3 && IsPathSeparator(root[2]))))
        return win::DRIVE_NO_ROOT_DIR;
    const auto drive = m_drives.find(UpperLetter(root[0]));
    if (drive == m_drives.end()) return win::DRIVE_NO_ROOT_DIR;
    return drive->second.type;
}

// A symbolic link to a file is a file of its own: it has no permission bits, so it is
// never read-only, and whatever it leads to is not its business.
win::DWORD DriveMapFileSystem::GetFileAttributesA(const char* path) {
    if (path == nullptr) return win::INVALID_FILE_ATTRIBUTES;
    const auto hostPath = resolve(path);
    struct stat status;
    if (!hostPath || stat(hostPath->c_str(), &status) != 0) return win::INVALID_FILE_ATTRIBUTES;
    if (S_ISDIR(status.st_mode)) return win::FILE_ATTRIBUTE_DIRECTORY;
    struct stat own;
    if (lstat(hostPath->c_str(), &own) == 0 && S_ISLNK(own.st_mode)) return win::FILE_ATTRIBUTE_ARCHIVE;
    return win::FILE_ATTRIBUTE_ARCHIVE | (IsReadOnlyMode(status.st_mode) ? win::FILE_ATTRIBUTE_READONLY : 0);
}

bool DriveMapFileSystem::SetFileAttributesA(const char* path, win::DWORD attributes) {
    const auto hostPath = changeablePath(path);
    struct stat status;
    if (!hostPath || stat(hostPath->c_str(), &status) != 0) return false;
    // Windows keeps the read-only bit of a folder for the shell and still lets anyone
    // write in it; write bits on a host folder would mean something else.
    if (S_ISDIR(status.st_mode)) return true;
    struct stat own;
    if (lstat(hostPath->c_str(), &own) != 0) return false;
    // A link cannot be made read-only, and its target is never changed through it.
    if (S_ISLNK(own.st_mode)) return (attributes & win::FILE_ATTRIBUTE_READONLY) == 0;
    mode_t mode = status.st_mode & 07777;
    if ((attributes & win::FILE_ATTRIBUTE_READONLY) != 0) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else if (IsReadOnlyMode(mode)) {
        mode |= S_IWUSR;  // the owner's write bit, as the user who set it gets it back
    }
    if (mode == (status.st_mode & 07777)) return true;
    return chmod(hostPath->c_str(), mode) == 0;
}

bool DriveMapFileSystem::DeleteFileA(const char* path) {
    const auto hostPath = changeablePath(path);
    struct stat status;
    if (!hostPath || stat(hostPath->c_str(), &status) != 0) return false;
    if (S_ISDIR(status.st_mode)) return false;  // also a link to a folder: not a file
    struct stat own;
    if (lstat(hostPath->c_str(), &own) != 0) return false;
    // A link is removed itself, whatever its target's mode.
    if (!S_ISLNK(own.st_mode) && IsReadOnlyMode(own.st_mode)) return false;
    if (unlink(hostPath->c_str()) != 0) return false;
    if (m_cache) m_cache->searchListing.reset();
    return true;
}

std::optional<FileIdentity> DriveMapFileSystem::GetFileIdentity(const char* path) {
    if (path == nullptr) return std::nullopt;
    const auto hostPath = resolve(path);
    struct stat status;
    if (!hostPath || stat(hostPath->c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace brindle
