#include "platform/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <variant>

#include "platform/RegularFile.h"
#include "platform/RenameSteps.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

// All of content, going on after short writes and interruptions; false (with errno set)
// on the first failure.
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

// As many links as the kernel follows before it answers ELOOP.
constexpr int kMaxLinkHops = 40;
// What mkstemp's 0600 becomes for a new file: as readable as any other file of the user's.
constexpr mode_t kNewFilePermissions = 0644;

// The hidden name of a writer's temporary file beside target, up to mkstemp's six
// characters; marked as ours, so that one abandoned by a killed run can be told from the
// user's files.
std::string TemporaryNameStart(const fs::path& target) {
    std::string name = ".";
    name.append(target.filename().string()).append(".brindle-");
    return name;
}

// mkstemp's alphabet.
bool IsTemporarySuffix(std::string_view suffix) {
    if (suffix.size() != 6) return false;
    for (const char c : suffix) {
        const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alphanumeric) return false;
    }
    return true;
}

Error Failure(const fs::path& path, const char* step, int code) {
    return Error("cannot " + std::string(step) + " " + path.string() + ": " + std::strerror(code));
}

// The file a write through `path` lands in: symbolic links followed to their end, as
// open() follows them, so that the rename replaces the target and the links stay.
Result<fs::path> FollowLinks(const fs::path& path) {
    fs::path current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        std::error_code error;
        const fs::path text = fs::read_symlink(current, error);
        if (error) return Error("cannot read the link " + current.string() + ": " + error.message());
        current = text.is_absolute() ? text : current.parent_path() / text;
    }
    return Failure(path, "follow the links of", ELOOP);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path path, AtomicTarget target, CommitFaultHook faults)
    : m_path(std::move(path)), m_kind(target), m_faults(std::move(faults)) {}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
}

std::string AtomicFileWriter::named() const {
    if (m_target.empty() || m_target == m_path) return m_path.string();
    return m_path.string() + " -> " + m_target.string();
}

fs::path AtomicFileWriter::folder() const { return FolderOf(m_target.empty() ? m_path : m_target); }

// Finds the entry the content goes to and what of the file there is to keep.
Status AtomicFileWriter::examineTarget() {
    if (m_kind == AtomicTarget::NewName) {
        // Whatever has the name stays as it is; the publishing link finds out.
        m_target = m_path;
        return {};
    }
    struct stat existing {};
    int result = 0;
    if (m_kind == AtomicTarget::ThroughLinks) {
        auto followed = FollowLinks(m_path);
        if (!followed) return followed.error();
        m_target = std::move(followed).value();
        result = ::stat(m_target.c_str(), &existing);
    } else {
        m_target = m_path;
        result = ::lstat(m_target.c_str(), &existing);
    }
    if (result != 0) {
        if (errno == ENOENT) return {};
        return Failure(m_target, "look at", errno);
    }
    // A link in the name's place is replaced as it is, with nothing of its target kept.
    if (S_ISLNK(existing.st_mode)) return {};
    if (!S_ISREG(existing.st_mode))
        return Error(named() + " is " + DescribeFileKind(existing.st_mode) + ", not a regular file");
    m_keepAttributes = true;
    m_permissions = existing.st_mode & 07777;
    m_owner = existing.st_uid;
    m_group = existing.st_gid;
    return {};
}

Status AtomicFileWriter::open() {
    if (Status examined = examineTarget(); !examined) return examined;
    // A hidden name beside the target, so the rename stays within one file system.
    // Appended rather than joined with +: GCC 12's -Wrestrict misreads libstdc++'s operator+ at -O2.
    std::string name = TemporaryNameStart(m_target);
    name.append("XXXXXX");
    std::string temporary = (FolderOf(m_target) / name).string();
    if (const int injected = m_faults ? m_faults(CommitStep::WriteTemporary, m_path) : 0)
        return Failure(temporary, "create", injected);
    m_fd = ::mkstemp(temporary.data());
    if (m_fd < 0) return Failure(temporary, "create", errno);
    m_temporary = std::move(temporary);
    return {};
}

Status AtomicFileWriter::append(std::string_view bytes) {
    if (m_fd < 0) return Failure(m_path, "write", EBADF);
    if (!WriteAllToDescriptor(m_fd, bytes)) return Failure(m_temporary, "write", errno);
    return {};
}

