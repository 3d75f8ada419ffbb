// One problem a scanner found: which category, which key, the value that named the
// missing file, whether the repair removes the key or only the value, and the file.
// The ignore list holds records of the same type in which only the file path is set.
#pragma once

#include <optional>
#include <string>

#include "platform/ProgramView.h"
#include "registry/RegistryValue.h"

namespace brindle {

inline constexpr const char* kKindKey = "KEY";    // the repair removes the key and all below it
inline constexpr const char* kKindValue = "VAL";  // the repair removes one value of the key

class ProblemRecord {
public:
    ProblemRecord() = default;
    virtual ~ProblemRecord() = default;
    ProblemRecord(const ProblemRecord&) = default;
    ProblemRecord& operator=(const ProblemRecord&) = default;

    const std::string& tag() const { return m_tag; }
    void setTag(std::string tag) { m_tag = std::move(tag); }
    const std::string& keyPath() const { return m_keyPath; }
    void setKeyPath(std::string keyPath) { m_keyPath = std::move(keyPath); }
    // Null when no value was attached (ignore-list entries).
    const RegistryValue* value() const { return m_value ? &*m_value : nullptr; }
    void setValue(std::optional<RegistryValue> value) { m_value = std::move(value); }
    const std::string& kind() const { return m_kind; }
    void setKind(std::string kind) { m_kind = std::move(kind); }
    const std::string& filePath() const { return m_filePath; }
    void setFilePath(std::string filePath) { m_filePath = std::move(filePath); }
    // Whose view of the machine the entry belongs to: its file was judged as a program of
    // that view would find it.
    ProgramView view() const { return m_view; }
    void setView(ProgramView view) { m_view = view; }

private:
    std::string m_tag;
    std::string m_keyPath;
    std::optional<RegistryValue> m_value;
    std::string m_kind;
    std::string m_filePath;
    ProgramView m_view = ProgramView::Native32;
};

// The type column of a problem list: the tag, marked "32-bit" for an entry of the 32-bit
// programs of a 64-bit machine, which stands beside a 64-bit entry of the same tag.
inline std::string TypeColumnText(const ProblemRecord& problem) {
    return problem.view() == ProgramView::Wow64 ? problem.tag() + " 32-bit" : problem.tag();
}

}  // namespace brindle
