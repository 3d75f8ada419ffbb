// How a job (a backup, a repair, a restore) ended: its outcome, what went wrong in words
// that name the file or key and the reason, and what it left undone, one line each.
//
// Every job report derives from this, so that the window and the command-line tool read
// each of them the same way. A job that ends well has no error; a job that went through
// with gaps keeps its error (the summary of what is missing) beside the lines in
// leftUndone. Anything a job must say besides that (the file it wrote, counts, what became
// of the shortcuts) stays in the derived report.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Result.h"

namespace brindle {

template <class Outcome>
struct JobReport {
    JobReport() = default;
    // For reports whose "nothing has happened yet" is not the first outcome.
    explicit JobReport(Outcome initial) : outcome(initial) {}

    Outcome outcome{};
    // What went wrong, naming the file, key or prefix and the reason; nothing when the
    // job did all it was asked.
    std::optional<Error> error;
    // One line per entry the job was asked to handle but left as it was, each naming
    // the entry and the reason.
    std::vector<std::string> leftUndone;

    bool failed() const { return error.has_value(); }
    // The error's message, or an empty text when there is none.
    std::string errorText() const { return error ? error->message() : std::string(); }
    // Ends the job with `ended` for the reason `message`.
    void fail(Outcome ended, std::string message) {
        outcome = ended;
        error = Error(std::move(message));
    }
};

}  // namespace brindle
