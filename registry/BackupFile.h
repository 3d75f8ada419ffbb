// The binary registry backup file (layout in registry/BackupFormat.h) as data: records
// that can be encoded to bytes and decoded from them, and read from or written to a file.
//
// Decoding checks the whole input before it returns anything, so a damaged file is
// refused as a whole and the restore never writes part of it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"
#include "platform/WinTypes.h"
#include "registry/BackupFormat.h"

namespace brindle {

struct BackupValue {
    std::string name;  // empty for the unnamed value
    win::DWORD type = win::REG_NONE;
    std::string data;

    bool operator==(const BackupValue&) const = default;
};

struct BackupSubKey;

struct BackupKeyContent {
    std::vector<BackupValue> values;
    std::vector<BackupSubKey> subKeys;

    bool operator==(const BackupKeyContent&) const;
};

struct BackupSubKey {
    std::string name;
    BackupKeyContent content;

    bool operator==(const BackupSubKey&) const = default;
};

struct BackupRecord {
    win::HKEY root = win::HKEY_LOCAL_MACHINE;
    std::string path;
    BackupKeyContent content;

    bool operator==(const BackupRecord&) const = default;
};

// "HKEY_LOCAL_MACHINE" and the like for the four roots a backup holds; a hexadecimal
// number for any other handle.
std::string BackupRootName(win::HKEY root);

// The file's bytes. Records must keep within the limits of BackupFormat.h (the writer
// makes sure of that); nothing is checked here.
std::string EncodeBackup(const std::vector<BackupRecord>& records);

// The records of an input read completely; otherwise the error names the file, the byte
// offset and what is wrong there, and no record is given.
using DecodedBackup = Result<std::vector<BackupRecord>>;

// fileName only names the input in error messages.
DecodedBackup DecodeBackup(std::string_view bytes, std::string_view fileName);

// Reads and decodes a whole file; files larger than kMaxBackupFileBytes are refused
// before they are read.
DecodedBackup ReadBackupFile(const std::filesystem::path& path);

// Encodes the records and writes them so that the file is complete and on disk when
// this returns (see WriteFileAtomically).
Status WriteBackupFile(const std::filesystem::path& path, const std::vector<BackupRecord>& records);

}  // namespace brindle
