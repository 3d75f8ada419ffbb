// Worker threads that must not slow the desktop down: a scan or a repair runs at the
// lowest priority the system gives an ordinary user.
#pragma once

namespace brindle {

// Lowers the calling thread's scheduling priority as far as it goes (nice 19 on Linux,
// where the nice value belongs to the thread). A system that refuses leaves it as it was:
// the work is the same, only the desktop may feel it.
void LowerCurrentThreadPriority();

}  // namespace brindle
