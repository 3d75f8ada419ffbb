// Live progress on standard error, only when it is a terminal, redrawn in place at most
// ten times a second so that it costs nothing next to the scan and never mixes with
// what goes to standard output.
#pragma once

#include <chrono>
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
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace brindle::cli
