#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "console/console.h"
#include "dialogue/command_runner.h"

namespace sumwright {

// Proves that the command interpreter, sort and find can be run, in the
// current directory, by the check files their command lines leave there.
// True when all three pass; otherwise the failed tool is named and false is
// returned once the user has pressed "9". The check files stay behind.
// `program_path` is the program as started (find may look for its name).
bool run_prerequisite_checks(Console& console, CommandRunner& shell, std::string_view program_path);

// The lines of a file that are not empty once their leading spaces are
// removed (a tab or any other character makes a line count). "\r\n" and "\n"
// end lines alike. A file that cannot be read counts 0.
std::size_t count_nonblank_lines(const std::filesystem::path& file);

}  // namespace sumwright
