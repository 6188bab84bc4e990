#include "report/html_text.h"

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

}  // namespace

std::string protect_character_references(std::string_view line) {
    std::string protected_line;
    protected_line.reserve(line.size() + 16);
    std::size_t copied = 0;
    for (std::size_t ampersand = line.find('&'); ampersand != std::string_view::npos;
         ampersand = line.find('&', ampersand + 1)) {
        if (ampersand + 1 < line.size() && starts_character_reference(line.substr(ampersand + 1))) {
            protected_line.append(line.substr(copied, ampersand + 1 - copied));
            protected_line.append("amp;");
            copied = ampersand + 1;
        }
    }
    protected_line.append(line.substr(copied));
    return protected_line;
}

}  // namespace sumwright
