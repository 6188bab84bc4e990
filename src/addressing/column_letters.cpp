#include "addressing/column_letters.h"

#include <algorithm>
#include <limits>

#include "text/ascii_text.h"

namespace sumwright {
namespace {

constexpr std::int32_t letter_base = 64;  // code of the character before "A"
constexpr std::int32_t letters_in_alphabet = 26;

std::int32_t code_of(char c) { return static_cast<unsigned char>(c); }

char character_of(std::int64_t code) {
    // Codes past the single-byte range stop at its last code. Wrapping
    // around would give control characters (a line feed among them) inside
    // formulas and cell names, and break the report's lines.
    constexpr std::int64_t last_code = 255;
    return static_cast<char>(static_cast<unsigned char>(std::min(code, last_code)));
}

std::int32_t saturate(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::string normalized_column_name(std::string_view letters) { return upper_cased(trim_spaces(letters)); }

std::int32_t column_to_number(std::string_view letters) {
    const std::string name = normalized_column_name(letters);
    if (name.size() == 2) {
        return (code_of(name[0]) - letter_base) * letters_in_alphabet + (code_of(name[1]) - letter_base);
    }
    if (name.empty()) {
        return -letter_base;
    }
    return code_of(name[0]) - letter_base;
}

std::string number_to_column(std::int32_t number) {
    const std::int64_t n = number;
    std::int64_t quotient = n / letters_in_alphabet;
    std::int64_t remainder = n % letters_in_alphabet;
    if (remainder < 0) {  // round the quotient towards minus infinity
        remainder += letters_in_alphabet;
        quotient -= 1;
    }
    if (quotient < 1) {
        return {character_of(remainder + letter_base)};
    }
    if (remainder > 0) {
        return {character_of(quotient + letter_base), character_of(remainder + letter_base)};
    }
    if (quotient == 1) {
        return "Z";
    }
    return {character_of(quotient + letter_base - 1), 'Z'};
}

std::string column_offset(std::string_view letters, std::int64_t offset) {
    // Any offset past twice the 32-bit range saturates the same way, and
    // limiting it first keeps the sum itself from overflowing.
    constexpr std::int64_t offset_limit = std::int64_t{1} << 33U;
    const std::int64_t bounded = std::clamp(offset, -offset_limit, offset_limit);
    return number_to_column(saturate(std::int64_t{column_to_number(letters)} + bounded));
}

}  // namespace sumwright
