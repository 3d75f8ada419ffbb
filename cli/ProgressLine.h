// Live progress on standard error, only when it is a terminal, redrawn in place so that
// it never mixes with what goes to standard output. The caller passes on at most ten
// updates a second (ProgressThrottle).
#pragma once

#include <cstdint>
#include <string>

namespace brindle::cli {

class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();

    void update(const std::string& title, std::int32_t scanned, std::int32_t found, const std::string& item);
    // Removes the line, so that whatever is printed next starts on a clean line.
    void clear();

private:
    bool m_enabled;
    bool m_shown = false;
};

}  // namespace brindle::cli
