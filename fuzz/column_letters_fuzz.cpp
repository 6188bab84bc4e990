// Column letters to numbers and back, on arbitrary texts and numbers.
//
// Input: bytes 0-3 a column number, bytes 4-11 an offset, the rest a text.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "addressing/column_letters.h"
#include "fuzz_check.h"

namespace {

using sumwright::column_offset;
using sumwright::column_to_number;
using sumwright::normalized_column_name;
using sumwright::number_to_column;
using sumwright::fuzz::is_upper_letter;

constexpr std::int32_t last_two_letter_column = 702;  // ZZ
constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t checked_at_start = 20000;  // past XFD and ZZZ

template <typename Integer>
Integer integer_at(const std::uint8_t* data, std::size_t size, std::size_t offset) {
    Integer value{};
    if (offset + sizeof value <= size) {
        std::memcpy(&value, data + offset, sizeof value);
    }
    return value;
}

bool is_column_name(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), is_upper_letter);
}

void check_round_trip(std::int32_t number) {
    const std::string letters = number_to_column(number);
    FUZZ_CHECK(is_column_name(letters), "every column from 1 on has a name of letters A-Z");
    FUZZ_CHECK((letters.size() <= 2) == (number <= last_two_letter_column), "one or two letters up to ZZ only");
    FUZZ_CHECK(column_to_number(letters) == number, "every column converts back to itself");
}

void check_number(std::int32_t number) {
    if (number >= 1) {
        check_round_trip(number);
    } else {
        FUZZ_CHECK(number_to_column(number).size() == 1, "a number below 1 gives one character");
    }
}

void check_text(std::string_view text, std::int64_t offset) {
    const std::int32_t number = column_to_number(text);
    const std::string name = normalized_column_name(text);
    if (!is_column_name(name) || name.size() <= 2) {
        // Two bytes of 0 to 255 give (c1 - 64) * 26 + (c2 - 64); any other
        // text, as its first byte alone, c - 64.
        FUZZ_CHECK(number >= -64 * 26 - 64 && number <= 191 * 26 + 191, "the arithmetic stays within its bytes' range");
    }
    if (is_column_name(name)) {
        FUZZ_CHECK(number >= 1, "a column name gives a column number");
        FUZZ_CHECK(number == largest || number_to_column(number) == name,
                   "a column name converts back to itself, trimmed, upper case, unless it saturates");
    }
    const std::string moved = column_offset(text, offset);
    if (is_column_name(name) && offset >= 1 - std::int64_t{number} && offset <= largest - std::int64_t{number}) {
        FUZZ_CHECK(column_to_number(moved) == number + offset, "an offset within the columns moves by that much");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    for (std::int32_t number = 1; number <= checked_at_start; ++number) {
        check_round_trip(number);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto number = integer_at<std::int32_t>(data, size, 0);
    const auto offset = integer_at<std::int64_t>(data, size, 4);
    check_number(number);
    check_number(static_cast<std::int32_t>(static_cast<std::uint32_t>(number) % checked_at_start) + 1);
    const std::size_t text_start = std::min<std::size_t>(size, 12);
    check_text(std::string_view(reinterpret_cast<const char*>(data) + text_start, size - text_start), offset);
    return 0;
}
