#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace brindle {

void LowerCurrentThreadPriority() {
    // setpriority with a thread id changes that thread only (Linux keeps nice per thread).
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, thread, 19);
}

}  // namespace brindle
