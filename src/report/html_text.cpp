#include "report/html_text.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace sumwright {
namespace {

// The character references of HTML's named-reference table that report text
// can hold after an "&": report text other than the program's own (which has
// no "&") is upper-cased, and these are all the names made of upper-case
// letters. A browser decodes the first five without a semicolon as well
// ("&GT2" shows ">2"), the last three only with one.
bool starts_character_reference(std::string_view after_ampersand) {
    switch (after_ampersand.front()) {
        case 'A':
            return after_ampersand.starts_with("AMP");
        case 'C':
            return after_ampersand.starts_with("COPY");
        case 'D':
            return after_ampersand.starts_with("DD;");
        case 'E':
            return after_ampersand.starts_with("ETH") || after_ampersand.starts_with("ENG;");
        case 'G':
            return after_ampersand.starts_with("GT");
        case 'L':
            return after_ampersand.starts_with("LT");
        case 'Q':
            return after_ampersand.starts_with("QUOT");
        case 'R':
            return after_ampersand.starts_with("REG");
        case 'T':
            return after_ampersand.starts_with("THORN") || after_ampersand.starts_with("TRADE;");
        case '#':
            // A numeric reference; escaped whatever follows.
            return true;
        default:
            return false;
    }
}

// 0x80 in each byte of `word` that is an "&", 0 in every other byte.
std::uint64_t ampersands_in(std::uint64_t word) {
    constexpr std::uint64_t low_bits = 0x7F7F7F7F7F7F7F7F;
    const std::uint64_t zero_where_ampersand = word ^ 0x2626262626262626;
    const std::uint64_t high_where_low_bits_set = (zero_where_ampersand & low_bits) + low_bits;
    return ~(high_where_low_bits_set | zero_where_ampersand | low_bits);
}

}  // namespace

std::size_t next_ampersand_to_protect(std::string_view line, std::size_t from) {
    // Formula lines hold an "&" every few bytes, and megabytes of them are
    // written: eight bytes are looked at in one step, then only the "&"s
    // among them. An "&" at the very end starts nothing.
    const std::size_t end = line.empty() ? 0 : line.size() - 1;
    std::size_t at = from;
    if constexpr (std::endian::native == std::endian::little) {
        for (; at + 8 <= end; at += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, line.data() + at, sizeof word);
            for (std::uint64_t found = ampersands_in(word); found != 0; found &= found - 1) {
                const std::size_t ampersand = at + static_cast<std::size_t>(std::countr_zero(found)) / 8;
                if (starts_character_reference(line.substr(ampersand + 1))) {
                    return ampersand;
                }
            }
        }
    }
    for (; at < end; ++at) {
        if (line[at] == '&' && starts_character_reference(line.substr(at + 1))) {
            return at;
        }
    }
    return std::string_view::npos;
}

std::string protect_character_references(std::string_view line) {
    std::string protected_line;
    protected_line.reserve(line.size() + 16);
    write_protected(line, [&protected_line](std::string_view piece) { protected_line.append(piece); });
    return protected_line;
}

}  // namespace sumwright
