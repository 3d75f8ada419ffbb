#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <variant>

#include "platform/DescriptorWrite.h"
#include "platform/RegularFile.h"

namespace brindle {

namespace fs = std::filesystem;

bool WriteAllToDescriptor(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

namespace {

// As many links as the kernel follows before it answers ELOOP.
constexpr int kMaxLinkHops = 40;

std::string Failure(const fs::path& path, const char* step, int code) {
    return "cannot " + std::string(step) + " " + path.string() + ": " + std::strerror(code);
}

// The file a write through `path` lands in: symbolic links followed to their end, as
// open() follows them, so that the rename replaces the target and the links stay.
std::variant<fs::path, std::string> FollowLinks(const fs::path& path) {
    fs::path current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        std::error_code error;
        const fs::path text = fs::read_symlink(current, error);
        if (error) return "cannot read the link " + current.string() + ": " + error.message();
        current = text.is_absolute() ? text : current.parent_path() / text;
    }
    return Failure(path, "follow the links of", ELOOP);
}

struct Prepared {
    fs::path target;        // the file the new content replaces
    std::string temporary;  // beside the target; empty until created
};

// "a/user.reg", or "a/user.reg -> b/user.reg" when a link leads elsewhere.
std::string Named(const FileReplacement& file, const Prepared& prepared) {
    if (prepared.target.empty() || prepared.target == file.path) return file.path.string();
    return file.path.string() + " -> " + prepared.target.string();
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // 0, or the errno of a failed close (which may report a failed write).
    int close() {
        if (m_fd < 0) return 0;
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Writes and flushes the temporary file of one replacement; empty on success. What was
// created is in `prepared` for the caller to remove on failure.
std::string PrepareTemporary(const FileReplacement& file, const CommitFaultHook& faults, Prepared& prepared) {
    auto followed = FollowLinks(file.path);
    if (auto* error = std::get_if<std::string>(&followed)) return *error;
    prepared.target = std::move(std::get<fs::path>(followed));
    const fs::path& target = prepared.target;

    struct stat existing {};
    bool exists = false;
    if (::stat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            return Named(file, prepared) + " is " + DescribeFileKind(existing.st_mode) + ", not a regular file";
        exists = true;
    } else if (errno != ENOENT) {
        return Failure(target, "look at", errno);
    }

    // A hidden name beside the target, so the rename stays within one file system.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Appended rather than joined with +: GCC 12's -Wrestrict misreads libstdc++'s operator+ at -O2.
    std::string hidden = ".";
    hidden.append(target.filename().string()).append(".XXXXXX");
    std::string temporary = (folder / hidden).string();
    if (const int injected = faults ? faults(CommitStep::WriteTemporary, file.path) : 0)
        return Failure(temporary, "create", injected);
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0) return Failure(temporary, "create", errno);
    prepared.temporary = temporary;

    if (!WriteAllToDescriptor(fd.get(), file.content)) return Failure(temporary, "write", errno);
    if (exists) {
        // The owner first: changing it may clear set-id bits that the mode then restores.
        if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
            ::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0) {
            return "cannot keep the owner of " + Named(file, prepared) + " (" + std::to_string(existing.st_uid) + ":" +
                   std::to_string(existing.st_gid) + "): " + std::strerror(errno);
        }
        if (::fchmod(fd.get(), existing.st_mode & 07777) != 0)
            return "cannot keep the permissions of " + Named(file, prepared) + ": " + std::strerror(errno);
    } else if (::fchmod(fd.get(), 0644) != 0) {  // mkstemp creates 0600
        return Failure(temporary, "set the permissions of", errno);
    }
    if (::fsync(fd.get()) != 0) return Failure(temporary, "write", errno);
    if (const int code = fd.close(); code != 0) return Failure(temporary, "write", code);
    return {};
}

void RemoveTemporaries(const std::vector<Prepared>& prepared, std::size_t from) {
    for (std::size_t i = from; i < prepared.size(); ++i) {
        if (!prepared[i].temporary.empty()) ::unlink(prepared[i].temporary.c_str());
    }
}

std::string JoinNames(const std::vector<FileReplacement>& files, const std::vector<Prepared>& prepared,
                      std::size_t from, std::size_t to) {
    std::string names;
    for (std::size_t i = from; i < to; ++i) {
        if (!names.empty()) names += ", ";
        names += Named(files[i], prepared[i]);
    }
    return names;
}

void SyncFolders(const std::vector<Prepared>& prepared) {
    std::set<fs::path> folders;
    for (const auto& item : prepared)
        folders.insert(item.target.has_parent_path() ? item.target.parent_path() : fs::path("."));
    for (const auto& folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

FilesCommit ReplaceFilesTogether(const std::vector<FileReplacement>& files, const CommitFaultHook& faults) {
    std::vector<Prepared> prepared(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string error = PrepareTemporary(files[i], faults, prepared[i]);
        if (!error.empty()) {
            RemoveTemporaries(prepared, 0);
            return {error + "; nothing was changed", 0};
        }
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        int code = faults ? faults(CommitStep::Rename, files[i].path) : 0;
        if (code == 0 && ::rename(prepared[i].temporary.c_str(), prepared[i].target.c_str()) != 0) code = errno;
        if (code == 0) continue;
        RemoveTemporaries(prepared, i);
        std::string message = "cannot replace " + Named(files[i], prepared[i]) + ": " + std::strerror(code);
        if (i == 0) {
            message += "; nothing was changed";
        } else {
            message += "; the files were only partly replaced. New content written: " + JoinNames(files, prepared, 0, i) +
                       ". Left as they were: " + JoinNames(files, prepared, i, files.size());
        }
        SyncFolders(prepared);
        return {std::move(message), i};
    }
    SyncFolders(prepared);
    return {{}, files.size()};
}

std::string WriteFileAtomically(const fs::path& path, std::string_view content) {
    return ReplaceFilesTogether({FileReplacement{path, content}}).error;
}

}  // namespace brindle
