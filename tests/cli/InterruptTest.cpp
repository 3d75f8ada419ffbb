#include "cli/Interrupt.h"

#include <gtest/gtest.h>

#include <csignal>

namespace brindle::cli {
namespace {

TEST(InterruptTest, CtrlCSignalsTheStopEventOnce) {
    NamedEvents events;
    const EventHandle stop = events.CreateEventA("BrindleSTOPSCANNING");
    {
        InterruptToStopEvent route(stop);
        EXPECT_FALSE(stop->isSet());
        std::raise(SIGINT);
        EXPECT_TRUE(stop->isSet());
        EXPECT_TRUE(InterruptToStopEvent::interrupted());
        // A second Ctrl-C would end the process: the default action is back.
        EXPECT_EQ(std::signal(SIGINT, SIG_DFL), SIG_DFL);
    }
}

}  // namespace
}  // namespace brindle::cli
