#include "cli/StandardErrorMessages.h"

#include "cli/ScanReport.h"

namespace brindle::cli {

// The caption is the window's title bar; a terminal line has the program's name instead.
void StandardErrorMessages::tell(const std::string& /*caption*/, const std::string& text) {
    m_err << "brindle-cli: " << AnsiToUtf8(m_codePage, text) << "\n";
}

}  // namespace brindle::cli
