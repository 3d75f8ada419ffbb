// Ctrl-C during a long job: the first one asks the job to stop at its next poll (what
// was found so far is still printed); a second one ends the process at once.
#pragma once

#include "platform/NamedEvents.h"

namespace brindle::cli {

// Routes SIGINT to `stopEvent` until the object ends.
class InterruptToStopEvent {
public:
    explicit InterruptToStopEvent(EventHandle stopEvent);
    ~InterruptToStopEvent();
    InterruptToStopEvent(const InterruptToStopEvent&) = delete;
    InterruptToStopEvent& operator=(const InterruptToStopEvent&) = delete;

    // Whether Ctrl-C was pressed. A job that resets its stop event when it starts calls
    // this from its progress callback and signals the event again.
    static bool interrupted();

private:
    EventHandle m_stopEvent;
};

}  // namespace brindle::cli
