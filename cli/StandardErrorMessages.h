// The terminal's side of UserMessages: each message is a line on standard error, in
// UTF-8, after the program's name.
#pragma once

#include <ostream>

#include "app/workflow/UserMessages.h"
#include "platform/CodePage.h"

namespace brindle::cli {

class StandardErrorMessages : public UserMessages {
public:
    StandardErrorMessages(const CodePage& codePage, std::ostream& err) : m_codePage(codePage), m_err(err) {}
    void tell(const std::string& caption, const std::string& text) override;

private:
    const CodePage& m_codePage;
    std::ostream& m_err;
};

}  // namespace brindle::cli
