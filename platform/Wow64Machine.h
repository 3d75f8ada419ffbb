// A 64-bit machine as its 32-bit programs see it: the same registry, events and system
// facts, the files through Wine's redirection, and their own environment, in which
// %ProgramFiles% and %CommonProgramFiles% name the "(x86)" folders.
//
// The registry is the machine's own: which keys a 32-bit program reaches is a question of
// key paths, answered by platform/RegistryView.h.
#pragma once

#include "platform/Environment.h"
#include "platform/Machine.h"
#include "platform/Wow64FileSystem.h"

namespace brindle {

class SimpleMachine;

class Wow64Machine final : public Machine {
public:
    Wow64Machine(SimpleMachine& native, Environment environment);

    Registry& registry() override;
    FileSystem& files() override { return m_files; }
    NamedEvents& events() override;
    const CodePage& codePage() const override;
    win::DWORD ExpandEnvironmentStringsA(const char* source, char* destination, win::DWORD size) override {
        return m_environment.ExpandEnvironmentStringsA(source, destination, size);
    }
    // The system folder is named "system32" to 32-bit programs too; the redirection of
    // the files makes it syswow64.
    unsigned GetSystemDirectoryA(char* buffer, unsigned size) override;
    unsigned GetWindowsDirectoryA(char* buffer, unsigned size) override;
    win::DWORD GetVersion() override;
    std::string userName() override;
    std::optional<std::string> ReadShortcutTarget(const char* windowsPath) override;
    PathProbe ProbeWineFont(std::string_view fileName) override;
    bool is64Bit() const override { return false; }

    const Environment& environment() const { return m_environment; }
    void setEnvironment(Environment environment) { m_environment = std::move(environment); }

private:
    SimpleMachine& m_native;
    Environment m_environment;
    Wow64FileSystem m_files;
};

}  // namespace brindle
