#include "process/interruption.h"

#include <gtest/gtest.h>

#include <csignal>

namespace sumwright {
namespace {

void own_handler(int /*signal_number*/) {}

using Handler = void (*)(int);

Handler current(int signal_number) {
    struct sigaction action {};
    sigaction(signal_number, nullptr, &action);
    return action.sa_handler;
}

// A handler of the caller's own, an ignored signal and a default one: the
// program takes the first and the last while it runs, and puts all three
// back as they were.
TEST(InterruptionHandlers, LeaveIgnoredSignalsIgnoredAndPutBackWhatTheyReplaced) {
    const Handler usr1 = std::signal(SIGUSR1, own_handler);
    const Handler hangup = std::signal(SIGHUP, SIG_IGN);
    const Handler resize = std::signal(SIGWINCH, SIG_DFL);
    {
        const interruption::Handlers handlers;
        EXPECT_NE(current(SIGUSR1), own_handler);
        EXPECT_EQ(current(SIGHUP), SIG_IGN);
        EXPECT_NE(current(SIGWINCH), SIG_DFL);
    }
    EXPECT_EQ(current(SIGUSR1), own_handler);
    EXPECT_EQ(current(SIGHUP), SIG_IGN);
    EXPECT_EQ(current(SIGWINCH), SIG_DFL);
    std::signal(SIGUSR1, usr1);
    std::signal(SIGHUP, hangup);
    std::signal(SIGWINCH, resize);
}

}  // namespace
}  // namespace sumwright
