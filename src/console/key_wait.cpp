#include "console/key_wait.h"

#include <algorithm>
#include <chrono>

namespace sumwright {
namespace {

constexpr std::chrono::milliseconds poll_interval{200};

template <typename Accepts>
std::string wait(Console& console, std::initializer_list<std::string_view> option_lines, Accepts accepts) {
    // The terminal goes into single-key mode before the options appear, so
    // a key pressed as soon as they are shown is neither echoed nor lost.
    const auto session = console.begin_key_session();
    for (const auto line : option_lines) {
        console.write_line(line);
    }
    console.flush();
    for (;;) {
        KeyPoll polled = session->poll(poll_interval);
        if (polled.kind == KeyPoll::Kind::input_ended) {
            throw InputEnded();
        }
        if (polled.kind == KeyPoll::Kind::key && accepts(polled.key)) {
            return polled.key;
        }
    }
}

}  // namespace

std::string wait_for_key(Console& console, std::initializer_list<std::string_view> option_lines,
                         std::initializer_list<std::string_view> accepted_keys) {
    return wait(console, option_lines, [&](const std::string& key) {
        return std::find(accepted_keys.begin(), accepted_keys.end(), key) != accepted_keys.end();
    });
}

std::string wait_for_any_key(Console& console, std::string_view option_line) {
    return wait(console, {option_line}, [](const std::string& key) { return !key.empty(); });
}

}  // namespace sumwright
