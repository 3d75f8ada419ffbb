#include "platform/Wow64Machine.h"

#include "platform/SimpleMachine.h"

namespace brindle {

Wow64Machine::Wow64Machine(SimpleMachine& native, Environment environment)
    : m_native(native), m_environment(std::move(environment)), m_files(native.files(), native) {}

Registry& Wow64Machine::registry() { return m_native.registry(); }
NamedEvents& Wow64Machine::events() { return m_native.events(); }
const CodePage& Wow64Machine::codePage() const { return m_native.codePage(); }
unsigned Wow64Machine::GetSystemDirectoryA(char* buffer, unsigned size) { return m_native.GetSystemDirectoryA(buffer, size); }
unsigned Wow64Machine::GetWindowsDirectoryA(char* buffer, unsigned size) {
    return m_native.GetWindowsDirectoryA(buffer, size);
}
win::DWORD Wow64Machine::GetVersion() { return m_native.GetVersion(); }
std::string Wow64Machine::userName() { return m_native.userName(); }

std::optional<std::string> Wow64Machine::ReadShortcutTarget(const char* windowsPath) {
    if (windowsPath == nullptr) return std::nullopt;
    return m_native.ReadShortcutTarget(m_files.redirect(windowsPath).c_str());
}

PathProbe Wow64Machine::ProbeWineFont(std::string_view fileName) { return m_native.ProbeWineFont(fileName); }

}  // namespace brindle
