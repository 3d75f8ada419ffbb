// The guard around every worker's body: an exception the body lets out (a bad_alloc on a
// huge key, a filesystem_error from a folder that vanished) becomes a failure the job
// reports, never a thread that dies and takes the program with it.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace brindle {

// Runs body; when it throws, "<job> failed: <what>" instead of the exception.
std::optional<std::string> RunGuarded(const std::string& job, const std::function<void()>& body);

}  // namespace brindle
