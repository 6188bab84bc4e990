// The "&" protection on an arbitrary line of upper-cased report text.
//
// Input: the line's bytes (lower-case letters are upper-cased first, as
// report text is). The oracle is HTML's named-reference table itself, each
// name as the table lists it (a name with a semicolon and the same name
// without one are two entries), with a browser's rule: an "&" starts a
// reference where "#" or one of these names follows it.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "report/html_text.h"
#include "text/ascii_text.h"

namespace {

// Every entry of the table that holds no lower-case letter.
constexpr std::array<std::string_view, 19> upper_case_names{
    "AMP", "AMP;", "COPY", "COPY;", "DD;", "ENG;", "ETH",   "ETH;",   "GT",     "GT;",
    "LT",  "LT;",  "QUOT", "QUOT;", "REG", "REG;", "THORN", "THORN;", "TRADE;",
};

bool browser_decodes(std::string_view after_ampersand) {
    return after_ampersand.starts_with('#') ||
           std::any_of(upper_case_names.begin(), upper_case_names.end(),
                       [&](std::string_view name) { return after_ampersand.starts_with(name); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line = sumwright::upper_cased(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string written = sumwright::protect_character_references(line);

    // Walk both side by side: every byte of the line comes through, and an
    // "&" gains "amp;" exactly where a browser would decode what follows it.
    std::size_t at = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        FUZZ_CHECK(at < written.size() && written[at] == line[i], "every byte of the line is written in order");
        ++at;
        if (line[i] == '&') {
            const bool escaped = std::string_view(written).substr(at).starts_with("amp;");
            FUZZ_CHECK(escaped == browser_decodes(std::string_view(line).substr(i + 1)),
                       "an \"&\" is escaped exactly where a browser would decode it");
            at += escaped ? 4 : 0;
        }
    }
    FUZZ_CHECK(at == written.size(), "nothing is added but the escapes");
    return 0;
}
