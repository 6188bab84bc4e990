#include "report/html_text.h"

#include <array>

namespace sumwright {
namespace {

// Names that browsers decode without a semicolon, as upper-cased report text
// can hold them.
constexpr std::array<std::string_view, 8> legacy_reference_names{"AMP", "COPY", "ETH", "GT",
                                                                 "LT",  "QUOT", "REG", "THORN"};

bool is_alphanumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool starts_reference(std::string_view after_ampersand) {
    if (after_ampersand.empty()) {
        return false;
    }
    const char first = after_ampersand.front();
    if (first == '#') {
        return true;
    }
    if (!is_alphanumeric(first)) {
        return false;
    }
    for (const auto name : legacy_reference_names) {
        if (name.front() == first && after_ampersand.starts_with(name)) {
            return true;
        }
    }
    std::size_t length = 0;
    while (length < after_ampersand.size() && is_alphanumeric(after_ampersand[length])) {
        ++length;
    }
    return length > 0 && length < after_ampersand.size() && after_ampersand[length] == ';';
}

}  // namespace

std::string protect_character_references(std::string_view line) {
    std::string protected_line;
    protected_line.reserve(line.size() + 16);
    std::size_t copied = 0;
    for (std::size_t ampersand = line.find('&'); ampersand != std::string_view::npos;
         ampersand = line.find('&', ampersand + 1)) {
        if (starts_reference(line.substr(ampersand + 1))) {
            protected_line.append(line.substr(copied, ampersand + 1 - copied));
            protected_line.append("amp;");
            copied = ampersand + 1;
        }
    }
    protected_line.append(line.substr(copied));
    return protected_line;
}

}  // namespace sumwright
