#include "console/key_wait.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "fake_console.h"

namespace sumwright {
namespace {

struct KeyCase {
    const char* name;
    std::deque<std::string> keys;
    std::string accepted;
};

class KeyWaitKeys : public testing::TestWithParam<KeyCase> {};

// The terminal must be in single-key mode before the options are shown: a
// key pressed as soon as they appear would otherwise be echoed by the
// terminal (this raced under the slower sanitizer build). Other keys are
// ignored and the options are shown once.
TEST_P(KeyWaitKeys, TakesOverTheKeyboardThenShowsTheOptionsOnce) {
    FakeConsole console(GetParam().keys);
    EXPECT_EQ(wait_for_key(console, {"<1> yes and continue", "<9> end"}, {"9"}), GetParam().accepted);
    EXPECT_EQ(console.events,
              (std::vector<std::string>{"session", "line:<1> yes and continue", "line:<9> end", "flush"}));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyWaitKeys,
    testing::Values(KeyCase{"Direct", {"9"}, "9"}, KeyCase{"AfterIdlePolls", {"", "", "9"}, "9"},
                    KeyCase{"AfterOtherKeys", {"1", "a", "\r", "99", std::string("\xFF\x48", 2), "9"}, "9"}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(KeyWait, EndOfInputEndsTheWait) {
    FakeConsole keyed({"x"});
    EXPECT_THROW(wait_for_key(keyed, {"<1> = continue and end"}, {"1"}), InputEnded);
    FakeConsole any({});
    EXPECT_THROW(wait_for_any_key(any, "<Any key> to continue and end"), InputEnded);
}

TEST(KeyWait, AnyKeyTakesExtendedKeysToo) {
    FakeConsole console({"", std::string("\xFF\x3B", 2)});
    EXPECT_EQ(wait_for_any_key(console, "<Any key> to continue and end"), std::string("\xFF\x3B", 2));
}

}  // namespace
}  // namespace sumwright
