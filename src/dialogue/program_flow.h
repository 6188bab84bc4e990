#pragma once

#include <string_view>

#include "console/console.h"
#include "dialogue/command_runner.h"

namespace sumwright {

// The program's source module, shown at the start and in every branch.
inline constexpr std::string_view module_name = "sumwright_01_012.cpp";

// The whole run, from the banner to the final key: returns the exit status.
// `argument0` is the program path as the process received it.
int run_program(Console& console, CommandRunner& shell, std::string_view argument0);

}  // namespace sumwright
