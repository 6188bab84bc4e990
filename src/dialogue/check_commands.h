#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sumwright {

// The check files, in the current directory.
inline constexpr std::string_view check_01 = "check_01.txt";
inline constexpr std::string_view check_02 = "check_02.txt";

// A shell command line of the tool checks and the check file it writes in
// the current directory.
struct CheckCommand {
    std::string line;
    std::string_view output;
};

// The command lines of the tool checks, in this platform's command language.
// Their exit status decides nothing. On POSIX the program opens each output
// file itself and hands it to the command as its standard output; the
// Windows lines redirect their output themselves.
struct CheckCommands {
    // Directory listing into check_01.txt, before the cmd and sort checks.
    CheckCommand listing_a;
    // Directory listing into check_01.txt, before the find check.
    CheckCommand listing_b;
    // check_01.txt sorted into check_02.txt.
    CheckCommand sort;
    // The lines of check_01.txt that hold ".exe", in any case, into
    // check_02.txt behind an empty line and a header line; so at least two
    // non-blank lines mean at least one match. On POSIX systems, where
    // programs have no extension, a line holding the program's own file name
    // (taken from `program_path`) matches too.
    CheckCommand find;
    // The texts find looks for, in any case: a file name holding one of
    // them is what lets the find check pass.
    std::vector<std::string> find_texts;
};

CheckCommands check_commands(std::string_view program_path);

}  // namespace sumwright
