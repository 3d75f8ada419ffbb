#include "cli/Interrupt.h"

#include <gtest/gtest.h>

#include <csignal>

namespace brindle::cli {
namespace {

TEST(InterruptTest, CtrlCRequestsAStopOnce) {
    StopRequest stop;
    {
        InterruptToStop route(stop);
        EXPECT_FALSE(stop.requested());
        std::raise(SIGINT);
        EXPECT_TRUE(stop.requested());
        // A second Ctrl-C would end the process: the default action is back.
        EXPECT_EQ(std::signal(SIGINT, SIG_DFL), SIG_DFL);
    }
}

}  // namespace
}  // namespace brindle::cli
