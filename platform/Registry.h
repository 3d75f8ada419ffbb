// The registry as Windows offers it to an 8-bit ("A") program.
//
// Every operation has the meaning and status codes of the Win32 function of the same
// name, so that callers written against Win32 behave the same on any implementation:
//   - predefined roots are the HKEY_* constants; handles are released with RegCloseKey;
//   - enumeration indexes are dense from 0, ERROR_NO_MORE_ITEMS (259) past the last one,
//     and a deletion shifts the later entries down;
//   - where the caller passes a capacity, a buffer that is too small gives
//     ERROR_MORE_DATA (234) and the needed size;
//   - names are matched case-insensitively; sub-key paths use '\' between levels.
// Text crosses this interface in the machine's ANSI code page.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace brindle {

class Registry {
public:
    virtual ~Registry() = default;

    virtual win::LONG RegOpenKeyA(win::HKEY key, const char* subKey, win::HKEY* result) = 0;
    virtual win::LONG RegOpenKeyExA(win::HKEY key, const char* subKey, win::DWORD options, win::REGSAM access,
                                    win::HKEY* result) = 0;
    virtual win::LONG RegCreateKeyA(win::HKEY key, const char* subKey, win::HKEY* result) = 0;
    // lpClass, options, security attributes are accepted and ignored where the
    // implementation has no use for them.
    virtual win::LONG RegCreateKeyExA(win::HKEY key, const char* subKey, win::DWORD reserved, char* keyClass,
                                      win::DWORD options, win::REGSAM access, void* securityAttributes,
                                      win::HKEY* result, win::DWORD* disposition) = 0;
    // Counts and longest lengths: names in characters without the NUL, data in bytes.
    virtual win::LONG RegQueryInfoKeyA(win::HKEY key, char* keyClass, win::DWORD* classLength,
                                       win::DWORD* reserved, win::DWORD* subKeys, win::DWORD* maxSubKeyLength,
                                       win::DWORD* maxClassLength, win::DWORD* values,
                                       win::DWORD* maxValueNameLength, win::DWORD* maxValueLength,
                                       win::DWORD* securityDescriptorLength, win::FILETIME* lastWriteTime) = 0;
    // *nameLength: capacity in characters including the NUL on entry, characters
    // copied without the NUL on success.
    virtual win::LONG RegEnumKeyExA(win::HKEY key, win::DWORD index, char* name, win::DWORD* nameLength,
                                    win::DWORD* reserved, char* keyClass, win::DWORD* classLength,
                                    win::FILETIME* lastWriteTime) = 0;
    // The unnamed value is reported with an empty name. *dataLength: capacity in
    // bytes on entry, bytes stored (or needed) on return.
    virtual win::LONG RegEnumValueA(win::HKEY key, win::DWORD index, char* valueName, win::DWORD* valueNameLength,
                                    win::DWORD* reserved, win::DWORD* type, win::BYTE* data,
                                    win::DWORD* dataLength) = 0;
    virtual win::LONG RegQueryValueExA(win::HKEY key, const char* valueName, win::DWORD* reserved, win::DWORD* type,
                                       win::BYTE* data, win::DWORD* dataLength) = 0;
    // A null or empty name means the unnamed value.
    virtual win::LONG RegSetValueExA(win::HKEY key, const char* valueName, win::DWORD reserved, win::DWORD type,
                                     const win::BYTE* data, win::DWORD dataLength) = 0;
    virtual win::LONG RegDeleteKeyA(win::HKEY key, const char* subKey) = 0;
    virtual win::LONG RegDeleteValueA(win::HKEY key, const char* valueName) = 0;
    virtual win::LONG RegCloseKey(win::HKEY key) = 0;

    // The key's own name as the registry keeps it, letter case included (what NtQueryKey's
    // basic information gives). Paths match names in any case; whoever creates a deleted
    // key again needs its old spelling.
    virtual win::LONG QueryKeyName(win::HKEY key, std::string& name) = 0;
    // The key's full name in the registry's own tree, "\Registry\Machine\Software\...", as
    // NtQueryKey's name information gives it: the key a handle really stands for, after
    // every symbolic link on the way to it was followed.
    virtual win::LONG QueryKeyPath(win::HKEY key, std::string& path) = 0;
};

}  // namespace brindle
