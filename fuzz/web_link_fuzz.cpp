// The web link derived from an arbitrary argument 0.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "dialogue/web_link.h"
#include "fuzz_check.h"
#include "text/ascii_text.h"

namespace {

using sumwright::derive_web_link;
using sumwright::fuzz::is_upper_letter;

constexpr std::array<std::string_view, 3> markers{"www.", "http.", "https."};
constexpr std::array<std::string_view, 3> prefixes{"http://www.", "http://", "https://"};

bool has_upper_letter(std::string_view text) { return std::any_of(text.begin(), text.end(), is_upper_letter); }

// Does the name, trimmed of spaces, lower-cased and less a last ".exe",
// hold a site marker?
bool holds_marker(std::string_view argument0) {
    const auto first = argument0.find_first_not_of(' ');
    std::string kept(first == std::string_view::npos
                         ? std::string_view()
                         : argument0.substr(first, argument0.find_last_not_of(' ') - first + 1));
    sumwright::lower_case(kept);
    if (kept.ends_with(".exe")) {
        kept.resize(kept.size() - 4);
    }
    return std::any_of(markers.begin(), markers.end(),
                       [&](std::string_view marker) { return kept.find(marker) != std::string::npos; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view argument0(reinterpret_cast<const char*>(data), size);
    const auto link = derive_web_link(argument0);
    FUZZ_CHECK(link.has_value() == holds_marker(argument0), "a link exactly when the name holds a site marker");
    if (!link) {
        return 0;
    }
    FUZZ_CHECK(!has_upper_letter(link->web_link), "no upper-case letter in the web link");
    FUZZ_CHECK(!has_upper_letter(link->link_program_name), "no upper-case letter in the program name");
    FUZZ_CHECK(link->link_program_name.ends_with(".exe"), "the program name ends in .exe");
    FUZZ_CHECK(std::any_of(prefixes.begin(), prefixes.end(),
                           [&](std::string_view prefix) { return link->web_link.starts_with(prefix); }),
               "the link begins with one of the three prefixes");
    const std::string_view name(link->link_program_name);
    FUZZ_CHECK(
        std::any_of(markers.begin(), markers.end(), [&](std::string_view marker) { return name.starts_with(marker); }),
        "the program name begins with its marker");
    FUZZ_CHECK(name.size() == 4 || (name.front() != ' ' && name[name.size() - 5] != ' '),
               "the program name has no spaces at its ends");
    return 0;
}
