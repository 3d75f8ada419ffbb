#include "app/workflow/GuardedJob.h"

#include <exception>

namespace brindle {

std::optional<std::string> RunGuarded(const std::string& job, const std::function<void()>& body) {
    try {
        body();
        return std::nullopt;
    } catch (const std::exception& exception) {
        return job + " failed: " + exception.what();
    } catch (...) {
        return job + " failed with an unknown error";
    }
}

}  // namespace brindle
