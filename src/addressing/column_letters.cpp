#include "addressing/column_letters.h"

#include <algorithm>
#include <limits>

#include "text/ascii_text.h"

namespace sumwright {
namespace {

constexpr std::int32_t letter_base = 64;  // code of the character before "A"
constexpr std::int32_t letters_in_alphabet = 26;
constexpr std::int32_t last_two_letter_column = 702;  // ZZ

std::int32_t code_of(char c) { return static_cast<unsigned char>(c); }

char character_of(std::int64_t code) { return static_cast<char>(code); }

bool is_letter(char c) { return c >= 'A' && c <= 'Z'; }

std::int32_t saturate(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

// A name of three or more letters, read as a sheet reads it (AAA is 703).
std::int32_t long_name_to_number(std::string_view name) {
    std::int64_t number = 0;
    for (const char c : name) {
        number = number * letters_in_alphabet + (code_of(c) - letter_base);
        if (number > std::numeric_limits<std::int32_t>::max()) {
            return std::numeric_limits<std::int32_t>::max();
        }
    }
    return static_cast<std::int32_t>(number);
}

// Columns past ZZ as a sheet names them: AAA, AAB, ... XFD, ...
std::string long_column_name(std::int64_t number) {
    std::string letters;
    while (number > 0) {
        const std::int64_t rest = (number - 1) % letters_in_alphabet;
        letters.insert(letters.begin(), character_of(rest + 'A'));
        number = (number - 1) / letters_in_alphabet;
    }
    return letters;
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
    if (name.size() > 2 && std::all_of(name.begin(), name.end(), is_letter)) {
        return long_name_to_number(name);
    }
    return code_of(name[0]) - letter_base;
}

std::string number_to_column(std::int32_t number) {
    if (number > last_two_letter_column) {
        return long_column_name(number);
    }
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
