#pragma once

#include <string_view>

namespace sumwright {

// The shell command lines of the tool checks, in this platform's command
// language. Each writes its output into a check file in the current
// directory; their exit status is never used.
struct CheckCommands {
    // Directory listing into check_01.txt, before the cmd and sort checks.
    std::string_view listing_a;
    // Directory listing into check_01.txt, before the find check.
    std::string_view listing_b;
    // check_01.txt sorted into check_02.txt.
    std::string_view sort;
    // The lines of check_01.txt that hold ".exe", in any case, into
    // check_02.txt behind an empty line and a header line; so at least two
    // non-blank lines mean at least one match.
    std::string_view find;
};

const CheckCommands& check_commands();

}  // namespace sumwright
