#include "console/key_wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace sumwright {
namespace {

// A console that records what happens to it, in order, and hands out keys
// from a script; an empty script is the end of input.
class RecordingConsole final : public Console {
public:
    explicit RecordingConsole(std::deque<std::string> keys) : keys_(std::move(keys)) {}

    void write_text(std::string_view text) override { events.push_back("text:" + std::string(text)); }
    void write_line(std::string_view text) override { events.push_back("line:" + std::string(text)); }
    [[nodiscard]] bool is_interactive() const override { return true; }
    std::unique_ptr<KeySession> begin_key_session() override {
        events.emplace_back("session");
        return std::make_unique<ScriptedKeys>(*this);
    }
    std::optional<std::string> read_line() override { return std::nullopt; }
    void flush() override { events.emplace_back("flush"); }
    void write_error_line(std::string_view text) override { events.push_back("error:" + std::string(text)); }

    std::vector<std::string> events;

private:
    class ScriptedKeys final : public KeySession {
    public:
        explicit ScriptedKeys(RecordingConsole& console) : console_(console) {}
        KeyPoll poll(std::chrono::milliseconds /*timeout*/) override {
            if (console_.keys_.empty()) {
                return {KeyPoll::Kind::input_ended, {}};
            }
            std::string key = std::move(console_.keys_.front());
            console_.keys_.pop_front();
            if (key.empty()) {
                return {};  // nothing pending on this poll
            }
            return {KeyPoll::Kind::key, std::move(key)};
        }

    private:
        RecordingConsole& console_;
    };

    std::deque<std::string> keys_;
};

// The terminal must be in single-key mode before the options are shown: a
// key pressed as soon as they appear would otherwise be echoed by the
// terminal (this raced under the slower sanitizer build).
TEST(KeyWait, TakesOverTheKeyboardBeforeShowingTheOptions) {
    RecordingConsole console({"1"});
    wait_for_key(console, {"<1> yes and continue", "<2> no and end"}, {"1", "2"});
    const std::vector<std::string> expected{"session", "line:<1> yes and continue", "line:<2> no and end", "flush"};
    EXPECT_EQ(console.events, expected);
}

struct KeyCase {
    const char* name;
    std::deque<std::string> keys;
    std::string accepted;
};

class KeyWaitKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyWaitKeys, IgnoresOtherKeysAndShowsTheOptionsOnce) {
    RecordingConsole console(GetParam().keys);
    EXPECT_EQ(wait_for_key(console, {"<9> end"}, {"9"}), GetParam().accepted);
    EXPECT_EQ(std::count(console.events.begin(), console.events.end(), "line:<9> end"), 1);
    EXPECT_EQ(console.events.size(), 3U) << "nothing but the session, the option line and the flush";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyWaitKeys,
    testing::Values(KeyCase{"Direct", {"9"}, "9"}, KeyCase{"AfterIdlePolls", {"", "", "9"}, "9"},
                    KeyCase{"AfterOtherKeys", {"1", "a", "\r", "99", std::string("\xFF\x48", 2), "9"}, "9"}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(KeyWait, EndOfInputEndsTheWait) {
    RecordingConsole keyed({"x"});
    EXPECT_THROW(wait_for_key(keyed, {"<1> = continue and end"}, {"1"}), InputEnded);
    RecordingConsole any({});
    EXPECT_THROW(wait_for_any_key(any, "<Any key> to continue and end"), InputEnded);
}

TEST(KeyWait, AnyKeyTakesExtendedKeysToo) {
    RecordingConsole console({"", std::string("\xFF\x3B", 2)});
    EXPECT_EQ(wait_for_any_key(console, "<Any key> to continue and end"), std::string("\xFF\x3B", 2));
}

}  // namespace
}  // namespace sumwright
