#pragma once

#include <string>
#include <string_view>

namespace sumwright {

// The shell command lines of the tool checks, in this platform's command
// language. Each writes its output into a check file in the current
// directory; their exit status is never used.
struct CheckCommands {
    // Directory listing into check_01.txt, before the cmd and sort checks.
    std::string listing_a;
    // Directory listing into check_01.txt, before the find check.
    std::string listing_b;
    // check_01.txt sorted into check_02.txt.
    std::string sort;
    // The lines of check_01.txt that hold ".exe", in any case, into
    // check_02.txt behind an empty line and a header line; so at least two
    // non-blank lines mean at least one match. On POSIX systems, where
    // programs have no extension, a line holding the program's own file name
    // (taken from `program_path`) matches too.
    std::string find;
};

CheckCommands check_commands(std::string_view program_path);

}  // namespace sumwright
