// Reads a whole host file that must be an ordinary file of bounded size.
//
// A named pipe, a device or a folder in the place of a data file must be a clear error at
// once: reading a pipe blocks until someone writes to it, and /dev/zero never ends. The
// file is opened without blocking, looked at through the open descriptor (so what is
// checked is what is read), and read up to the limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace brindle {

// What a refused large file still shows of itself, so that the caller can say what it is.
inline constexpr std::size_t kRegularFileHeadBytes = 256;

struct RegularFileRead {
    enum class Status {
        Read,     // bytes holds the whole file
        Missing,     // no such file (also a link that leads nowhere); error says so
        TooLarge,    // larger than the limit; bytes holds its first kRegularFileHeadBytes
        NotRegular,  // a folder, pipe, device...; error says which
        FinalLink,   // FinalLink::Refuse only: the name is a symbolic link
        NotPrivate,  // Ownership::ThisUser only: another user's file, or one others may write
        Failed,      // unreadable; error says what and where
    };
    Status status = Status::Failed;
    std::string bytes;
    std::string error;  // empty when Read; names the file otherwise
    // Once the file was opened: its size as first seen (TooLarge: at least that many
    // bytes), and whether nobody may write to it (Windows' read-only attribute).
    std::uint64_t size = 0;
    bool readOnly = false;

    bool ok() const { return status == Status::Read; }
};

// Whether a symbolic link that has the file's own name is followed. Refuse is for a file
// that is read on someone's behalf inside a tree: a link there may lead out of it.
enum class FinalLink { Follow, Refuse };

// Whose file is acceptable. ThisUser is for a file Brindle acts on because it is in its
// own data folder (a backup to restore, the list of what to keep): a file planted there
// by someone else, or one someone else could change, must not decide what is written into
// the prefix. The owner and mode are those of the opened file, so what is checked is what
// is read.
enum class Ownership { Anyone, ThisUser };

// Follows symbolic links, as opening a file by its name does, unless told to refuse a
// final one (links among the folders above are followed either way). maxBytes is the
// largest size accepted; a file that grows past it while it is read is refused as well.
RegularFileRead ReadRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                FinalLink finalLink = FinalLink::Follow, Ownership ownership = Ownership::Anyone);

// Why a file of that owner and mode is not private to this process's user (another
// user's file, or one its group or everyone may write); empty when it is.
std::string NotPrivateReason(unsigned ownerId, unsigned mode);

// Opens a regular file for streaming reads (large files read in pieces), refusing at
// once what ReadRegularFile refuses other than by size. Null with reason set ("No such
// file or directory", "it is a named pipe, not a regular file") when it cannot.
std::FILE* OpenRegularFileStream(const std::filesystem::path& path, std::string& reason);

// What a file that is not a regular one is, for messages: "a named pipe", "a folder", ...
std::string DescribeFileKind(unsigned mode);

}  // namespace brindle
