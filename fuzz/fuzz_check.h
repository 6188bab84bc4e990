#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// A property that failed ends the run with a message; libFuzzer keeps the
// input that did it as a crash artifact.
#define FUZZ_CHECK(condition, message)                                                                          \
    do {                                                                                                        \
        if (!(condition)) {                                                                                     \
            std::fprintf(stderr, "%s:%d: property failed: %s (%s)\n", __FILE__, __LINE__, #condition, message); \
            std::abort();                                                                                       \
        }                                                                                                       \
    } while (false)

namespace sumwright::fuzz {

// Splits fuzz input into the lines a console would deliver: at line feeds,
// without them. `count` lines are always given back; missing ones are empty.
template <std::size_t count>
std::array<std::string_view, count> input_lines(std::string_view data) {
    std::array<std::string_view, count> lines{};
    for (std::size_t i = 0; i < count && !data.empty(); ++i) {
        const auto end = data.find('\n');
        lines[i] = data.substr(0, end);
        data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
    }
    return lines;
}

inline bool is_upper_letter(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace sumwright::fuzz
