// A machine for tests: an in-memory registry, drive C: mapped to a fresh temporary
// folder, and the process's current directory moved to another one (where "ignore.lst"
// lives) for the object's life.
#pragma once

#include <string>
#include <string_view>

#include "platform/SimpleMachine.h"
#include "support/TemporaryFolder.h"

namespace brindle::test {

class TestMachine : public SimpleMachine {
public:
    TestMachine();

    // A file on drive C:, named by its Windows path ("C:\\windows\\system32\\x.dll").
    void addFile(std::string_view windowsPath, std::string_view content = "");
    // Writes a string value, creating the key; "" names the unnamed value.
    void setString(std::string_view keyPath, std::string_view valueName, std::string_view data,
                   win::DWORD type = win::REG_SZ);
    void setBytes(std::string_view keyPath, std::string_view valueName, win::DWORD type, std::string_view bytes);
    void createKey(std::string_view keyPath);
    // Makes keyPath (created when absent) a Wine registry link to targetKeyPath; both are
    // "HKEY_LOCAL_MACHINE\..." paths.
    void makeLink(std::string_view keyPath, std::string_view targetKeyPath);
    // Makes the machine a 64-bit Wine prefix: HKLM\Software and HKEY_CLASSES_ROOT get
    // their Wow6432Node keys, the 32-bit App Paths and Fonts keys are links to the 64-bit
    // ones (as in every Wine prefix), and 32-bit programs have "C:\Program Files (x86)"
    // as their %ProgramFiles%.
    void makeWow64();
    bool keyExists(std::string_view keyPath);
    // "" names the unnamed value.
    bool valueExists(std::string_view keyPath, std::string_view valueName);
    void writeIgnoreList(std::string_view content);
    std::string readIgnoreList() const;

    const TemporaryFolder& driveC() const { return m_driveC; }
    const TemporaryFolder& workFolder() const { return m_work; }

private:
    win::HKEY createKeyHandle(std::string_view keyPath);
    // 0 when the key does not exist; the caller closes it.
    win::HKEY openKey(std::string_view keyPath);

    TemporaryFolder m_driveC;
    TemporaryFolder m_work;
    CurrentDirectoryScope m_currentDirectory;
};

}  // namespace brindle::test
