#include "process/interruption.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <utility>

namespace sumwright {
namespace {

using Handler = void (*)(int);

void own_handler(int /*signal_number*/) {}

Handler current(int signal_number) {
    struct sigaction action {};
    sigaction(signal_number, nullptr, &action);
    return action.sa_handler;
}

TEST(InterruptionHandlers, LeaveIgnoredSignalsIgnoredAndPutBackWhatTheyReplaced) {
    // A handler of the caller's own, an ignored signal and a default one.
    const std::array<std::pair<int, Handler>, 3> before{
        {{SIGUSR1, own_handler}, {SIGHUP, SIG_IGN}, {SIGWINCH, SIG_DFL}}};
    for (const auto& [signal_number, handler] : before) {
        std::signal(signal_number, handler);
    }
    {
        const interruption::Handlers handlers;
        EXPECT_NE(current(SIGUSR1), own_handler);
        EXPECT_EQ(current(SIGHUP), SIG_IGN);
        EXPECT_NE(current(SIGWINCH), SIG_DFL);
    }
    for (const auto& [signal_number, handler] : before) {
        EXPECT_EQ(current(signal_number), handler);
    }
}

}  // namespace
}  // namespace sumwright