Status AtomicFileWriter::finish() {
    if (m_fd < 0) return Failure(m_path, "write", EBADF);
    if (m_keepAttributes) {
        // The owner first: changing it may clear set-id bits that the mode then restores.
        if ((m_owner != ::geteuid() || m_group != ::getegid()) && ::fchown(m_fd, m_owner, m_group) != 0) {
            return Error("cannot keep the owner of " + named() + " (" + std::to_string(m_owner) + ":" +
                         std::to_string(m_group) + "): " + std::strerror(errno));
        }
        if (::fchmod(m_fd, m_permissions) != 0)
            return Error("cannot keep the permissions of " + named() + ": " + std::strerror(errno));
    } else if (::fchmod(m_fd, kNewFilePermissions) != 0) {
        return Failure(m_temporary, "set the permissions of", errno);
    }
    if (::fsync(m_fd) != 0) return Failure(m_temporary, "write", errno);
    // A failed close may report a failed write.
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0) return Failure(m_temporary, "write", errno);
    return {};
}

FileCommit AtomicFileWriter::publish() {
    using Status = FileCommit::Status;
    if (m_temporary.empty() || m_fd >= 0) return {Status::Failed, Failure(m_path, "replace", EBADF).message()};
    int code = m_faults ? m_faults(CommitStep::Rename, m_path) : 0;
    if (m_kind == AtomicTarget::NewName) {
        if (code == 0) code = LinkWithoutReplacing(m_temporary, m_target);
        if (code == EEXIST) return {Status::NameTaken, m_path.string() + ": the name is taken"};
        if (code != 0) return {Status::Failed, Failure(m_path, "create", code).message()};
    } else {
        if (code == 0 && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) code = errno;
        if (code != 0) return {Status::Failed, "cannot replace " + named() + ": " + std::strerror(code)};
    }
    m_temporary.clear();
    return {Status::Committed, {}};
}

void AtomicFileWriter::syncFolder() const { SyncFolder(folder()); }

FileCommit AtomicFileWriter::commit() {
    if (brindle::Status finished = finish(); !finished) return {FileCommit::Status::Failed, finished.message()};
    FileCommit published = publish();
    if (published.ok()) syncFolder();
    return published;
}

namespace {

using Writers = std::vector<std::unique_ptr<AtomicFileWriter>>;

std::string JoinNames(const Writers& writers, std::size_t from, std::size_t to) {
    std::string names;
    for (std::size_t i = from; i < to; ++i) {
        if (!names.empty()) names += ", ";
        names += writers[i]->named();
    }
    return names;
}

void SyncFolders(const Writers& writers) {
    std::set<fs::path> folders;
    for (const auto& writer : writers) folders.insert(writer->folder());
    for (const auto& folder : folders) SyncFolder(folder);
}

}  // namespace

FilesCommit ReplaceFilesTogether(const std::vector<FileReplacement>& files, const CommitFaultHook& faults) {
    // Writers remove their temporary files when they end unpublished.
    Writers writers;
    for (const FileReplacement& file : files) {
        auto& writer =
            writers.emplace_back(std::make_unique<AtomicFileWriter>(file.path, AtomicTarget::ThroughLinks, faults));
        Status written = writer->open();
        if (written) written = writer->append(file.content);
        if (written) written = writer->finish();
        if (!written) return {Error(written.error().message() + "; nothing was changed"), 0};
    }

    for (std::size_t i = 0; i < writers.size(); ++i) {
        FileCommit published = writers[i]->publish();
        if (published.ok()) continue;
        std::string message = std::move(published.error);
        if (i == 0) {
            message += "; nothing was changed";
        } else {
            message += "; the files were only partly replaced. New content written: " + JoinNames(writers, 0, i) +
                       ". Left as they were: " + JoinNames(writers, i, writers.size());
        }
        SyncFolders(writers);
        return {Error(std::move(message)), i};
    }
    SyncFolders(writers);
    return {{}, files.size()};
}

Status WriteFileAtomically(const fs::path& path, std::string_view content) {
    return ReplaceFilesTogether({FileReplacement{path, content}}).status;
}

std::size_t RemoveAbandonedTemporaries(const fs::path& path) {
    std::set<fs::path> targets{path};
    std::error_code error;
    if (const fs::path real = fs::canonical(path, error); !error) targets.insert(real);
    std::size_t removed = 0;
    for (const fs::path& target : targets) {
        const std::string start = TemporaryNameStart(target);
        const fs::path folder = FolderOf(target);
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (!name.starts_with(start) || !IsTemporarySuffix(std::string_view(name).substr(start.size()))) continue;
            // Only a regular file of this user's, as mkstemp made it: a link or anything
            // else of that name was not made by us.
            struct stat status;
            if (::lstat(it->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
                continue;
            if (::unlink(it->path().c_str()) == 0) ++removed;
        }
    }
    return removed;
}

}  // namespace brindle
