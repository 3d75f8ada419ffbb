// What the window's parts ask of the user, through the window: news, failures, and the
// questions a command waits on. The window shows them as message boxes over itself;
// tests answer them instead.
#pragma once

#include <string>

#include "app/workflow/UserTexts.h"
#include "platform/Result.h"

class QDialog;

namespace brindle {

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // News the user closes.
    virtual void tell(const std::string& caption, const std::string& text) = 0;
    // A failure: the error icon, the sentence begun with a capital letter.
    virtual void warn(const std::string& caption, const std::string& text) = 0;
    // A warning that is no failure (something to do first, someone else busy): the
    // exclamation icon.
    virtual void caution(const std::string& caption, const std::string& text) = 0;
    // A yes/no question.
    virtual bool ask(const std::string& caption, const std::string& text) = 0;
    // A warning the user answers with OK (true) or Cancel.
    virtual bool confirm(const std::string& caption, const std::string& text) = 0;
    // Whether the user wants to try again (Retry) or give up (Discard).
    virtual bool askRetry(const std::string& caption, const std::string& text) = 0;
    // Runs a dialog of the window modally.
    virtual void runDialog(QDialog& dialog) = 0;
};

// Shows why something could not be done, as a failure; true when it was done.
inline bool Succeeded(UserPrompts& prompts, const Status& status) {
    if (status) return true;
    prompts.warn(kProgramCaption, status.error().message());
    return false;
}

}  // namespace brindle
