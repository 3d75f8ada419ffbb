// How the workflow speaks to the user while a job runs. The shell implements it: the
// window shows a message box and the worker waits until it is closed, the command-line
// tool writes a line on standard error. Texts are in the machine's ANSI code page, as
// the registry gives them.
#pragma once

#include <string>

namespace brindle {

class UserMessages {
public:
    virtual ~UserMessages() = default;
    // Returns once the user has been told.
    virtual void tell(const std::string& caption, const std::string& text) = 0;
};

}  // namespace brindle
