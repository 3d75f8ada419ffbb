#include "cli/ProgressLine.h"

#include <cstdio>

#include "platform/RunningProcess.h"

namespace brindle::cli {

namespace {

std::size_t TerminalWidth() {
    const std::optional<std::size_t> columns = TerminalColumns();
    if (columns && *columns > 10) return *columns;
    return 80;
}

}  // namespace

ProgressLine::ProgressLine() : m_enabled(IsTerminal(StandardStream::Error)) {}

ProgressLine::~ProgressLine() { clear(); }

void ProgressLine::update(const std::string& title, std::int32_t scanned, std::int32_t found,
                          const std::string& item) {
    if (!m_enabled) return;

    std::string line = title + ": " + std::to_string(scanned) + " scanned, " + std::to_string(found) + " found";
    if (!item.empty()) line += "  " + item;
    const std::size_t width = TerminalWidth() - 1;
    if (line.size() > width) line.resize(width);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    m_shown = true;
}

void ProgressLine::clear() {
    if (!m_shown) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_shown = false;
}

}  // namespace brindle::cli
