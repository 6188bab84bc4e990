#pragma once

// The console of the unit tests: keys and typed lines come from a script,
// what is written is kept as screen lines and, in order, as events.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/console.h"
#include "memory_line_sink.h"

namespace sumwright {

class FakeConsole final : public Console {
public:
    // An empty key is a poll with nothing pending; an ended script is the end
    // of input. On an interactive console a typed line is echoed, Enter
    // included, as a terminal does.
    explicit FakeConsole(std::deque<std::string> keys, std::deque<std::string> typed = {}, bool interactive = true)
        : keys_(std::move(keys)), typed_(std::move(typed)), interactive_(interactive) {}

    void write_text(std::string_view text) override {
        events.push_back("text:" + std::string(text));
        screen_.write_text(text);
    }
    void write_line(std::string_view text) override {
        events.push_back("line:" + std::string(text));
        screen_.write_line(text);
    }
    [[nodiscard]] bool is_interactive() const override { return interactive_; }
    std::unique_ptr<KeySession> begin_key_session() override {
        events.emplace_back("session");
        return std::make_unique<Keys>(keys_);
    }
    std::optional<std::string> read_line() override {
        if (typed_.empty()) {
            return std::nullopt;
        }
        std::string line = std::move(typed_.front());
        typed_.pop_front();
        if (interactive_) {
            screen_.write_line(line);
        }
        return line;
    }
    void flush() override { events.emplace_back("flush"); }
    void write_error_line(std::string_view text) override { events.push_back("error:" + std::string(text)); }

    [[nodiscard]] const std::vector<std::string>& lines() const { return screen_.lines(); }
    [[nodiscard]] std::size_t keys_left() const { return keys_.size(); }
    std::vector<std::string> events;

private:
    class Keys final : public KeySession {
    public:
        explicit Keys(std::deque<std::string>& keys) : keys_(keys) {}
        KeyPoll poll(std::chrono::milliseconds /*timeout*/) override {
            if (keys_.empty()) {
                return {KeyPoll::Kind::input_ended, {}};
            }
            std::string key = std::move(keys_.front());
            keys_.pop_front();
            if (key.empty()) {
                return {};
            }
            return {KeyPoll::Kind::key, std::move(key)};
        }

    private:
        std::deque<std::string>& keys_;
    };

    std::deque<std::string> keys_;
    std::deque<std::string> typed_;
    bool interactive_;
    MemoryLineSink screen_;
};

}  // namespace sumwright
