// Writing a whole buffer to an open file descriptor, for the file writers of this layer.
#pragma once

#include <string_view>

namespace brindle {

// Writes all of content, going on after short writes and interruptions; false (with
// errno set) on the first failure.
bool WriteAllToDescriptor(int fd, std::string_view content);

}  // namespace brindle
