// Ctrl-C during a long job: the first one asks the job to stop at its next poll (what
// was found so far is still printed); a second one ends the process at once.
#pragma once

#include "scan/StopRequest.h"

namespace brindle::cli {

// Routes SIGINT to `stop` until the object ends.
class InterruptToStop {
public:
    explicit InterruptToStop(StopRequest& stop);
    ~InterruptToStop();
    InterruptToStop(const InterruptToStop&) = delete;
    InterruptToStop& operator=(const InterruptToStop&) = delete;
};

}  // namespace brindle::cli
