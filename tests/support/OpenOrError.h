// For tests that look at the text of a failure: what was opened or locked, or null with
// the failure's message in `error`.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/ExclusiveLock.h"
#include "platform/Result.h"
#include "platform/WinePrefixMachine.h"

namespace brindle::test {

template <class T>
std::unique_ptr<T> ValueOrNull(Result<std::unique_ptr<T>> result, std::string& error) {
    if (!result) {
        error = result.error().message();
        return nullptr;
    }
    error.clear();
    return std::move(result).value();
}

inline std::unique_ptr<WinePrefixMachine> OpenWinePrefix(const std::filesystem::path& prefix, std::string& error) {
    return ValueOrNull(WinePrefixMachine::Open(prefix), error);
}

inline std::unique_ptr<ExclusiveLock> TryExclusiveLock(const std::filesystem::path& file, const std::string& what,
                                                       std::string& error) {
    return ValueOrNull(ExclusiveLock::TryAcquire(file, what), error);
}

}  // namespace brindle::test
