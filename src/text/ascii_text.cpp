#include "text/ascii_text.h"

#include <cstddef>

namespace sumwright {
namespace {

constexpr int case_distance = 'a' - 'A';

template <char first>
char moved_if_in_alphabet(char c, int by) {
    const auto byte = static_cast<unsigned char>(c);
    const bool in_alphabet = static_cast<unsigned char>(byte - first) < 26;
    return static_cast<char>(in_alphabet ? byte + by : byte);
}

// Branch-free work on blocks of a fixed length, which the compiler turns
// into vector instructions (with a length unknown up front it does not at
// -O2), then the rest byte by byte. Reports upper-case megabytes of formulas.
template <char first>
void move_letters(std::string& text, int by) {
    constexpr std::size_t block = 32;
    char* const bytes = text.data();
    const std::size_t size = text.size();
    std::size_t at = 0;
    for (; at + block <= size; at += block) {
        for (std::size_t i = 0; i < block; ++i) {
            bytes[at + i] = moved_if_in_alphabet<first>(bytes[at + i], by);
        }
    }
    for (; at < size; ++at) {
        bytes[at] = moved_if_in_alphabet<first>(bytes[at], by);
    }
}

}  // namespace

void upper_case(std::string& text) { move_letters<'a'>(text, -case_distance); }

std::string upper_cased(std::string_view text) {
    std::string result(text);
    upper_case(result);
    return result;
}

void lower_case(std::string& text) { move_letters<'A'>(text, case_distance); }

std::string_view trim_spaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace sumwright
